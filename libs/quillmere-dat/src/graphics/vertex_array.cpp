#include <quillmere/common/try.hpp>
#include <quillmere/dat/graphics/vertex_array.hpp>
#include <quillmere/dat/utils/field_reader.hpp>
#include <quillmere/dat/utils/math_records.hpp>
#include <quillmere/dat/utils/primitives.hpp>

namespace quillmere_dat::graphics {

using utils::ByteReader;
using utils::ByteWriter;
using utils::ReadResult;

ReadResult<Vec2Duv> Vec2Duv::unpack(ByteReader& reader) {
    utils::FieldReader record(reader, "Vec2Duv");
    const float u = QM_TRY(record.f32("u"));
    const float v = QM_TRY(record.f32("v"));
    return Vec2Duv{u, v};
}

void Vec2Duv::pack(ByteWriter& writer) const {
    writer.write_f32(u);
    writer.write_f32(v);
}

ReadResult<SWVertex> SWVertex::unpack(ByteReader& reader) {
    utils::FieldReader record(reader, "SWVertex");
    SWVertex vertex;
    vertex.num_uvs = QM_TRY(record.u16("num_uvs"));
    vertex.origin = QM_TRY(record.field("origin", utils::read_vector3));
    vertex.normal = QM_TRY(record.field("normal", utils::read_vector3));
    vertex.uvs = QM_TRY(record.field("uvs", [count = vertex.num_uvs](ByteReader& r) {
        return utils::read_list<Vec2Duv>(r, count, 8, Vec2Duv::unpack);
    }));
    return vertex;
}

void SWVertex::pack(ByteWriter& writer) const {
    writer.write_u16(num_uvs);
    utils::pack(writer, origin);
    utils::pack(writer, normal);
    for (const Vec2Duv& uv : uvs) uv.pack(writer);
}

ReadResult<CVertexArray> CVertexArray::unpack(ByteReader& reader) {
    CVertexArray array;
    array.vertex_type = QM_TRY(reader.read_u32());
    const std::uint32_t count = QM_TRY(reader.read_u32());
    if (array.vertex_type != sw_vertex_type) return array;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint16_t id = QM_TRY(reader.read_u16());
        array.vertices.insert_or_assign(id, QM_TRY(SWVertex::unpack(reader)));
    }
    return array;
}

void CVertexArray::pack(ByteWriter& writer) const {
    writer.write_u32(vertex_type);
    if (vertex_type != sw_vertex_type) {
        writer.write_u32(0);
        return;
    }
    writer.write_u32(static_cast<std::uint32_t>(vertices.size()));
    for (const auto& [id, vertex] : vertices) {
        writer.write_u16(id);
        vertex.pack(writer);
    }
}

}  // namespace quillmere_dat::graphics
