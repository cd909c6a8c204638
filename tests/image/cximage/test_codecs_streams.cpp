// Encoders on a stream that stops accepting bytes, decoding from the middle of a stream,
// and several threads decoding at once (thumbnail painters and the OCR worker do).
#include "test_codecs_images.h"

#include "image/cximage/CxMemStream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

using namespace codectest;

namespace {

// Accepts `limit` bytes, then refuses every write (a full disk).
class FullStream : public CxMemStream
{
public:
    explicit FullStream(size_t limit) : m_limit(limit) {}
    size_t Write(const void* buffer, size_t size) override
    {
        if (Tell() + int64_t(size) > int64_t(m_limit))
            return 0;
        return CxMemStream::Write(buffer, size);
    }

private:
    size_t m_limit;
};

} // namespace

TEST(CxImageStreams, EncodersReportAFullDisk)
{
    CxImage img = makeImage(300, 200, 24, false);
    struct Case
    {
        uint32_t type;
        const char* text;
    };
    for (Case c : {Case{CXIMAGE_FORMAT_BMP, "Error saving BMP file"},
                   Case{CXIMAGE_FORMAT_JPG, "Output file write error --- out of disk space?"},
                   Case{CXIMAGE_FORMAT_PNG, "Error saving PNG file"},
                   Case{CXIMAGE_FORMAT_TIF, "Error saving TIFF file"}}) {
        const size_t whole = encode(img, c.type).size();
        for (size_t limit : {size_t(0), size_t(100), whole / 2, whole - 1}) {
            FullStream full(limit);
            EXPECT_FALSE(img.Encode(&full, c.type)) << c.type << " limit " << limit;
            const std::string text = img.GetLastError();
            // TIFF names the part it was writing: pixel strips or the directory behind them.
            const bool expected = text == c.text || (c.type == CXIMAGE_FORMAT_TIF &&
                                                     text == "Error saving TIFF directory");
            EXPECT_TRUE(expected) << text << " for " << c.type << " limit " << limit;
        }
    }
}

TEST(CxImageStreams, DecodeStartsAtTheStreamPosition)
{
    CxImage img = makeImage(10, 10, 8, false);
    std::vector<uint8_t> bytes(7, 0xEE);
    const std::vector<uint8_t> png = encode(img, CXIMAGE_FORMAT_PNG);
    bytes.insert(bytes.end(), png.begin(), png.end());
    CxMemStream stream(bytes.data(), bytes.size());
    ASSERT_TRUE(stream.Seek(7, SEEK_SET));
    CxImage back;
    ASSERT_TRUE(back.Decode(&stream, CXIMAGE_FORMAT_UNKNOWN)) << back.GetLastError();
    EXPECT_EQ(back.GetType(), CXIMAGE_FORMAT_PNG);
    EXPECT_TRUE(sameColours(img, back));
}

TEST(CxImageStreams, ThreadsDecodeAndEncodeAtOnce)
{
    std::vector<std::vector<uint8_t>> files;
    for (uint32_t type :
         {CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF}) {
        CxImage img = makeImage(120, 90, 24, false);
        files.push_back(encode(img, type));
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                const auto& f = files[size_t((t + round) % 4)];
                CxImage img;
                std::vector<uint8_t> out;
                if (!img.Decode(f.data(), f.size(), CXIMAGE_FORMAT_UNKNOWN) ||
                    img.GetWidth() != 120 || !img.Encode(out, img.GetType()))
                    ++failures;
                // A damaged file in between must not disturb the other threads.
                CxImage bad;
                if (bad.Decode(f.data(), f.size() / 3, img.GetType()))
                    ++failures;
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
}
