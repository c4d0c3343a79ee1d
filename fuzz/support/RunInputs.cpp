// Runs a fuzz target's entry point once per input file, without a fuzzing engine:
// the regression tests of `make test` (fuzz/CMakeLists.txt) give it the target's seed
// corpus and the reproducers of faults found so far.
//
//   varn_fuzz_inputs_<target> FILE_OR_DIRECTORY...
//
// A directory stands for every regular file in it, in name order. Each file's name is
// printed before it runs, so that a crash names the input that caused it.
#include "support/FuzzInput.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool collect(const std::filesystem::path& path, std::vector<std::filesystem::path>& files)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(path, error))
            if (entry.is_regular_file())
                found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
        return !error;
    }
    if (std::filesystem::is_regular_file(path, error)) {
        files.push_back(path);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        if (!collect(argv[i], files)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
    }
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 2;
        }
        std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::fprintf(stderr, "%s\n", file.c_str());
        std::fflush(stderr);
        // libFuzzer never passes a null pointer, not even for the empty input.
        static const uint8_t none = 0;
        LLVMFuzzerTestOneInput(data.empty() ? &none : data.data(), data.size());
    }
    std::fprintf(stderr, "%zu inputs ran without a fault\n", files.size());
    return 0;
}
