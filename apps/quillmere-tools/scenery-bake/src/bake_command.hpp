#pragma once

#include "landblock_selection.hpp"
#include "world.hpp"

#include <cstdio>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>

namespace scenery_bake_tool {

// Where a bake's output goes, from --out: "-" is standard output, a path
// ending in ".jsonl" one file with every landblock in landblock order, any
// other path a directory of per-landblock files. --digest prints only the
// SHA-256 of what the one file would hold.
struct Output {
    enum class Kind { directory, file, standard_output, digest };
    Kind kind = Kind::digest;
    std::filesystem::path path;  // for a directory or a file

    [[nodiscard]] static Output from_option(const std::string& out);
};

struct BakeRequest {
    ArchivePaths archives;
    LandblockSelection landblocks;
    unsigned threads = 1;
    Output output;
};

// The default worker count: every core the system reports, at least one.
[[nodiscard]] unsigned default_threads();

// Opens the world, prepares the output (so an unwritable one fails before
// any baking), bakes the landblocks on the worker pool and writes them.
// The digest goes to `digest_stream` as one line; progress to
// `progress_stream` when it is not null.
std::expected<void, ToolError> run_bake(const BakeRequest& request, const Environment& environment,
                                        std::FILE* digest_stream, std::FILE* progress_stream);

}  // namespace scenery_bake_tool
