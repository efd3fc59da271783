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
#include <optional>
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

// Chunks finished out of order wait in a ring of `window` slots until every
// chunk before them has gone to the sink. A worker does not start a chunk that
// would not fit in the ring, so at most `window` chunks are held.
//
// There is no writing thread: the worker that puts a chunk also delivers
// every chunk that is then next in order, unless another worker is already
// delivering (that one sees the new chunk before it lets go). The workers are
// then the only busy threads, one per core, rather than a writer that keeps
// taking their cores away.
//
// Delivered chunks come back as spares, their text buffers with them: a
// buffer made by one thread and freed by another would make the allocator
// hand memory back and forth to the system for every chunk.
using Chunk = std::vector<LandblockOutput>;

class ReorderRing {
public:
    ReorderRing(std::size_t window, std::size_t chunks)
        : slots_(window), ready_(window, false), chunks_(chunks) {}

    // Waits until chunk `index` fits; false when the bake was stopped.
    bool wait_for_room(std::size_t index) {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return stopped_ || index < taken_ + slots_.size(); });
        return !stopped_;
    }

    // Puts chunk `index` in the ring, then delivers with `deliver` every
    // chunk that is next in order, if no other worker is delivering. The
    // first failure of `deliver` stops the bake.
    template <typename Deliver>
    void put_and_deliver(std::size_t index, Chunk chunk, Deliver&& deliver) {
        std::unique_lock lock(mutex_);
        slots_[index % slots_.size()] = std::move(chunk);
        ready_[index % slots_.size()] = true;
        if (delivering_) return;
        delivering_ = true;
        while (!stopped_ && ready_[taken_ % slots_.size()]) {
            const std::size_t slot = taken_ % slots_.size();
            Chunk next = std::move(slots_[slot]);
            ready_[slot] = false;
            lock.unlock();
            auto delivered = deliver(next);
            lock.lock();
            spares_.push_back(std::move(next));
            if (!delivered) {
                failure_ = std::move(delivered).error();
                stopped_ = true;
                break;
            }
            ++taken_;
            room_.notify_all();
        }
        delivering_ = false;
        if (stopped_ || taken_ == chunks_) {
            stopped_ = true;
            room_.notify_all();
            finished_.notify_all();
        }
    }

    // Waits up to `step` for the bake to end (every chunk delivered, or a
    // failure); true when it has.
    bool wait_until_finished(std::chrono::milliseconds step) {
        std::unique_lock lock(mutex_);
        return finished_.wait_for(lock, step, [&] { return stopped_; });
    }

    // A chunk to fill, with buffers from earlier chunks when there are any.
    Chunk take_spare() {
        std::lock_guard lock(mutex_);
        if (spares_.empty()) return {};
        Chunk chunk = std::move(spares_.back());
        spares_.pop_back();
        return chunk;
    }

    // The sink's failure, once the workers are joined.
    std::optional<ToolError> failure() { return std::move(failure_); }

private:
    std::mutex mutex_;
    std::condition_variable room_;
    std::condition_variable finished_;
    std::vector<Chunk> slots_;
    std::vector<Chunk> spares_;
    std::vector<bool> ready_;
    std::size_t chunks_;
    std::size_t taken_ = 0;
    bool delivering_ = false;
    bool stopped_ = false;
    std::optional<ToolError> failure_;
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

    ReorderRing ring(std::size_t{workers} * 4, chunks);
    std::atomic<std::size_t> next_chunk{0};
    std::atomic<std::size_t> baked{0};

    const auto deliver_chunk = [&](const Chunk& chunk) -> std::expected<void, ToolError> {
        for (const auto& output : chunk) QM_TRY_VOID(deliver(output));
        return {};
    };
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
            ring.put_and_deliver(index, std::move(chunk), deliver_chunk);
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) pool.emplace_back(work);
    // This thread only reports progress while the workers bake and deliver.
    while (!ring.wait_until_finished(100ms)) tick(baked.load(std::memory_order_relaxed));
    for (auto& thread : pool) thread.join();
    if (auto failure = ring.failure()) return std::unexpected(std::move(*failure));
    tick(landblocks.size());
    return totals;
}

}  // namespace scenery_bake_tool
