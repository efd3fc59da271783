#include "mesh_cache.hpp"

#include "fetch_record.hpp"

#include <quillmere/dat/file_type/gfx_obj.hpp>
#include <quillmere/dat/file_type/setup_model.hpp>

namespace scenery_bake_determinism {

using quillmere_dat::file_type::gfx_obj::GfxObj;
using quillmere_dat::file_type::setup_model::SetupModel;

namespace {

constexpr std::uint32_t graphics_object_kind = 0x01;
constexpr std::uint32_t setup_kind = 0x02;

}  // namespace

std::optional<Mesh> gfx_local_mesh(const quillmere_dat::FileSource& portal, std::uint32_t id) {
    const auto object = fetch_record<GfxObj>(portal, id);
    if (!object || object->vertex_array.vertices.empty()) return std::nullopt;
    Mesh mesh;
    mesh.reserve(object->vertex_array.vertices.size());
    for (const auto& [vertex_id, vertex] : object->vertex_array.vertices) mesh.push_back(vertex.origin);
    return mesh;
}

std::optional<std::span<const quillmere_common::math::Vector3>> MeshCache::find_mesh(std::uint32_t model_id) {
    auto it = meshes_.find(model_id);
    if (it == meshes_.end()) it = meshes_.emplace(model_id, build(model_id)).first;
    if (!it->second) return std::nullopt;
    return std::span<const quillmere_common::math::Vector3>(*it->second);
}

std::optional<Mesh> MeshCache::build(std::uint32_t model_id) const {
    switch (model_id >> 24) {
        case graphics_object_kind: return gfx_local_mesh(portal_, model_id);
        case setup_kind: return setup_mesh(model_id);
        default: return std::nullopt;
    }
}

std::optional<Mesh> MeshCache::setup_mesh(std::uint32_t setup_id) const {
    const auto setup = fetch_record<SetupModel>(portal_, setup_id);
    if (!setup || setup->parts.empty()) return std::nullopt;
    Mesh combined;
    for (const std::uint32_t part : setup->parts) {
        if (auto mesh = gfx_local_mesh(portal_, part)) combined.insert(combined.end(), mesh->begin(), mesh->end());
    }
    if (combined.empty()) return std::nullopt;
    return combined;
}

}  // namespace scenery_bake_determinism
