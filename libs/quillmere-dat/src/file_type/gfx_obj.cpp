#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/gfx_obj.hpp>
#include <quillmere/dat/utils/math_records.hpp>
#include <quillmere/dat/utils/primitives.hpp>

namespace quillmere_dat::file_type::gfx_obj {

using graphics::Polygon;
using physics::BspNode;
using physics::BspTreeKind;
using utils::ByteReader;
using utils::ByteWriter;
using utils::ReadResult;

namespace {

using PolygonMap = std::map<std::uint16_t, Polygon>;

ReadResult<PolygonMap> read_polygons(ByteReader& reader) {
    const std::uint32_t count = QM_TRY(utils::read_compressed_u32(reader));
    PolygonMap polygons;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint16_t id = QM_TRY(reader.read_u16());
        polygons.insert_or_assign(id, QM_TRY(Polygon::unpack(reader)));
    }
    return polygons;
}

void write_polygons(ByteWriter& writer, const PolygonMap& polygons) {
    writer.write_compressed_u32(static_cast<std::uint32_t>(polygons.size()));
    for (const auto& [id, polygon] : polygons) {
        writer.write_u16(id);
        polygon.pack(writer);
    }
}

void write_tree(ByteWriter& writer, const std::optional<BspNode>& tree, BspTreeKind kind) {
    if (tree) {
        tree->pack(writer, kind);
    } else {
        BspNode().pack(writer, kind);
    }
}

}  // namespace

ReadResult<GfxObj> GfxObj::unpack(ByteReader& reader) {
    GfxObj object;
    object.id = QM_TRY(reader.read_u32());
    object.flags = QM_TRY(reader.read_u32());
    object.surfaces = QM_TRY(utils::read_smart_vec(reader));
    object.vertex_array = QM_TRY(graphics::CVertexArray::unpack(reader));
    if ((object.flags & has_physics) != 0) {
        object.physics_polygons = QM_TRY(read_polygons(reader));
        object.physics_bsp = QM_TRY(BspNode::read(reader, BspTreeKind::physics));
    }
    object.sort_center = QM_TRY(utils::read_vector3(reader));
    if ((object.flags & has_drawing) != 0) {
        object.polygons = QM_TRY(read_polygons(reader));
        object.drawing_bsp = QM_TRY(BspNode::read(reader, BspTreeKind::drawing));
    }
    if ((object.flags & has_degrade) != 0) object.degrade_id = QM_TRY(reader.read_u32());
    return object;
}

void GfxObj::pack(ByteWriter& writer) const {
    writer.write_u32(id);
    writer.write_u32(flags);
    writer.write_smart_vec(surfaces);
    vertex_array.pack(writer);
    if ((flags & has_physics) != 0) {
        write_polygons(writer, physics_polygons);
        write_tree(writer, physics_bsp, BspTreeKind::physics);
    }
    utils::pack(writer, sort_center);
    if ((flags & has_drawing) != 0) {
        write_polygons(writer, polygons);
        write_tree(writer, drawing_bsp, BspTreeKind::drawing);
    }
    if ((flags & has_degrade) != 0) writer.write_u32(degrade_id.value_or(0));
}

}  // namespace quillmere_dat::file_type::gfx_obj
