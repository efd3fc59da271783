// quillmere-mkworld: writes a world's portal and cell archives.

#include "profiles.hpp"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

namespace {

void print_progress(std::size_t done, std::size_t total) {
    std::fprintf(stderr, "\rquillmere-mkworld: %zu / %zu files", done, total);
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes a generated world: client_portal.dat and client_cell_1.dat.", "quillmere-mkworld"};
    std::filesystem::path out;
    std::uint64_t seed = 1;
    std::string profile_name = "demo";
    app.add_option("-o,--out", out, "Folder to write the two archives into (created if missing)")->required();
    app.add_option("-s,--seed", seed, "Seed of the world; the same seed gives the same bytes")->capture_default_str();
    app.add_option("-p,--profile", profile_name, "World to build: demo, minimal or large")
        ->check(CLI::IsMember({"demo", "minimal", "large"}))
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    const quillmere_mkworld::Profile profile = *quillmere_mkworld::parse_profile(profile_name);

    std::error_code error;
    std::filesystem::create_directories(out, error);
    if (error) {
        std::cerr << "quillmere-mkworld: cannot create " << out.string() << ": " << error.message() << "\n";
        return 1;
    }

    const quillmere_mkworld::Progress progress =
        ::isatty(STDERR_FILENO) ? quillmere_mkworld::Progress(print_progress) : quillmere_mkworld::Progress();
    const auto world = quillmere_mkworld::build_world(profile, seed, progress);
    if (auto written = world.write(out); !written) {
        std::cerr << "quillmere-mkworld: " << written.error().display() << "\n";
        return 1;
    }
    std::cerr << "quillmere-mkworld: wrote " << (out / quillmere_mkworld::portal_file_name).string() << " ("
              << world.portal().file_count() << " files) and " << (out / quillmere_mkworld::cell_file_name).string()
              << " (" << world.cell().file_count() << " files)\n";
    return 0;
}
