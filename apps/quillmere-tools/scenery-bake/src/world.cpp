#include "world.hpp"

#include "archive_locator.hpp"
#include "open_world.hpp"

#include <quillmere/common/try.hpp>

namespace scenery_bake_tool {

namespace {

std::optional<std::filesystem::path> as_path(const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    return std::filesystem::path(*value);
}

std::expected<std::filesystem::path, ToolError> archive_path(
    const std::optional<std::filesystem::path>& given, const scenery_bake_determinism::ArchiveCandidates& candidates,
    const char* kind, const char* option, const char* variable) {
    if (given) return *given;
    auto found = scenery_bake_determinism::locate_archive(candidates);
    if (!found) {
        return std::unexpected(ToolError::wrap(std::string("no ") + kind + " archive: give " + option +
                                                   " PATH or set " + variable,
                                               found.error()));
    }
    return found;
}

}  // namespace

std::expected<World, ToolError> open_world(const ArchivePaths& paths, const Environment& environment) {
    namespace check = scenery_bake_determinism;
    auto portal_path = QM_TRY(archive_path(
        paths.portal, {"client_portal.dat", as_path(environment.portal_dat), check::portal_fixed_paths()}, "portal",
        "--portal", "QUILLMERE_PORTAL_DAT"));
    auto cell_path = QM_TRY(archive_path(paths.cell,
                                         {"client_cell_1.dat", as_path(environment.cell_dat), check::cell_fixed_paths()},
                                         "cell", "--cell", "QUILLMERE_CELL_DAT"));
    auto portal = QM_TRY(check::open_archive(portal_path, "open portal"));
    auto cell = QM_TRY(check::open_archive(cell_path, "open cell"));
    auto region = QM_TRY(check::read_region(portal));
    return World{std::move(portal_path), std::move(cell_path), std::move(portal), std::move(cell), std::move(region)};
}

}  // namespace scenery_bake_tool
