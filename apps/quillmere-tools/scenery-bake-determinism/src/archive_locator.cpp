#include "archive_locator.hpp"

#include <sys/stat.h>

#include <array>

namespace scenery_bake_determinism {

namespace {

bool exists_following_links(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

const std::array<std::filesystem::path, 2> portal_paths = {
    "/home/dunmarrow/projects/Fernwick/dats/base/client_portal.dat",
    "/home/dunmarrow/base_dats/client_portal.dat",
};

const std::array<std::filesystem::path, 2> cell_paths = {
    "/home/dunmarrow/projects/Fernwick/dats/base/client_cell_1.dat",
    "/home/dunmarrow/base_dats/client_cell_1.dat",
};

}  // namespace

std::span<const std::filesystem::path> portal_fixed_paths() { return portal_paths; }
std::span<const std::filesystem::path> cell_fixed_paths() { return cell_paths; }

std::expected<std::filesystem::path, ToolError> locate_archive(const ArchiveCandidates& candidates) {
    if (candidates.from_environment && exists_following_links(*candidates.from_environment)) {
        return *candidates.from_environment;
    }
    for (const auto& path : candidates.fixed_paths) {
        if (exists_following_links(path)) return path;
    }
    return std::unexpected(
        ToolError(std::string(candidates.file_name) + " not found in any candidate location"));
}

}  // namespace scenery_bake_determinism
