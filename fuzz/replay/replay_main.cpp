// Replays inputs through one fuzz target's entry function without libFuzzer,
// so every build (any compiler, with or without sanitizers) runs the
// regression corpus:
//
//     fuzz-replay-<target> FILE_OR_DIRECTORY...
//
// Files of a directory are replayed in name order; names starting with '.'
// are skipped. A path that does not exist is an error, so a renamed corpus
// folder cannot pass by replaying nothing. Each input's name is printed
// before it runs: a crash is reported right after the input that caused it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLMERE_REPLAY_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUILLMERE_REPLAY_ASAN 1
#endif

// The largest single allocation an input may cause, as the fuzzers'
// -malloc_limit_mb allows it: a decoder that sizes a buffer from a hostile
// count fails here in every build, not only where memory runs out.
constexpr std::size_t malloc_limit_mb = 64;

#if defined(QUILLMERE_REPLAY_ASAN)
// AddressSanitizer owns operator new; it enforces the same limit itself.
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=64"; }
#else
void* operator new(std::size_t size) {
    if (size > malloc_limit_mb << 20) {
        std::fprintf(stderr, "replay: an allocation of %zu bytes exceeds the %zu MB limit\n", size,
                     malloc_limit_mb);
        std::abort();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
#endif

namespace {

namespace fs = std::filesystem;

bool replay(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A copy of exactly the input's length, so reading past it is caught.
    std::vector<std::uint8_t> bytes(raw.begin(), raw.end());
    std::printf("replay: %s (%zu bytes)\n", file.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.empty() ? nullptr : bytes.data(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
        return 2;
    }
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path path = argv[i];
        std::error_code error;
        if (fs::is_regular_file(path, error)) {
            if (!replay(path)) return 1;
            ++replayed;
            continue;
        }
        if (!fs::is_directory(path, error)) {
            std::fprintf(stderr, "replay: %s is neither a file nor a directory\n", path.c_str());
            return 1;
        }
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(path)) {
            if (entry.is_regular_file() && !entry.path().filename().string().starts_with(".")) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            if (!replay(file)) return 1;
            ++replayed;
        }
    }
    std::printf("replay: %zu inputs passed\n", replayed);
    return 0;
}
