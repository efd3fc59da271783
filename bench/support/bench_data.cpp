#include "bench_data.hpp"

#include <profiles.hpp>

#include <quillmere/dat/dat_writer.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#ifndef QUILLMERE_BENCH_DEFAULT_DATA
#error "QUILLMERE_BENCH_DEFAULT_DATA must name the folder for generated inputs"
#endif

namespace quillmere_bench {

namespace {

namespace fs = std::filesystem;

const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

WorldPaths paths_in(const fs::path& folder) {
    return {folder / quillmere_mkworld::portal_file_name, folder / quillmere_mkworld::cell_file_name};
}

// Writes into a scratch folder and renames it into place, so an interrupted
// run never leaves a half-written input that a later run would trust.
template <typename Write>
void generate_once(const fs::path& target, std::string_view what, Write&& write) {
    if (fs::exists(target)) return;
    std::fprintf(stderr, "Writing %.*s into %s (first run only)...\n", static_cast<int>(what.size()), what.data(),
                 target.c_str());
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (error) setup_failure("cannot create " + target.parent_path().string() + ": " + error.message());
    fs::path scratch = target;
    scratch += ".partial";
    fs::remove_all(scratch, error);
    write(scratch);
    fs::rename(scratch, target, error);
    if (error) setup_failure("cannot rename " + scratch.string() + ": " + error.message());
}

WorldPaths world(const char* variable, const char* folder_name, quillmere_mkworld::Profile profile) {
    if (const char* given = environment(variable)) return paths_in(given);
    const fs::path folder = data_directory() / folder_name;
    generate_once(folder, folder_name, [profile](const fs::path& scratch) {
        std::error_code error;
        fs::create_directories(scratch, error);
        if (error) setup_failure("cannot create " + scratch.string() + ": " + error.message());
        const auto built = quillmere_mkworld::build_world(profile, 1);
        if (auto written = built.write(scratch); !written) setup_failure(written.error().display());
    });
    return paths_in(folder);
}

}  // namespace

void setup_failure(std::string_view what) {
    std::fprintf(stderr, "benchmark setup failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::exit(2);
}

fs::path data_directory() {
    if (const char* given = environment("QUILLMERE_BENCH_DATA")) return given;
    return QUILLMERE_BENCH_DEFAULT_DATA;
}

WorldPaths demo_world() {
    return world("QUILLMERE_BENCH_DEMO_WORLD", "demo-world", quillmere_mkworld::Profile::demo);
}

WorldPaths large_world() {
    return world("QUILLMERE_BENCH_LARGE_WORLD", "large-world", quillmere_mkworld::Profile::large);
}

fs::path million_file_archive() {
    if (const char* given = environment("QUILLMERE_BENCH_MILLION_DAT")) return given;
    const fs::path archive = data_directory() / "million-files.dat";
    generate_once(archive, "an archive of 1,000,000 files", [](const fs::path& scratch) {
        constexpr std::uint32_t file_count = 1'000'000;
        quillmere_dat::DatWriter writer(256);
        // Ids spread over the whole 32-bit range, sizes 16..200 bytes; a
        // small linear congruential sequence keeps it reproducible.
        std::uint32_t state = 0x2545F491U;
        for (std::uint32_t k = 0; k < file_count; ++k) {
            state = state * 1664525U + 1013904223U;
            const std::uint32_t id = k * 4271U + (state >> 28);  // distinct, ascending
            std::vector<std::uint8_t> bytes(16 + (state >> 8) % 185);
            for (std::size_t b = 0; b < bytes.size(); ++b) bytes[b] = static_cast<std::uint8_t>(k + b * 7);
            writer.add_file(id, std::move(bytes));
        }
        if (auto written = writer.write(scratch); !written) setup_failure(written.error().display());
    });
    return archive;
}

}  // namespace quillmere_bench
