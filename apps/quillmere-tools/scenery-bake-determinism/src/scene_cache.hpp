#pragma once

#include <quillmere/dat/file_source.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/scenery_bake/baker.hpp>

#include <cstdint>
#include <optional>
#include <unordered_map>

namespace scenery_bake_determinism {

// Scenes by file id from the portal archive, for one run. Every answer is
// kept, failures included, so each id is read and decoded at most once per
// run; a missing or undecodable scene is never retried.
class SceneCache final : public quillmere_scenery_bake::SceneLookup {
public:
    explicit SceneCache(const quillmere_dat::FileSource& portal) : portal_(portal) {}

    // The scene, or nullptr. Entries are never removed, so the scene stays
    // valid for the cache's life.
    const quillmere_dat::file_type::scene::Scene* find_scene(std::uint32_t scene_id) override;

private:
    const quillmere_dat::FileSource& portal_;
    std::unordered_map<std::uint32_t, std::optional<quillmere_dat::file_type::scene::Scene>> scenes_;
};

}  // namespace scenery_bake_determinism
