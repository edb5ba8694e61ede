// Runs a fuzz target over saved inputs without libFuzzer, so the ordinary build (g++, the
// sanitizers of the dev preset) replays every input that once failed. Arguments are files or
// folders; a folder's files are replayed in name order, hidden ones left out.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsIn(const fs::path& argument) {
    if (!fs::is_directory(argument)) {
        return {argument};
    }
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(argument)) {
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with(".")) {
            inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        if (!fs::exists(argv[i])) {
            std::fprintf(stderr, "replay: %s does not exist\n", argv[i]);
            return 2;
        }
        for (const fs::path& input : inputsIn(argv[i])) {
            std::ifstream file(input, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
            std::printf("replay: %s (%zu bytes)\n", input.c_str(), bytes.size());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
            ++replayed;
        }
    }
    std::printf("replay: %zu inputs, no fault\n", replayed);
    return 0;
}
