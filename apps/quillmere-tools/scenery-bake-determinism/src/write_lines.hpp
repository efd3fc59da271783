#pragma once

#include "line_list.hpp"
#include "tool_error.hpp"

#include <cstdint>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

namespace scenery_bake_determinism {

// Creates or truncates `path` and writes `content` in one piece. Fails with
// "write {path}" and the file system's error as its cause.
std::expected<void, ToolError> write_file(const std::filesystem::path& path, std::string_view content);

// "0x{lb}.scenery.jsonl" with 4 upper-case hex digits.
[[nodiscard]] std::string landblock_file_name(std::uint16_t landblock);

// Writes `content`, a landblock's lines each followed by a line feed, as
// that landblock's file in `directory`, created or truncated, in one write.
// Fails with "write {path}" and the file system's error as its cause.
std::expected<void, ToolError> write_landblock_file(const std::filesystem::path& directory, std::uint16_t landblock,
                                                    std::string_view content);

// Writes one landblock's lines as its file in `directory`; fails like
// write_landblock_file.
std::expected<void, ToolError> write_lines(const std::filesystem::path& directory, std::uint16_t landblock,
                                           const LineList& lines);

}  // namespace scenery_bake_determinism
