#include "bake_command.hpp"

#include "bake_pool.hpp"
#include "progress_bar.hpp"
#include "sinks.hpp"

#include <quillmere/common/try.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <thread>

namespace scenery_bake_tool {

Output Output::from_option(const std::string& out) {
    if (out == "-") return {Kind::standard_output, {}};
    if (out.ends_with(".jsonl")) return {Kind::file, out};
    return {Kind::directory, out};
}

unsigned default_threads() { return std::max(std::thread::hardware_concurrency(), 1U); }

namespace {

std::string summary(const BakeTotals& totals, double seconds) {
    char text[160];
    std::snprintf(text, sizeof text, "%zu LBs, %zu placements in %.1f s", totals.landblocks, totals.placements,
                  seconds);
    return text;
}

}  // namespace

std::expected<void, ToolError> run_bake(const BakeRequest& request, const Environment& environment,
                                        std::FILE* digest_stream, std::FILE* progress_stream) {
    const World world = QM_TRY(open_world(request.archives, environment));
    const auto landblocks = resolve_landblocks(request.landblocks, world.cell);

    std::unique_ptr<LandblockSink> sink;
    StreamSink* stream = nullptr;
    DigestSink* digest = nullptr;
    switch (request.output.kind) {
        case Output::Kind::directory: sink = QM_TRY(DirectorySink::create(request.output.path)); break;
        case Output::Kind::file: {
            auto file = QM_TRY(StreamSink::create(request.output.path));
            stream = file.get();
            sink = std::move(file);
            break;
        }
        case Output::Kind::standard_output: {
            auto out = StreamSink::standard_output();
            stream = out.get();
            sink = std::move(out);
            break;
        }
        case Output::Kind::digest: {
            auto hash = std::make_unique<DigestSink>();
            digest = hash.get();
            sink = std::move(hash);
            break;
        }
    }

    ProgressBar bar(progress_stream, "scenery-bake");
    const auto totals = QM_TRY(bake_landblocks(world.region, world.portal, world.cell, landblocks, request.threads,
                                               *sink, [&](std::size_t done, std::size_t total) { bar.update(done, total); }));
    if (stream != nullptr) QM_TRY_VOID(stream->finish());
    bar.finish(summary(totals, bar.elapsed_seconds()));
    if (digest != nullptr) {
        // The digest is the whole output: not writing it is a failure.
        errno = 0;
        const bool written = std::fprintf(digest_stream, "%s\n", digest->hex_digest().c_str()) >= 0;
        if (!written || std::fflush(digest_stream) != 0 || std::ferror(digest_stream) != 0) {
            return std::unexpected(ToolError::wrap("write standard output",
                                                   quillmere_dat::error::IoError::from_errno(errno != 0 ? errno : EIO)));
        }
    }
    return {};
}

}  // namespace scenery_bake_tool
