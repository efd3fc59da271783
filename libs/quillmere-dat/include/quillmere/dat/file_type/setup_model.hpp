#pragma once

#include <quillmere/common/math.hpp>
#include <quillmere/dat/graphics/frame.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace quillmere_dat::file_type::setup_model {

// A collision cylinder: 20 bytes, read field by field.
struct CylSphere {
    quillmere_common::math::Vector3 origin;
    float radius = 0.0F;
    float height = 0.0F;

    static utils::ReadResult<CylSphere> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const CylSphere&, const CylSphere&) = default;
};

// A light attached to the model: 44 bytes, read field by field.
struct LightInfo {
    graphics::Frame viewer_space_location;
    std::uint32_t color = 0;
    float intensity = 0.0F;
    float falloff = 0.0F;
    float cone_angle = 0.0F;

    static utils::ReadResult<LightInfo> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const LightInfo&, const LightInfo&) = default;
};

// A named spot on one part: 32 bytes, read field by field.
struct LocationType {
    std::uint32_t part_id = 0;
    graphics::Frame frame;

    static utils::ReadResult<LocationType> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const LocationType&, const LocationType&) = default;
};

// An event hook of a placement, kept as raw bytes. The payload length is
// fixed by `hook_type` (0 to 26; anything above fails the read), except for
// type 5, whose payload is a byte, a 16-bit value and a second one when the
// first has bit 0x8000 set, padded to a multiple of 4 counted from the start
// of the hook. The padding is part of `payload`, so every hook occupies a
// multiple of 4 bytes.
struct AnimationHook {
    static constexpr std::uint32_t max_hook_type = 26;

    std::uint32_t hook_type = 0;
    std::uint32_t hook_param = 0;
    std::vector<std::uint8_t> payload;

    // Fails with "Unsupported AnimationHook type: 0x{type:08X}" just after
    // `hook_param` when the type is unknown.
    static utils::ReadResult<AnimationHook> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const AnimationHook&, const AnimationHook&) = default;
};

// The frames of every part in one placement, and its hooks. It carries no
// frame count of its own: the setup's part count is passed in.
struct PlacementType {
    std::vector<graphics::Frame> frames;  // one per part
    std::vector<AnimationHook> hooks;

    static utils::ReadResult<PlacementType> read(utils::ByteReader& reader, std::uint32_t part_count);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const PlacementType&, const PlacementType&) = default;
};

// A multi-part model (a portal file whose id starts with 0x02): one graphics
// object per part, with per-part data, keyed placements, collision shapes,
// lights and linked ids. Everything is kept as read; keyed sections keep the
// later of two entries with the same key.
struct SetupModel {
    static constexpr std::uint32_t has_parent_indices = 0x1;
    static constexpr std::uint32_t has_default_scales = 0x2;

    std::uint32_t id = 0;  // as stored; not compared with the file's id
    std::uint32_t flags = 0;
    std::uint32_t num_parts = 0;  // the length of `parts` and of every per-part list
    std::vector<std::uint32_t> parts;  // graphics object id of each part
    std::vector<std::uint32_t> parent_indices;  // flags & 0x1
    std::vector<quillmere_common::math::Vector3> default_scales;  // flags & 0x2
    std::map<std::uint32_t, LocationType> locations_a;
    std::map<std::uint32_t, LocationType> locations_b;
    std::map<std::uint32_t, PlacementType> placements;
    std::vector<CylSphere> cyl_spheres;
    std::vector<quillmere_common::math::Sphere> spheres;
    std::uint32_t scalar_a = 0;  // raw 32-bit patterns
    std::uint32_t scalar_b = 0;
    std::uint32_t scalar_c = 0;
    std::uint32_t scalar_d = 0;
    quillmere_common::math::Sphere sphere_a;
    quillmere_common::math::Sphere sphere_b;
    std::map<std::uint32_t, LightInfo> lights;
    // A stored 0 means absent.
    std::optional<std::uint32_t> linked_id_a;
    std::optional<std::uint32_t> linked_id_b;
    std::optional<std::uint32_t> linked_id_c;
    std::optional<std::uint32_t> linked_id_d;
    std::optional<std::uint32_t> linked_id_e;

    // Hand-written: adds no frames of its own. A negative placement count
    // fails with "SetupModel 0x{id:08X} declared negative placement count
    // {count}" just after the count word. Bytes after `linked_id_e` are not
    // examined.
    static utils::ReadResult<SetupModel> unpack(utils::ByteReader& reader);
    // Keyed sections are written in key order.
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const SetupModel&, const SetupModel&) = default;
};

}  // namespace quillmere_dat::file_type::setup_model
