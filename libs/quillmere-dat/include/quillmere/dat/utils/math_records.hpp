#pragma once

#include <quillmere/common/math.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

// Readers and writers of the math records. Each is a field-by-field record:
// a failure names the field and the record and leaves the reader where the
// record began.
namespace quillmere_dat::utils {

ReadResult<quillmere_common::math::Vector3> read_vector3(ByteReader& reader);
ReadResult<quillmere_common::math::Quaternion> read_quaternion(ByteReader& reader);
ReadResult<quillmere_common::math::Plane> read_plane(ByteReader& reader);
ReadResult<quillmere_common::math::Sphere> read_sphere(ByteReader& reader);

void pack(ByteWriter& writer, const quillmere_common::math::Vector3& value);
void pack(ByteWriter& writer, const quillmere_common::math::Quaternion& value);
void pack(ByteWriter& writer, const quillmere_common::math::Plane& value);
void pack(ByteWriter& writer, const quillmere_common::math::Sphere& value);

}  // namespace quillmere_dat::utils
