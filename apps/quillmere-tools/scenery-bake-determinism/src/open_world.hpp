#pragma once

#include "tool_error.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/file_type/region.hpp>

#include <expected>
#include <filesystem>
#include <string>

namespace scenery_bake_determinism {

// The region record every bake starts from, in the portal archive.
inline constexpr std::uint32_t region_file_id = 0x13000000;

// Opens an archive; a failure is the archive error under `context`.
std::expected<quillmere_dat::DatDatabase, ToolError> open_archive(const std::filesystem::path& path,
                                                                  const std::string& context);

// Reads and decodes the region: "fetch Region 0x13000000" over the archive
// error, or "parse Region" over the decoder's error.
std::expected<quillmere_dat::file_type::region::Region, ToolError> read_region(
    const quillmere_dat::DatDatabase& portal);

}  // namespace scenery_bake_determinism
