#pragma once

#include <quillmere/common/math.hpp>
#include <quillmere/dat/file_source.hpp>
#include <quillmere/scenery_bake/baker.hpp>

#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace scenery_bake_determinism {

// A model's vertex positions in its own frame, unscaled: enough for a
// footprint. A stored mesh is never empty.
using Mesh = std::vector<quillmere_common::math::Vector3>;

// The vertices of graphics object `id` (any order), or nothing when it is
// missing, undecodable or has no vertices.
[[nodiscard]] std::optional<Mesh> gfx_local_mesh(const quillmere_dat::FileSource& portal, std::uint32_t id);

// Meshes by model id from the portal archive, for one run: a graphics object
// (0x01......) gives its own vertices; a setup (0x02......) the plain union
// of its parts' vertices (part frames and scales not applied; a part listed
// twice counts twice); any other kind gives nothing without a read. Every
// answer is kept, failures included. The parts of a setup are not cached
// under their own ids.
class MeshCache final : public quillmere_scenery_bake::MeshLookup {
public:
    explicit MeshCache(const quillmere_dat::FileSource& portal) : portal_(portal) {}

    std::optional<std::span<const quillmere_common::math::Vector3>> find_mesh(std::uint32_t model_id) override;

private:
    [[nodiscard]] std::optional<Mesh> build(std::uint32_t model_id) const;
    [[nodiscard]] std::optional<Mesh> setup_mesh(std::uint32_t setup_id) const;

    const quillmere_dat::FileSource& portal_;
    std::unordered_map<std::uint32_t, std::optional<Mesh>> meshes_;
};

}  // namespace scenery_bake_determinism
