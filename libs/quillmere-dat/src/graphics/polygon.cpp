#include <quillmere/common/try.hpp>
#include <quillmere/dat/graphics/polygon.hpp>
#include <quillmere/dat/utils/primitives.hpp>

namespace quillmere_dat::graphics {

using utils::ByteReader;
using utils::ByteWriter;
using utils::ReadResult;

namespace {

ReadResult<std::vector<std::uint8_t>> read_u8_list(ByteReader& reader, std::size_t count) {
    const auto bytes = QM_TRY(reader.read_bytes(count));
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

bool Polygon::has_pos_uvs() const noexcept { return num_vertices > 0 && (flags & no_pos_uvs) == 0; }

bool Polygon::has_neg_uvs() const noexcept {
    return num_vertices > 0 && (flags & no_neg_uvs) == 0 && side_mode == both_sides;
}

ReadResult<Polygon> Polygon::unpack(ByteReader& reader) {
    Polygon polygon;
    polygon.num_vertices = QM_TRY(reader.read_u8());
    polygon.flags = QM_TRY(reader.read_u8());
    polygon.side_mode = QM_TRY(reader.read_u32());
    polygon.pos_surface = QM_TRY(reader.read_u16());
    polygon.neg_surface = QM_TRY(reader.read_u16());
    polygon.vertex_ids = QM_TRY(utils::read_list<std::uint16_t>(
        reader, polygon.num_vertices, 2, [](ByteReader& r) { return r.read_u16(); }));
    if (polygon.has_pos_uvs()) polygon.pos_uv_indices = QM_TRY(read_u8_list(reader, polygon.num_vertices));
    if (polygon.has_neg_uvs()) polygon.neg_uv_indices = QM_TRY(read_u8_list(reader, polygon.num_vertices));
    return polygon;
}

void Polygon::pack(ByteWriter& writer) const {
    writer.write_u8(num_vertices);
    writer.write_u8(flags);
    writer.write_u32(side_mode);
    writer.write_u16(pos_surface);
    writer.write_u16(neg_surface);
    for (const std::uint16_t id : vertex_ids) writer.write_u16(id);
    if (has_pos_uvs()) writer.write_bytes(pos_uv_indices);
    if (has_neg_uvs()) writer.write_bytes(neg_uv_indices);
}

}  // namespace quillmere_dat::graphics
