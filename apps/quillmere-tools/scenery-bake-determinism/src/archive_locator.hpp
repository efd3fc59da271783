#pragma once

#include "tool_error.hpp"

#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace scenery_bake_determinism {

// Where one archive may be: the environment variable's value first (even an
// empty one), then the fixed paths. The first candidate that a status query
// (following symbolic links) finds is taken, whatever kind of file it is.
struct ArchiveCandidates {
    std::string_view file_name;  // for the "not found" error
    std::optional<std::filesystem::path> from_environment;
    std::span<const std::filesystem::path> fixed_paths;
};

std::expected<std::filesystem::path, ToolError> locate_archive(const ArchiveCandidates& candidates);

// The fixed candidate paths of the two archives.
std::span<const std::filesystem::path> portal_fixed_paths();
std::span<const std::filesystem::path> cell_fixed_paths();

}  // namespace scenery_bake_determinism
