#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/object_desc.hpp>

namespace quillmere_dat::file_type::object_desc {

utils::ReadResult<ObjectDesc> ObjectDesc::unpack(utils::ByteReader& reader) {
    ObjectDesc desc;
    desc.obj_id = QM_TRY(reader.read_u32());
    desc.frame = QM_TRY(graphics::Frame::unpack(reader));
    desc.frequency = QM_TRY(reader.read_f32());
    desc.displace_x = QM_TRY(reader.read_f32());
    desc.displace_y = QM_TRY(reader.read_f32());
    desc.min_scale = QM_TRY(reader.read_f32());
    desc.max_scale = QM_TRY(reader.read_f32());
    desc.max_rotation = QM_TRY(reader.read_f32());
    desc.min_slope = QM_TRY(reader.read_f32());
    desc.max_slope = QM_TRY(reader.read_f32());
    desc.param_a = QM_TRY(reader.read_u32());
    desc.param_b = QM_TRY(reader.read_u32());
    desc.skip_marker = QM_TRY(reader.read_u32());
    return desc;
}

void ObjectDesc::pack(utils::ByteWriter& writer) const {
    writer.write_u32(obj_id);
    frame.pack(writer);
    writer.write_f32(frequency);
    writer.write_f32(displace_x);
    writer.write_f32(displace_y);
    writer.write_f32(min_scale);
    writer.write_f32(max_scale);
    writer.write_f32(max_rotation);
    writer.write_f32(min_slope);
    writer.write_f32(max_slope);
    writer.write_u32(param_a);
    writer.write_u32(param_b);
    writer.write_u32(skip_marker);
}

}  // namespace quillmere_dat::file_type::object_desc
