// Plain driver of the fuzz targets for the ordinary build: runs LLVMFuzzerTestOneInput once
// on every file named on the command line (folders: every file in them, in name order).
// A target that aborts or crashes on an input fails the test that runs it; a folder
// without a single input fails too, so that a lost seed folder does not pass unnoticed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

bool runFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read the file\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    // A copy of exactly the input's size, so that a read past its end is a read past an
    // allocation (seen by the sanitizers in their builds).
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE|FOLDER...\n", argv[0]);
        return 2;
    }
    size_t runs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (!std::filesystem::is_directory(arg, ec)) {
            if (!runFile(arg))
                return 1;
            ++runs;
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        if (ec || files.empty()) {
            std::fprintf(stderr, "%s: no inputs in the folder\n", arg.c_str());
            return 1;
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            if (!runFile(file))
                return 1;
            ++runs;
        }
    }
    std::printf("%zu inputs ran\n", runs);
    return 0;
}
