#include <quillmere/common/try.hpp>
#include <quillmere/dat/graphics/frame.hpp>
#include <quillmere/dat/utils/field_reader.hpp>
#include <quillmere/dat/utils/math_records.hpp>

namespace quillmere_dat::graphics {

utils::ReadResult<Frame> Frame::unpack(utils::ByteReader& reader) {
    utils::FieldReader record(reader, "Frame");
    const auto origin = QM_TRY(record.field("origin", utils::read_vector3));
    const auto orientation = QM_TRY(record.field("orientation", utils::read_quaternion));
    return Frame{origin, orientation};
}

void Frame::pack(utils::ByteWriter& writer) const {
    utils::pack(writer, origin);
    utils::pack(writer, orientation);
}

}  // namespace quillmere_dat::graphics
