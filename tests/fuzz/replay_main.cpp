// Runs a fuzz target's entry point over every file of a corpus folder.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
// Targets that need set-up (an application object) define this, as libFuzzer
// expects; the others leave it out.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(argv[1], ec)) {
        std::fprintf(stderr, "no corpus folder %s\n", argv[1]);
        return 1;
    }
    int count = 0;
    for (const auto &item : fs::recursive_directory_iterator(argv[1])) {
        if (!item.is_regular_file())
            continue;
        std::ifstream in(item.path(), std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
        ++count;
    }
    if (count == 0) {
        std::fprintf(stderr, "corpus folder %s is empty\n", argv[1]);
        return 1;
    }
    std::printf("%d inputs replayed without a failure\n", count);
    return 0;
}
