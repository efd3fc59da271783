// The baker's speed in landblocks per second: every landblock of a world
// that has terrain, baked as the check bakes one (terrain and object records
// from the cell archive, building footprints, bake_landblock_impl), with the
// run's scene and mesh caches warm (kept across iterations, filled by an
// untimed pass) or cold (made afresh for every pass).

#include "bench_data.hpp"
#include "bench_main.hpp"

#include <bake_ring.hpp>
#include <mesh_cache.hpp>
#include <open_world.hpp>
#include <scene_cache.hpp>

#include <quillmere/dat/dat_database.hpp>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace {

using quillmere_dat::DatDatabase;
namespace check = scenery_bake_determinism;

struct World {
    DatDatabase portal;
    DatDatabase cell;
    quillmere_dat::file_type::region::Region region;
    std::vector<std::uint16_t> landblocks;  // every landblock with a terrain record
};

World open_world(const quillmere_bench::WorldPaths& paths) {
    auto portal = DatDatabase::open(paths.portal);
    if (!portal) quillmere_bench::setup_failure(portal.error().display());
    auto cell = DatDatabase::open(paths.cell);
    if (!cell) quillmere_bench::setup_failure(cell.error().display());
    auto region = check::read_region(*portal);
    if (!region) quillmere_bench::setup_failure(region.error().report());
    std::vector<std::uint16_t> landblocks;
    for (const std::uint32_t id : cell->file_ids()) {
        if ((id & 0xFFFFU) == 0xFFFFU) landblocks.push_back(static_cast<std::uint16_t>(id >> 16));
    }
    return {std::move(*portal), std::move(*cell), std::move(*region), std::move(landblocks)};
}

// Bakes every landblock once; the number of placements.
std::size_t bake_all(const World& world, check::SceneCache& scenes, check::MeshCache& meshes) {
    std::size_t placements = 0;
    for (const std::uint16_t landblock : world.landblocks) {
        const auto bake = check::bake_landblock(world.region, world.cell, landblock, scenes, meshes);
        if (bake) placements += bake->placements.size();
    }
    return placements;
}

void bake_world(benchmark::State& state, const World& world, bool warm) {
    std::optional<check::SceneCache> scenes;
    std::optional<check::MeshCache> meshes;
    if (warm) {
        scenes.emplace(world.portal);
        meshes.emplace(world.portal);
        bake_all(world, *scenes, *meshes);
    }
    std::size_t placements = 0;
    for (auto _ : state) {
        if (!warm) {
            scenes.emplace(world.portal);
            meshes.emplace(world.portal);
        }
        placements = bake_all(world, *scenes, *meshes);
        benchmark::DoNotOptimize(placements);
    }
    const double landblocks = static_cast<double>(world.landblocks.size());
    state.counters["landblocks"] = landblocks;
    state.counters["placements"] = static_cast<double>(placements);
    state.counters["landblocks_per_s"] =
        benchmark::Counter(landblocks, benchmark::Counter::kIsIterationInvariantRate);
}

void register_all() {
    static std::optional<World> demo;
    static std::optional<World> large;
    const auto demo_world = []() -> const World& {
        if (!demo) demo.emplace(open_world(quillmere_bench::demo_world()));
        return *demo;
    };
    const auto large_world = []() -> const World& {
        if (!large) large.emplace(open_world(quillmere_bench::large_world()));
        return *large;
    };
    benchmark::RegisterBenchmark("Bake/demo/warm", [=](benchmark::State& s) { bake_world(s, demo_world(), true); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Bake/demo/cold", [=](benchmark::State& s) { bake_world(s, demo_world(), false); })
        ->Unit(benchmark::kMillisecond);
    // A pass over the whole large world takes seconds: a few passes are
    // enough.
    benchmark::RegisterBenchmark("Bake/large/warm", [=](benchmark::State& s) { bake_world(s, large_world(), true); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
    benchmark::RegisterBenchmark("Bake/large/cold", [=](benchmark::State& s) { bake_world(s, large_world(), false); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
}

}  // namespace

int main(int argc, char** argv) { return quillmere_bench::run_benchmarks(argc, argv, register_all); }
