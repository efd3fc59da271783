#include <quillmere/common/try.hpp>
#include <quillmere/dat/dat_header.hpp>
#include <quillmere/dat/utils/field_reader.hpp>

namespace quillmere_dat {

utils::ReadResult<DatHeader> DatHeader::unpack(utils::ByteReader& reader) {
    utils::FieldReader record(reader, "DatHeader");
    DatHeader header;
    header.magic = QM_TRY(record.u32("magic"));
    header.block_size = QM_TRY(record.u32("block_size"));
    header.file_size = QM_TRY(record.u32("file_size"));
    header.dataset = QM_TRY(record.u32("dataset"));
    header.subset = QM_TRY(record.u32("subset"));
    header.free_head = QM_TRY(record.u32("free_head"));
    header.free_tail = QM_TRY(record.u32("free_tail"));
    header.free_count = QM_TRY(record.u32("free_count"));
    header.root_offset = QM_TRY(record.u32("root_offset"));
    header.new_lru = QM_TRY(record.u32("new_lru"));
    header.old_lru = QM_TRY(record.u32("old_lru"));
    header.use_lru = QM_TRY(record.u32("use_lru"));
    header.master_map_id = QM_TRY(record.u32("master_map_id"));
    header.engine_version = QM_TRY(record.u32("engine_version"));
    header.game_version = QM_TRY(record.u32("game_version"));
    header.version_string = QM_TRY(record.field(
        "version_string", [](utils::ByteReader& r) { return r.read_array<16>(); }));
    header.version_minor = QM_TRY(record.u32("version_minor"));
    return header;
}

void DatHeader::pack(utils::ByteWriter& writer) const {
    for (const std::uint32_t value :
         {magic, block_size, file_size, dataset, subset, free_head, free_tail, free_count,
          root_offset, new_lru, old_lru, use_lru, master_map_id, engine_version, game_version}) {
        writer.write_u32(value);
    }
    writer.write_bytes(version_string);
    writer.write_u32(version_minor);
}

}  // namespace quillmere_dat
