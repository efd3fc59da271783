#pragma once

#include <quillmere/common/math.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

namespace quillmere_dat::graphics {

// A placement in space: 28 bytes, origin then orientation (w, x, y, z).
struct Frame {
    quillmere_common::math::Vector3 origin;
    quillmere_common::math::Quaternion orientation;

    static utils::ReadResult<Frame> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const Frame&, const Frame&) = default;
};

}  // namespace quillmere_dat::graphics
