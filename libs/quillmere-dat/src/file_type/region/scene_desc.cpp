#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include "words.hpp"

namespace quillmere_dat::file_type::region {

namespace {

// Smallest wire size of a scene type (its word and an empty id list), used
// only to bound what a declared count may reserve.
constexpr std::uint64_t min_scene_type_size = 4 + 4;

utils::ReadResult<std::uint32_t> read_u32(utils::ByteReader& reader) { return reader.read_u32(); }

utils::ReadResult<SceneType> read_scene_type(utils::ByteReader& reader) {
    SceneType type;
    type.type_word = QM_TRY(reader.read_u32());
    const std::uint32_t scene_count = QM_TRY(reader.read_u32());
    type.scenes = QM_TRY(utils::read_list<std::uint32_t>(reader, scene_count, 4, read_u32));
    return type;
}

}  // namespace

utils::ReadResult<SceneDesc> SceneDesc::unpack(utils::ByteReader& reader) {
    const std::uint32_t count = QM_TRY(reader.read_u32());
    return SceneDesc{
        QM_TRY(utils::read_list<SceneType>(reader, count, min_scene_type_size, read_scene_type))};
}

void SceneDesc::pack(utils::ByteWriter& writer) const {
    detail::write_count(writer, scene_types);
    for (const SceneType& type : scene_types) {
        writer.write_u32(type.type_word);
        detail::write_count(writer, type.scenes);
        for (const std::uint32_t scene : type.scenes) writer.write_u32(scene);
    }
}

}  // namespace quillmere_dat::file_type::region
