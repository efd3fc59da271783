#pragma once

#include "driver.hpp"
#include "tool_error.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/file_type/region.hpp>

#include <expected>
#include <filesystem>
#include <optional>

namespace scenery_bake_tool {

using scenery_bake_determinism::Environment;
using scenery_bake_determinism::ToolError;

// Where the archives are: a path given on the command line is used as it is;
// without one, the archive is looked for like the check does (its
// environment variable, then the fixed candidates).
struct ArchivePaths {
    std::optional<std::filesystem::path> portal;
    std::optional<std::filesystem::path> cell;
};

// Both archives opened and the region read: everything a bake reads.
struct World {
    std::filesystem::path portal_path;
    std::filesystem::path cell_path;
    quillmere_dat::DatDatabase portal;
    quillmere_dat::DatDatabase cell;
    quillmere_dat::file_type::region::Region region;
};

// Fails with "no portal archive: ..." (or cell) when none is found, "open
// portal" (or cell) over the archive's error, which names the path, or the
// region's error.
std::expected<World, ToolError> open_world(const ArchivePaths& paths, const Environment& environment);

}  // namespace scenery_bake_tool
