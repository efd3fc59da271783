#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/setup_model.hpp>
#include <quillmere/dat/utils/field_reader.hpp>
#include <quillmere/dat/utils/math_records.hpp>

// The field-by-field records of a setup model.
namespace quillmere_dat::file_type::setup_model {

using graphics::Frame;
using utils::ByteReader;
using utils::ByteWriter;
using utils::ReadResult;

ReadResult<CylSphere> CylSphere::unpack(ByteReader& reader) {
    utils::FieldReader record(reader, "CylSphere");
    CylSphere shape;
    shape.origin = QM_TRY(record.field("origin", utils::read_vector3));
    shape.radius = QM_TRY(record.f32("radius"));
    shape.height = QM_TRY(record.f32("height"));
    return shape;
}

void CylSphere::pack(ByteWriter& writer) const {
    utils::pack(writer, origin);
    writer.write_f32(radius);
    writer.write_f32(height);
}

ReadResult<LightInfo> LightInfo::unpack(ByteReader& reader) {
    utils::FieldReader record(reader, "LightInfo");
    LightInfo light;
    light.viewer_space_location = QM_TRY(record.field("viewer_space_location", Frame::unpack));
    light.color = QM_TRY(record.u32("color"));
    light.intensity = QM_TRY(record.f32("intensity"));
    light.falloff = QM_TRY(record.f32("falloff"));
    light.cone_angle = QM_TRY(record.f32("cone_angle"));
    return light;
}

void LightInfo::pack(ByteWriter& writer) const {
    viewer_space_location.pack(writer);
    writer.write_u32(color);
    writer.write_f32(intensity);
    writer.write_f32(falloff);
    writer.write_f32(cone_angle);
}

ReadResult<LocationType> LocationType::unpack(ByteReader& reader) {
    utils::FieldReader record(reader, "LocationType");
    LocationType location;
    location.part_id = QM_TRY(record.u32("part_id"));
    location.frame = QM_TRY(record.field("frame", Frame::unpack));
    return location;
}

void LocationType::pack(ByteWriter& writer) const {
    writer.write_u32(part_id);
    frame.pack(writer);
}

}  // namespace quillmere_dat::file_type::setup_model
