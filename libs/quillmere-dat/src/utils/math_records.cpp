#include <quillmere/common/try.hpp>
#include <quillmere/dat/utils/field_reader.hpp>
#include <quillmere/dat/utils/math_records.hpp>

namespace quillmere_dat::utils {

using quillmere_common::math::Plane;
using quillmere_common::math::Quaternion;
using quillmere_common::math::Sphere;
using quillmere_common::math::Vector3;

ReadResult<Vector3> read_vector3(ByteReader& reader) {
    FieldReader record(reader, "Vector3");
    const float x = QM_TRY(record.f32("x"));
    const float y = QM_TRY(record.f32("y"));
    const float z = QM_TRY(record.f32("z"));
    return Vector3{x, y, z};
}

ReadResult<Quaternion> read_quaternion(ByteReader& reader) {
    FieldReader record(reader, "Quaternion");
    const float w = QM_TRY(record.f32("w"));
    const float x = QM_TRY(record.f32("x"));
    const float y = QM_TRY(record.f32("y"));
    const float z = QM_TRY(record.f32("z"));
    return Quaternion{w, x, y, z};
}

ReadResult<Plane> read_plane(ByteReader& reader) {
    FieldReader record(reader, "Plane");
    const Vector3 normal = QM_TRY(record.field("normal", read_vector3));
    const float d = QM_TRY(record.f32("d"));
    return Plane{normal, d};
}

ReadResult<Sphere> read_sphere(ByteReader& reader) {
    FieldReader record(reader, "Sphere");
    const Vector3 center = QM_TRY(record.field("center", read_vector3));
    const float radius = QM_TRY(record.f32("radius"));
    return Sphere{center, radius};
}

void pack(ByteWriter& writer, const Vector3& value) {
    writer.write_f32(value.x);
    writer.write_f32(value.y);
    writer.write_f32(value.z);
}

void pack(ByteWriter& writer, const Quaternion& value) {
    writer.write_f32(value.w);
    writer.write_f32(value.x);
    writer.write_f32(value.y);
    writer.write_f32(value.z);
}

void pack(ByteWriter& writer, const Plane& value) {
    pack(writer, value.normal);
    writer.write_f32(value.d);
}

void pack(ByteWriter& writer, const Sphere& value) {
    pack(writer, value.center);
    writer.write_f32(value.radius);
}

}  // namespace quillmere_dat::utils
