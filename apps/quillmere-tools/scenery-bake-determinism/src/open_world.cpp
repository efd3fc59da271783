#include "open_world.hpp"

namespace scenery_bake_determinism {

std::expected<quillmere_dat::DatDatabase, ToolError> open_archive(const std::filesystem::path& path,
                                                                  const std::string& context) {
    auto database = quillmere_dat::DatDatabase::open(path);
    if (!database) return std::unexpected(ToolError::wrap(context, database.error()));
    return std::move(*database);
}

std::expected<quillmere_dat::file_type::region::Region, ToolError> read_region(
    const quillmere_dat::DatDatabase& portal) {
    const auto bytes = portal.get_file(region_file_id);
    if (!bytes) return std::unexpected(ToolError::wrap("fetch Region 0x13000000", bytes.error()));
    quillmere_dat::utils::ByteReader reader(*bytes);
    auto region = quillmere_dat::file_type::region::Region::unpack(reader);
    if (!region) return std::unexpected(ToolError::wrap("parse Region", region.error()));
    return std::move(*region);
}

}  // namespace scenery_bake_determinism
