#include <quillmere/common/try.hpp>
#include <quillmere/dat/landblock/landblock_info.hpp>
#include <quillmere/dat/utils/field_reader.hpp>

#include "list_io.hpp"

namespace quillmere_dat::landblock {

namespace {

utils::ReadResult<std::vector<std::uint16_t>> read_stabs(utils::ByteReader& reader,
                                                         std::uint16_t count) {
    std::vector<std::uint16_t> stabs;
    for (std::uint16_t i = 0; i < count; ++i) stabs.push_back(QM_TRY(reader.read_u16()));
    return stabs;
}

}  // namespace

utils::ReadResult<PortalInternal> PortalInternal::unpack(utils::ByteReader& reader) {
    utils::FieldReader record(reader, "PortalInternal");
    PortalInternal portal;
    portal.flags = QM_TRY(record.u16("flags"));
    portal.other_cell_id = QM_TRY(record.u16("other_cell_id"));
    portal.other_portal_id = QM_TRY(record.u16("other_portal_id"));
    const std::uint16_t num_stabs = QM_TRY(record.u16("num_stabs"));
    portal.stab_list = QM_TRY(
        record.field("stab_list", [num_stabs](utils::ByteReader& r) { return read_stabs(r, num_stabs); }));
    // Keeps the record a whole number of 4-byte words. Stepped over rather
    // than read, so the end of the data may fall inside it.
    if (num_stabs % 2 != 0) reader.set_position(reader.position() + 2);
    return portal;
}

void PortalInternal::pack(utils::ByteWriter& writer) const {
    writer.write_u16(flags);
    writer.write_u16(other_cell_id);
    writer.write_u16(other_portal_id);
    writer.write_u16(detail::wire_count<std::uint16_t>(stab_list.size(), "PortalInternal stab_list"));
    for (const std::uint16_t stab : stab_list) writer.write_u16(stab);
    if (stab_list.size() % 2 != 0) writer.write_zeros(2);
}

utils::ReadResult<BuildInfo> BuildInfo::unpack(utils::ByteReader& reader) {
    utils::FieldReader record(reader, "BuildInfo");
    BuildInfo building;
    building.model_id = QM_TRY(record.u32("model_id"));
    building.frame = QM_TRY(record.field("frame", Frame::unpack));
    building.num_leaves = QM_TRY(record.u32("num_leaves"));
    const std::uint32_t num_portals = QM_TRY(record.u32("num_portals"));
    building.portals =
        QM_TRY(record.field("portals", detail::read_records<PortalInternal>(num_portals)));
    return building;
}

void BuildInfo::pack(utils::ByteWriter& writer) const {
    writer.write_u32(model_id);
    frame.pack(writer);
    writer.write_u32(num_leaves);
    writer.write_u32(detail::wire_count<std::uint32_t>(portals.size(), "BuildInfo portals"));
    for (const PortalInternal& portal : portals) portal.pack(writer);
}

}  // namespace quillmere_dat::landblock
