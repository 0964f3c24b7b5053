// Replays a fuzz target's corpus without libFuzzer, so that every build runs the inputs the
// fuzzing kept through the target's checks: each file of the directory, in name order, in
// one process as libFuzzer would. Each input is named before it runs, so that a failed
// check or a sanitizer report is known to come from it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS-DIR\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> inputs;
    // Absolute paths: the targets change into their scratch trees.
    for (const fs::directory_entry& e : fs::directory_iterator(fs::absolute(argv[1]), ec))
        if (e.is_regular_file(ec)) inputs.push_back(e.path());
    if (ec || inputs.empty()) {
        std::fprintf(stderr, "fuzz replay: no inputs in %s\n", argv[1]);
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        if (in.bad()) {
            std::fprintf(stderr, "fuzz replay: cannot read %s\n", input.c_str());
            return 1;
        }
        std::fprintf(stderr, "fuzz replay: %s\n", input.c_str());
        std::fflush(stderr);
        // A buffer of exactly the input's size, as libFuzzer hands over: a read past its end
        // is then one the sanitizers see.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        LLVMFuzzerTestOneInput(exact.get(), bytes.size());
    }
    std::fprintf(stderr, "fuzz replay: %zu inputs passed\n", inputs.size());
    return 0;
}
