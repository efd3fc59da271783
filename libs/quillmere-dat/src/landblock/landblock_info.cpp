#include <quillmere/common/try.hpp>
#include <quillmere/dat/landblock/landblock_info.hpp>
#include <quillmere/dat/utils/field_reader.hpp>

#include <cassert>

#include "list_io.hpp"

namespace quillmere_dat::landblock {

namespace {

utils::ReadResult<std::map<std::uint32_t, std::uint32_t>> read_entries(utils::ByteReader& reader,
                                                                       std::uint16_t count) {
    std::map<std::uint32_t, std::uint32_t> tables;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint32_t key = QM_TRY(reader.read_u32());
        const std::uint32_t value = QM_TRY(reader.read_u32());
        tables.insert_or_assign(key, value);
    }
    return tables;
}

}  // namespace

utils::ReadResult<RestrictionTable> RestrictionTable::unpack(utils::ByteReader& reader) {
    utils::FieldReader record(reader, "RestrictionTable");
    const std::uint16_t count = QM_TRY(record.u16("count"));
    QM_TRY_VOID(record.u16("_bucket_size"));
    auto tables = QM_TRY(record.field(
        "tables", [count](utils::ByteReader& r) { return read_entries(r, count); }));
    return RestrictionTable{std::move(tables)};
}

void RestrictionTable::pack(utils::ByteWriter& writer) const {
    writer.write_u16(detail::wire_count<std::uint16_t>(tables.size(), "RestrictionTable tables"));
    writer.write_u16(0);
    for (const auto& [key, value] : tables) {
        writer.write_u32(key);
        writer.write_u32(value);
    }
}

utils::ReadResult<LandblockInfo> LandblockInfo::unpack(utils::ByteReader& reader) {
    utils::FieldReader record(reader, "LandblockInfo");
    LandblockInfo info;
    info.id = QM_TRY(record.u32("id"));
    info.num_cells = QM_TRY(record.u32("num_cells"));
    const std::uint32_t num_objects = QM_TRY(record.u32("num_objects"));
    info.objects = QM_TRY(record.field("objects", detail::read_records<Stab>(num_objects)));
    const std::uint16_t num_buildings = QM_TRY(record.u16("num_buildings"));
    info.pack_mask = QM_TRY(record.u16("pack_mask"));
    info.buildings = QM_TRY(record.field("buildings", detail::read_records<BuildInfo>(num_buildings)));
    if ((info.pack_mask & pack_mask_restrictions) != 0) {
        info.restriction_tables =
            QM_TRY(record.field("restriction_tables", RestrictionTable::unpack));
    }
    return info;
}

void LandblockInfo::pack(utils::ByteWriter& writer) const {
    writer.write_u32(id);
    writer.write_u32(num_cells);
    writer.write_u32(detail::wire_count<std::uint32_t>(objects.size(), "LandblockInfo objects"));
    for (const Stab& object : objects) object.pack(writer);
    writer.write_u16(detail::wire_count<std::uint16_t>(buildings.size(), "LandblockInfo buildings"));
    writer.write_u16(pack_mask);
    for (const BuildInfo& building : buildings) building.pack(writer);

    // The mask bit is what the reader goes by, so it decides what is written.
    const bool announced = (pack_mask & pack_mask_restrictions) != 0;
    assert(announced == restriction_tables.has_value() &&
           "LandblockInfo: pack_mask bit 0 disagrees with the restriction table");
    if (!announced) return;
    if (restriction_tables.has_value()) {
        restriction_tables->pack(writer);
    } else {
        RestrictionTable{}.pack(writer);
    }
}

}  // namespace quillmere_dat::landblock
