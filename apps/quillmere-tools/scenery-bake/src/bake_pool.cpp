#include "bake_pool.hpp"

#include "bake_ring.hpp"
#include "mesh_cache.hpp"
#include "placement_line.hpp"
#include "scene_cache.hpp"

#include <quillmere/common/try.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace scenery_bake_tool {

namespace {

using namespace std::chrono_literals;

// Small enough that the workers finish together, large enough that handing
// out chunks costs nothing next to baking them.
std::size_t chunk_size(std::size_t landblocks, unsigned threads) {
    return std::clamp<std::size_t>(landblocks / (std::size_t{threads} * 8), 1, 16);
}

// Chunks finished out of order wait in a ring of `window` slots until the
// sink has taken every chunk before them. A worker does not start a chunk
// that would not fit in the ring, so at most `window` chunks are held. Chunks
// the sink is done with come back as spares, their text buffers with them:
// a buffer made by one thread and freed by another would make the allocator
// hand memory back and forth to the system for every chunk.
using Chunk = std::vector<LandblockOutput>;

class ReorderRing {
public:
    explicit ReorderRing(std::size_t window) : slots_(window), ready_(window, false) {}

    // Waits until chunk `index` fits; false when the bake was stopped.
    bool wait_for_room(std::size_t index) {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return stopped_ || index < taken_ + slots_.size(); });
        return !stopped_;
    }

    void put(std::size_t index, Chunk chunk) {
        {
            std::lock_guard lock(mutex_);
            slots_[index % slots_.size()] = std::move(chunk);
            ready_[index % slots_.size()] = true;
        }
        filled_.notify_one();
    }

    // The next chunk in order, waiting for it in short steps so that `tick`
    // can report progress meanwhile.
    template <typename Tick>
    Chunk take_next(Tick&& tick) {
        Chunk chunk;
        {
            std::unique_lock lock(mutex_);
            const std::size_t slot = taken_ % slots_.size();
            while (!filled_.wait_for(lock, 100ms, [&] { return bool(ready_[slot]); })) {
                lock.unlock();
                tick();
                lock.lock();
            }
            chunk = std::move(slots_[slot]);
            ready_[slot] = false;
            ++taken_;
        }
        room_.notify_all();
        return chunk;
    }

    // A chunk to fill, with buffers from earlier chunks when there are any.
    Chunk take_spare() {
        std::lock_guard lock(mutex_);
        if (spares_.empty()) return {};
        Chunk chunk = std::move(spares_.back());
        spares_.pop_back();
        return chunk;
    }

    void give_back(Chunk chunk) {
        std::lock_guard lock(mutex_);
        spares_.push_back(std::move(chunk));
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        room_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable room_;
    std::condition_variable filled_;
    std::vector<Chunk> slots_;
    std::vector<Chunk> spares_;
    std::vector<bool> ready_;
    std::size_t taken_ = 0;
    bool stopped_ = false;
};

// Bakes `landblock` into `output`, reusing its buffer. The lines are built
// in `scratch`, which stays in this thread's cache, and copied out in one
// piece: appended field by field straight into `output`, whose memory the
// sink's thread touched last, every small write would wait for the line to
// come over from the other core.
void bake_one(LandblockOutput& output, std::string& scratch, const quillmere_dat::file_type::region::Region& region,
              const quillmere_dat::FileSource& cell, std::uint16_t landblock,
              scenery_bake_determinism::SceneCache& scenes, scenery_bake_determinism::MeshCache& meshes) {
    output.landblock = landblock;
    output.content.clear();
    output.placements = 0;
    const auto bake = scenery_bake_determinism::bake_landblock(region, cell, landblock, scenes, meshes);
    if (!bake) return;
    scratch.clear();
    for (const auto& placement : bake->placements) {
        scenery_bake_determinism::append_placement_line(scratch, placement);
        scratch += '\n';
    }
    output.content.assign(scratch);
    output.placements = bake->placements.size();
}

}  // namespace

std::expected<BakeTotals, ToolError> bake_landblocks(const quillmere_dat::file_type::region::Region& region,
                                                     const quillmere_dat::FileSource& portal,
                                                     const quillmere_dat::FileSource& cell,
                                                     std::span<const std::uint16_t> landblocks, unsigned threads,
                                                     LandblockSink& sink, const Progress& progress) {
    threads = std::max(threads, 1U);
    const std::size_t per_chunk = chunk_size(landblocks.size(), threads);
    const std::size_t chunks = (landblocks.size() + per_chunk - 1) / per_chunk;
    const auto workers = static_cast<unsigned>(std::min<std::size_t>(threads, chunks));

    const auto tick = [&](std::size_t done) {
        if (progress) progress(done, landblocks.size());
    };
    BakeTotals totals;
    const auto deliver = [&](const LandblockOutput& output) {
        ++totals.landblocks;
        totals.placements += output.placements;
        return sink.write(output);
    };

    // One thread bakes and writes in turn, without a pool.
    if (workers <= 1) {
        scenery_bake_determinism::SceneCache scenes(portal);
        scenery_bake_determinism::MeshCache meshes(portal);
        LandblockOutput output;
        std::string scratch;
        for (std::size_t i = 0; i < landblocks.size(); ++i) {
            bake_one(output, scratch, region, cell, landblocks[i], scenes, meshes);
            QM_TRY_VOID(deliver(output));
            tick(i + 1);
        }
        return totals;
    }

    ReorderRing ring(std::size_t{workers} * 4);
    std::atomic<std::size_t> next_chunk{0};
    std::atomic<std::size_t> baked{0};

    const auto work = [&] {
        scenery_bake_determinism::SceneCache scenes(portal);
        scenery_bake_determinism::MeshCache meshes(portal);
        std::string scratch;
        for (std::size_t index = next_chunk++; index < chunks; index = next_chunk++) {
            if (!ring.wait_for_room(index)) return;
            const auto part = landblocks.subspan(index * per_chunk,
                                                 std::min(per_chunk, landblocks.size() - index * per_chunk));
            Chunk chunk = ring.take_spare();
            chunk.resize(part.size());
            for (std::size_t i = 0; i < part.size(); ++i) {
                bake_one(chunk[i], scratch, region, cell, part[i], scenes, meshes);
                baked.fetch_add(1, std::memory_order_relaxed);
            }
            ring.put(index, std::move(chunk));
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) pool.emplace_back(work);
    const auto join = [&] {
        for (auto& thread : pool) thread.join();
    };

    const auto tick_baked = [&] { tick(baked.load(std::memory_order_relaxed)); };
    for (std::size_t index = 0; index < chunks; ++index) {
        Chunk chunk = ring.take_next(tick_baked);
        for (const auto& output : chunk) {
            if (auto written = deliver(output); !written) {
                ring.stop();
                join();
                return std::unexpected(std::move(written).error());
            }
        }
        ring.give_back(std::move(chunk));
        tick_baked();
    }
    join();
    return totals;
}

}  // namespace scenery_bake_tool
