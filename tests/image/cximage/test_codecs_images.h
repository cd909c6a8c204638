#pragma once
// Pictures and byte helpers shared by the codec tests: every depth the image object keeps,
// grey and colour palettes, and little-endian writers for hand-made BMP files.

#include "image/cximage/CxImage.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace codectest {

// A w x h picture at bpp (1, 4, 8, 24); palette images get a grey or a colour palette.
CxImage makeImage(uint32_t w, uint32_t h, uint32_t bpp, bool greyPalette);
// True when both pictures show the same colours at every pixel.
bool sameColours(const CxImage& a, const CxImage& b);
// Mean absolute difference of the colour channels (for the lossy JPEG).
double meanAbsDiff(const CxImage& a, const CxImage& b);

std::vector<uint8_t> encode(CxImage& img, uint32_t type);
std::vector<uint8_t> readFile(const std::filesystem::path& p);
void writeFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes);

void put16(std::vector<uint8_t>& v, size_t at, uint32_t x);
void put32(std::vector<uint8_t>& v, size_t at, uint32_t x);
uint32_t get32be(const std::vector<uint8_t>& v, size_t at);
void put32be(std::vector<uint8_t>& v, size_t at, uint32_t x);

// A fresh folder under the system temporary folder, removed by the destructor.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    std::filesystem::path file(const std::string& name) const { return m_path / name; }
    size_t entryCount() const;

private:
    std::filesystem::path m_path;
};

} // namespace codectest
