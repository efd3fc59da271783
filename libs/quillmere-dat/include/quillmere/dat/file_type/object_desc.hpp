#pragma once

#include <quillmere/dat/graphics/frame.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>

namespace quillmere_dat::file_type::object_desc {

// One object of a scene and the rules for placing it: 76 bytes, every field
// kept exactly as read. The baker gives the fields their meaning.
struct ObjectDesc {
    std::uint32_t obj_id = 0;  // model: 0x01... graphics object, 0x02... setup
    graphics::Frame frame;     // origin x, y: offset from the terrain vertex
    float frequency = 0.0F;
    float displace_x = 0.0F;
    float displace_y = 0.0F;
    float min_scale = 0.0F;
    float max_scale = 0.0F;
    float max_rotation = 0.0F;  // degrees
    float min_slope = 0.0F;
    float max_slope = 0.0F;
    std::uint32_t param_a = 0;
    std::uint32_t param_b = 0;
    std::uint32_t skip_marker = 0;  // nonzero: never placed

    static constexpr std::uint64_t wire_size = 76;

    // Hand-written: adds no frames; a failure inside `frame` carries the
    // Frame record's own.
    static utils::ReadResult<ObjectDesc> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const ObjectDesc&, const ObjectDesc&) = default;
};

}  // namespace quillmere_dat::file_type::object_desc
