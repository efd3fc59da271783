#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillmere_bench {

// The I/O that the determinism check cannot avoid on a given world, in the
// order the check does it: open both archives, read their headers and every
// directory node, read the block chains of every file the two runs fetch
// (undecoded, as often as the runs fetch them), create the two run folders
// and write each landblock file (the same sizes as the check's). A floor
// program replays it with raw system calls.
struct CheckIoPlan {
    struct Read {
        std::uint32_t archive = 0;  // 0 portal, 1 cell
        std::uint32_t length = 0;
        std::uint64_t offset = 0;
    };
    struct Write {
        std::string path;  // relative to the output root
        std::uint64_t size = 0;
    };

    std::string portal;
    std::string cell;
    std::vector<Read> reads;
    std::vector<std::string> directories;  // relative to the output root
    std::vector<Write> writes;
};

// Stores and loads a plan in a small binary form, so that loading adds next
// to nothing to the floor program's own time.
[[nodiscard]] bool save_plan(const CheckIoPlan& plan, const std::filesystem::path& path);
[[nodiscard]] std::optional<CheckIoPlan> load_plan(const std::filesystem::path& path);

}  // namespace quillmere_bench
