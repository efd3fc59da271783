// quillmere-mkworld: writes a world's portal and cell archives.

#include "profiles.hpp"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace {

// A seed is a whole number from 0 to 2^64 - 1, in decimal, nothing else.
std::optional<std::uint64_t> parse_seed(const std::string& text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string check_seed(const std::string& text) {
    if (parse_seed(text)) return {};
    return "the seed must be a whole number from 0 to 18446744073709551615, not '" + text + "'";
}

void print_progress(std::size_t done, std::size_t total) {
    std::fprintf(stderr, "\rquillmere-mkworld: %zu / %zu files", done, total);
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes a generated world: client_portal.dat and client_cell_1.dat.", "quillmere-mkworld"};
    std::filesystem::path out;
    std::string seed_text = "1";
    std::string profile_name = "demo";
    app.add_option("-o,--out", out, "Folder to write the two archives into (created if missing)")->required();
    app.add_option("-s,--seed", seed_text, "Seed of the world; the same seed gives the same bytes")
        ->check(CLI::Validator(check_seed, "UINT64"))
        ->capture_default_str();
    app.add_option("-p,--profile", profile_name, "World to build: demo, minimal or large")
        ->check(CLI::IsMember({"demo", "minimal", "large"}))
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    const quillmere_mkworld::Profile profile = *quillmere_mkworld::parse_profile(profile_name);
    const std::uint64_t seed = *parse_seed(seed_text);

    std::error_code error;
    std::filesystem::create_directories(out, error);
    if (error) {
        std::cerr << "quillmere-mkworld: cannot create " << out.string() << ": " << error.message() << "\n";
        return 1;
    }

    const quillmere_mkworld::Progress progress =
        ::isatty(STDERR_FILENO) ? quillmere_mkworld::Progress(print_progress) : quillmere_mkworld::Progress();
    const auto world = quillmere_mkworld::build_world(profile, seed, progress);
    const std::pair<const quillmere_dat::DatWriter*, const char*> archives[] = {
        {&world.portal(), quillmere_mkworld::portal_file_name},
        {&world.cell(), quillmere_mkworld::cell_file_name},
    };
    for (const auto& [archive, name] : archives) {
        const std::filesystem::path path = out / name;
        if (auto written = archive->write(path); !written) {
            std::cerr << "quillmere-mkworld: cannot write " << path.string() << ": " << written.error().display()
                      << "\n";
            return 1;
        }
    }
    std::cerr << "quillmere-mkworld: wrote " << (out / quillmere_mkworld::portal_file_name).string() << " ("
              << world.portal().file_count() << " files) and " << (out / quillmere_mkworld::cell_file_name).string()
              << " (" << world.cell().file_count() << " files)\n";
    return 0;
}
