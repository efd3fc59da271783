#include "command_line.hpp"

#include <cstdio>

namespace scenery_bake_tool {

namespace {

void print_usage_error(const CLI::App& app, const std::string& report) {
    std::fputs(report.c_str(), stderr);
    std::fprintf(stderr, "Run '%s --help' for the options.\n", app.get_name().c_str());
}

}  // namespace

void add_world_options(CLI::App& app, ArchivePaths& archives, std::string& landblocks) {
    app.add_option("--portal", archives.portal,
                   "The portal archive (client_portal.dat); without it, $QUILLMERE_PORTAL_DAT or the usual places");
    app.add_option("--cell", archives.cell,
                   "The cell archive (client_cell_1.dat); without it, $QUILLMERE_CELL_DAT or the usual places");
    app.add_option("--landblocks", landblocks,
                   "'all' (every landblock with terrain), a rectangle between two corners such as A3AE-AFBA, "
                   "or a list such as A9B4,A9B5")
        ->capture_default_str();
}

std::optional<int> parse_command_line(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& error) {
        print_usage_error(app, "Error: " + std::string(error.what()) + "\n");
        return exit_usage;
    }
    return std::nullopt;
}

int usage_error(const CLI::App& app, const ToolError& error) {
    print_usage_error(app, error.report());
    return exit_usage;
}

}  // namespace scenery_bake_tool
