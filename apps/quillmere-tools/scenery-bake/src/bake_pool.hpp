#pragma once

#include "tool_error.hpp"

#include <quillmere/dat/file_source.hpp>
#include <quillmere/dat/file_type/region.hpp>

#include <cstddef>
#include <cstdint>
#include <expected>
#include <functional>
#include <span>
#include <string>

namespace scenery_bake_tool {

using scenery_bake_determinism::ToolError;

// One landblock baked: its file's content, every placement line followed by
// a line feed (empty when the landblock has no terrain).
struct LandblockOutput {
    std::uint16_t landblock = 0;
    std::string content;
    std::size_t placements = 0;
};

// Takes each landblock's output, in landblock order, one call at a time
// (from whichever worker holds the next landblocks in order).
class LandblockSink {
public:
    virtual ~LandblockSink() = default;
    virtual std::expected<void, ToolError> write(const LandblockOutput& output) = 0;
};

// Landblocks baked so far, and in all. Called on the calling thread.
using Progress = std::function<void(std::size_t done, std::size_t total)>;

struct BakeTotals {
    std::size_t landblocks = 0;
    std::size_t placements = 0;
};

// Bakes `landblocks` on `threads` workers and hands every landblock's output
// to `sink` in the order of `landblocks`, whatever order the workers finish
// in, so the output is the same byte for byte for any thread count. Each
// worker has its own scene and mesh caches; the two archives and the region
// are shared and only read. Landblocks are handed out in small chunks, and
// workers wait rather than run more than a few chunks ahead of the sink, so
// memory stays bounded however many landblocks there are. With one thread
// (or zero) the calling thread bakes and writes in turn. The sink's first
// failure stops the bake and is returned.
std::expected<BakeTotals, ToolError> bake_landblocks(const quillmere_dat::file_type::region::Region& region,
                                                     const quillmere_dat::FileSource& portal,
                                                     const quillmere_dat::FileSource& cell,
                                                     std::span<const std::uint16_t> landblocks, unsigned threads,
                                                     LandblockSink& sink, const Progress& progress = {});

}  // namespace scenery_bake_tool
