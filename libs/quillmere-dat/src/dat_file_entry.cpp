#include <quillmere/common/try.hpp>
#include <quillmere/dat/dat_file_entry.hpp>
#include <quillmere/dat/utils/field_reader.hpp>

namespace quillmere_dat {

utils::ReadResult<DatFileEntry> DatFileEntry::unpack(utils::ByteReader& reader) {
    utils::FieldReader record(reader, "DatFileEntry");
    DatFileEntry entry;
    entry.bit_flags = QM_TRY(record.u32("bit_flags"));
    entry.id = QM_TRY(record.u32("id"));
    entry.offset = QM_TRY(record.u32("offset"));
    entry.size = QM_TRY(record.u32("size"));
    entry.timestamp = QM_TRY(record.u32("timestamp"));
    entry.version = QM_TRY(record.u32("version"));
    return entry;
}

void DatFileEntry::pack(utils::ByteWriter& writer) const {
    writer.write_u32(bit_flags);
    writer.write_u32(id);
    writer.write_u32(offset);
    writer.write_u32(size);
    writer.write_u32(timestamp);
    writer.write_u32(version);
}

}  // namespace quillmere_dat
