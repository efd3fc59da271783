#include <quillmere/common/try.hpp>
#include <quillmere/dat/landblock/landblock_info.hpp>
#include <quillmere/dat/utils/field_reader.hpp>
#include <quillmere/dat/utils/math_records.hpp>

namespace quillmere_dat::landblock {

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

utils::ReadResult<Stab> Stab::unpack(utils::ByteReader& reader) {
    utils::FieldReader record(reader, "Stab");
    const std::uint32_t id = QM_TRY(record.u32("id"));
    const Frame frame = QM_TRY(record.field("frame", Frame::unpack));
    return Stab{id, frame};
}

void Stab::pack(utils::ByteWriter& writer) const {
    writer.write_u32(id);
    frame.pack(writer);
}

}  // namespace quillmere_dat::landblock
