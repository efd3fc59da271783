#pragma once

#include <quillmere/common/math.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// What is built on a landblock (cell file (lb << 16) | 0xFFFE): static
// objects, buildings with their portals, and an optional restriction table.
//
// Every record here is read field by field: a failure carries one
// "While parsing field '{field}' in {Record}" frame per level, innermost
// first, and leaves the reader where the failing record began. Lists grow one
// entry at a time as entries arrive; nothing is reserved from a stored count,
// so a corrupt count fails at the first missing entry.
namespace quillmere_dat::landblock {

// A placement in landblock-local space: 28 bytes, origin then orientation
// (w, x, y, z). Laid out like graphics::Frame, but a record of its own.
struct Frame {
    quillmere_common::math::Vector3 origin;
    quillmere_common::math::Quaternion orientation;

    static utils::ReadResult<Frame> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const Frame&, const Frame&) = default;
};

// A static object: 32 bytes.
struct Stab {
    std::uint32_t id = 0;
    Frame frame;

    static utils::ReadResult<Stab> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const Stab&, const Stab&) = default;
};

// A building's portal: 8 bytes, a u16 count and that many u16, then 2 bytes
// of padding when the count is odd so the record ends on a 4-byte boundary.
// The padding is stepped over, not read: a record whose data ends right
// before it still decodes.
struct PortalInternal {
    std::uint16_t flags = 0;
    std::uint16_t other_cell_id = 0;
    std::uint16_t other_portal_id = 0;
    std::vector<std::uint16_t> stab_list;

    static utils::ReadResult<PortalInternal> unpack(utils::ByteReader& reader);
    // The padding is written as zeros. At most 0xFFFF stabs.
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const PortalInternal&, const PortalInternal&) = default;
};

struct BuildInfo {
    std::uint32_t model_id = 0;  // a setup model or graphics object id
    Frame frame;
    std::uint32_t num_leaves = 0;
    std::vector<PortalInternal> portals;

    static utils::ReadResult<BuildInfo> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const BuildInfo&, const BuildInfo&) = default;
};

// A u16 count, a u16 bucket size (which must be there but is not kept), then
// count (key, value) pairs of u32. A key that repeats keeps its last value.
struct RestrictionTable {
    std::map<std::uint32_t, std::uint32_t> tables;

    static utils::ReadResult<RestrictionTable> unpack(utils::ByteReader& reader);
    // The bucket size is written as 0. At most 0xFFFF entries.
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const RestrictionTable&, const RestrictionTable&) = default;
};

// Bit of `pack_mask` announcing the restriction table.
inline constexpr std::uint16_t pack_mask_restrictions = 0x1;

struct LandblockInfo {
    std::uint32_t id = 0;
    std::uint32_t num_cells = 0;
    std::vector<Stab> objects;
    std::uint16_t pack_mask = 0;
    std::vector<BuildInfo> buildings;
    std::optional<RestrictionTable> restriction_tables;

    // Decodes the whole record from the first byte of the file's data; bytes
    // after the last field are ignored.
    static utils::ReadResult<LandblockInfo> unpack(utils::ByteReader& reader);
    // At most 0xFFFF buildings. The table is written when `pack_mask` bit 0 is
    // set, and should be present exactly then: a mismatch asserts in debug
    // builds; otherwise the bit decides (an empty table, or none).
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const LandblockInfo&, const LandblockInfo&) = default;
};

}  // namespace quillmere_dat::landblock
