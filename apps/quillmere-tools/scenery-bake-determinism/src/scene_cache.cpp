#include "scene_cache.hpp"

#include "fetch_record.hpp"

namespace scenery_bake_determinism {

using quillmere_dat::file_type::scene::Scene;

const Scene* SceneCache::find_scene(std::uint32_t scene_id) {
    auto it = scenes_.find(scene_id);
    if (it == scenes_.end()) {
        it = scenes_.emplace(scene_id, fetch_record<Scene>(portal_, scene_id)).first;
    }
    return it->second ? &*it->second : nullptr;
}

}  // namespace scenery_bake_determinism
