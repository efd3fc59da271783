// The scenery baker on a fuzzed region, landblock terrain and scene. The
// input is read as one stream: a region from the first byte, then a
// landblock's terrain record, then a scene, then an options byte (bit 0: the
// slope filter) and up to four building footprints of four floats each.
// Every scene id the baker asks for is served the fuzzed scene; graphics
// objects (0x01...) have a small fixed mesh, setups (0x02...) an empty one,
// and other ids none.

#include "fuzz_checks.hpp"

#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/scenery_bake/baker.hpp>

#include <array>
#include <bit>
#include <cmath>

namespace {

using quillmere_common::math::Vector3;
using quillmere_dat::file_type::region::Region;
using quillmere_dat::file_type::scene::Scene;
using quillmere_dat::landblock::CellLandblock;
using quillmere_fuzz::fail;
using quillmere_fuzz::require;
using quillmere_scenery_bake::ConsideredObject;
using quillmere_scenery_bake::Footprint;
using quillmere_scenery_bake::ObjectFate;
using quillmere_scenery_bake::SceneryPlacement;

constexpr std::size_t max_footprints = 4;

// A lopsided box, so that turning and scaling it matter.
constexpr std::array<Vector3, 5> fixed_mesh = {{
    {-1.5F, -0.5F, 0.0F},
    {2.0F, -0.5F, 0.0F},
    {2.0F, 1.0F, 3.0F},
    {-1.5F, 1.0F, 3.0F},
    {0.25F, 0.0F, 5.0F},
}};

// Remembers every question, so two runs can be shown to ask the same ones.
class Lookups final : public quillmere_scenery_bake::SceneLookup, public quillmere_scenery_bake::MeshLookup {
public:
    explicit Lookups(const Scene& scene) : scene_(scene) {}

    const Scene* find_scene(std::uint32_t scene_id) override {
        asked_.push_back(scene_id);
        return &scene_;
    }

    std::optional<std::span<const Vector3>> find_mesh(std::uint32_t model_id) override {
        asked_.push_back(model_id);
        switch (model_id >> 24) {
            case 0x01: return std::span<const Vector3>(fixed_mesh);
            case 0x02: return std::span<const Vector3>();
            default: return std::nullopt;
        }
    }

    [[nodiscard]] const std::vector<std::uint32_t>& asked() const noexcept { return asked_; }

private:
    const Scene& scene_;
    std::vector<std::uint32_t> asked_;
};

class Observer final : public quillmere_scenery_bake::DropObserver {
public:
    void object_considered(const ConsideredObject& object) override { considered.push_back(object); }
    std::vector<ConsideredObject> considered;
};

std::array<std::uint32_t, 12> bits_of(const SceneryPlacement& p) {
    return {p.obj_id,
            std::bit_cast<std::uint32_t>(p.x),
            std::bit_cast<std::uint32_t>(p.y),
            std::bit_cast<std::uint32_t>(p.z),
            std::bit_cast<std::uint32_t>(p.qw),
            std::bit_cast<std::uint32_t>(p.qx),
            std::bit_cast<std::uint32_t>(p.qy),
            std::bit_cast<std::uint32_t>(p.qz),
            std::bit_cast<std::uint32_t>(p.scale),
            p.source_cell_x,
            p.source_cell_y,
            p.source_obj_idx};
}

bool same_bits(const std::vector<SceneryPlacement>& a, const std::vector<SceneryPlacement>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (bits_of(a[i]) != bits_of(b[i])) return false;
    }
    return true;
}

void check_placement(const SceneryPlacement& placement, const Scene& scene) {
    require(placement.source_cell_x < 9 && placement.source_cell_y < 9, "placement from a vertex off the grid");
    require(placement.source_obj_idx < scene.objects.size(), "placement of an object the scene lacks");
    require(placement.obj_id == scene.objects[placement.source_obj_idx].obj_id, "placement of the wrong model");
    require(placement.obj_id >> 24 == 0x01 || placement.obj_id >> 24 == 0x02, "placement of a model without mesh");
    // Positions outside the landblock are dropped; only NaN gets through.
    for (const float coordinate : {placement.x, placement.y}) {
        require(std::isnan(coordinate) || (coordinate >= 0.0F && coordinate <= 192.0F),
                "placement outside the landblock");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillmere_dat::utils::ByteReader reader(quillmere_fuzz::input_span(data, size));
    auto region = Region::unpack(reader);
    if (!region.has_value()) return 0;
    auto landblock = CellLandblock::unpack(reader);
    if (!landblock.has_value()) return 0;
    auto scene = Scene::unpack(reader);
    if (!scene.has_value()) return 0;

    const bool slope_filter = (reader.read_u8().value_or(0) & 0x1U) != 0;
    std::vector<Footprint> buildings;
    while (buildings.size() < max_footprints && reader.remaining() >= 16) {
        Footprint box;
        box.min_x = *reader.read_f32();
        box.min_y = *reader.read_f32();
        box.max_x = *reader.read_f32();
        box.max_y = *reader.read_f32();
        buildings.push_back(box);
    }
    const std::uint32_t base_id = landblock->id & 0xFFFF0000U;

    // Watching changes nothing: the same placements, and the same questions
    // asked of the lookups in the same order.
    Lookups plain_lookups(*scene);
    const auto placements = quillmere_scenery_bake::bake_landblock_impl(
        *region, *landblock, base_id, plain_lookups, plain_lookups, buildings, slope_filter);
    Lookups watched_lookups(*scene);
    Observer observer;
    const auto watched = quillmere_scenery_bake::bake_landblock_impl(
        *region, *landblock, base_id, watched_lookups, watched_lookups, buildings, slope_filter, &observer);
    if (!same_bits(placements, watched)) fail("placements change when the baker is watched");
    require(plain_lookups.asked() == watched_lookups.asked(), "lookups change when the baker is watched");

    // The observer hears of every placement, in order, as placed.
    std::vector<SceneryPlacement> heard;
    for (const ConsideredObject& object : observer.considered) {
        if (object.fate == ObjectFate::placed) {
            require(object.footprint.has_value(), "a placed object without its footprint");
            heard.push_back(object.placement);
        }
    }
    if (!same_bits(placements, heard)) fail("the observer's placements differ from the result");

    for (const SceneryPlacement& placement : placements) check_placement(placement, *scene);
    return 0;
}
