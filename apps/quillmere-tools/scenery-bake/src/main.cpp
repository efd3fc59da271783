// scenery-bake: bakes the scenery of any set of landblocks on every core.

#include "bake_command.hpp"
#include "command_line.hpp"

#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    using namespace scenery_bake_tool;
    CLI::App app{"Bakes the scenery of a world's landblocks into JSON Lines files, one line per placed object, "
                 "in the determinism check's format. The output is the same byte for byte whatever the "
                 "number of threads.",
                 "scenery-bake"};
    ArchivePaths archives;
    std::string landblocks = "all";
    unsigned threads = default_threads();
    std::string out;
    bool digest = false;
    add_world_options(app, archives, landblocks);
    app.add_option("--threads", threads, "Worker threads, each with its own caches (default: every core)")
        ->check(CLI::Range(1U, 1024U))
        ->capture_default_str();
    auto* out_option = app.add_option(
        "--out", out,
        "Where to write: a directory (one 0x{lb}.scenery.jsonl file per landblock), a file ending in .jsonl "
        "(every landblock in landblock order), or - for standard output");
    auto* digest_option = app.add_flag(
        "--digest", digest,
        "Write nothing; print the SHA-256 of the whole output (the per-landblock files concatenated in "
        "landblock order)");
    out_option->excludes(digest_option);
    if (const auto status = parse_command_line(app, argc, argv)) return *status;

    if (out.empty() && !digest) return usage_error(app, ToolError("nothing to do: give --out or --digest"));
    auto selection = parse_landblocks(landblocks);
    if (!selection) return usage_error(app, selection.error());

    const BakeRequest request{archives, *selection, threads,
                              digest ? Output{Output::Kind::digest, {}} : Output::from_option(out)};
    const auto result = run_bake(request, Environment::from_process(), stdout,
                                 ::isatty(STDERR_FILENO) ? stderr : nullptr);
    if (!result) {
        std::fputs(result.error().report().c_str(), stderr);
        return exit_failure;
    }
    return 0;
}
