#include <quillmere/common/try.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/dat/utils/field_reader.hpp>

namespace quillmere_dat::landblock {

namespace {

utils::ReadResult<std::array<std::uint16_t, vertex_count>> read_terrain(utils::ByteReader& reader) {
    std::array<std::uint16_t, vertex_count> terrain{};
    for (std::uint16_t& word : terrain) word = QM_TRY(reader.read_u16());
    return terrain;
}

utils::ReadResult<std::array<std::uint8_t, vertex_count>> read_heights(utils::ByteReader& reader) {
    std::array<std::uint8_t, vertex_count> height{};
    for (std::uint8_t& code : height) code = QM_TRY(reader.read_u8());
    return height;
}

}  // namespace

utils::ReadResult<CellLandblock> CellLandblock::unpack(utils::ByteReader& reader) {
    utils::FieldReader record(reader, "CellLandblock");
    CellLandblock landblock;
    landblock.id = QM_TRY(record.u32("id"));
    landblock.has_objects = QM_TRY(record.u32("has_objects"));
    landblock.terrain = QM_TRY(record.field("terrain", read_terrain));
    landblock.height = QM_TRY(record.field("height", read_heights));
    return landblock;
}

void CellLandblock::pack(utils::ByteWriter& writer) const {
    writer.write_u32(id);
    writer.write_u32(has_objects);
    for (const std::uint16_t word : terrain) writer.write_u16(word);
    for (const std::uint8_t code : height) writer.write_u8(code);
}

}  // namespace quillmere_dat::landblock
