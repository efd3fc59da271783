#pragma once

#include <quillmere/dat/file_type/object_desc.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <vector>

namespace quillmere_dat::file_type::scene {

// A reusable arrangement of scenery objects (a portal file named by the
// region's scene types): 8 + 76 n bytes. The order of `objects` matters:
// the baker numbers objects by their position.
struct Scene {
    std::uint32_t id = 0;
    std::vector<object_desc::ObjectDesc> objects;

    static utils::ReadResult<Scene> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const Scene&, const Scene&) = default;
};

}  // namespace quillmere_dat::file_type::scene
