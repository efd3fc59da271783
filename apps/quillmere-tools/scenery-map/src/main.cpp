// scenery-map: draws what the baker placed on a range of landblocks as an SVG
// picture.

#include "command_line.hpp"
#include "map_command.hpp"

#include <cstdio>

int main(int argc, char** argv) {
    using namespace scenery_bake_tool;
    CLI::App app{"Draws a range of a world's landblocks as a self-contained SVG picture: the terrain, roads, "
                 "buildings and every object the scenery baker placed, and with --drops the objects it dropped "
                 "and why.",
                 "scenery-map"};
    ArchivePaths archives;
    std::string landblocks = "A3AE-AFBA";
    bool drops = false;
    std::filesystem::path out;
    add_world_options(app, archives, landblocks);
    app.add_flag("--drops", drops, "Also draw the objects the baker dropped, coloured by the reason");
    app.add_option("--out", out, "The SVG file to write")->required();
    if (const auto status = parse_command_line(app, argc, argv)) return *status;

    auto selection = parse_landblocks(landblocks);
    if (!selection) return usage_error(app, selection.error());

    const scenery_map::MapRequest request{archives, *selection, landblocks, drops, out};
    const auto result = scenery_map::run_map(request, Environment::from_process());
    if (!result) {
        std::fputs(result.error().report().c_str(), stderr);
        return exit_failure;
    }
    return 0;
}
