#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/utils/primitives.hpp>

namespace quillmere_dat::file_type::scene {

utils::ReadResult<Scene> Scene::unpack(utils::ByteReader& reader) {
    Scene scene;
    scene.id = QM_TRY(reader.read_u32());
    const std::uint32_t count = QM_TRY(reader.read_u32());
    // A whole scene or nothing: the first short descriptor fails the scene.
    scene.objects = QM_TRY(utils::read_list<object_desc::ObjectDesc>(
        reader, count, object_desc::ObjectDesc::wire_size, object_desc::ObjectDesc::unpack));
    return scene;
}

void Scene::pack(utils::ByteWriter& writer) const {
    writer.write_u32(id);
    writer.write_u32(static_cast<std::uint32_t>(objects.size()));
    for (const auto& object : objects) object.pack(writer);
}

}  // namespace quillmere_dat::file_type::scene
