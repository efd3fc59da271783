#pragma once

// Worlds written by the world generator into a temporary folder, once per
// test program, and small helpers for tests that run the tools.

#include "profiles.hpp"
#include "world_builder.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace test_world {

namespace fs = std::filesystem;

inline std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// How often `what` occurs in `text`, without overlaps.
inline std::size_t count_occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

inline std::string quote(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A folder of its own under the system's temporary folder, removed at exit.
inline const fs::path& scratch() {
    static const struct Scratch {
        fs::path path = fs::temp_directory_path() / ("quillmere-tools-test-" + std::to_string(::getpid()));
        Scratch() {
            fs::remove_all(path);
            fs::create_directories(path);
        }
        ~Scratch() { fs::remove_all(path); }
    } scratch;
    return scratch.path;
}

struct WorldFiles {
    fs::path portal;
    fs::path cell;
};

// The world of `profile` for seed 1, written on first use.
inline const WorldFiles& world(quillmere_mkworld::Profile profile) {
    static std::map<quillmere_mkworld::Profile, WorldFiles> worlds;
    if (const auto it = worlds.find(profile); it != worlds.end()) return it->second;
    const fs::path folder = scratch() / ("world-" + std::to_string(static_cast<int>(profile)));
    fs::create_directories(folder);
    const auto written = quillmere_mkworld::build_world(profile, 1).write(folder);
    EXPECT_TRUE(written.has_value());
    return worlds[profile] = {folder / quillmere_mkworld::portal_file_name, folder / quillmere_mkworld::cell_file_name};
}

inline const WorldFiles& demo() { return world(quillmere_mkworld::Profile::demo); }

// The check's golden digest of the demo world's 13 x 13 square.
inline std::map<std::string, std::string> golden() {
    std::map<std::string, std::string> values;
    std::istringstream lines(slurp(SCENERY_BAKE_DETERMINISM_GOLDEN));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto space = line.find(' ');
        values[line.substr(0, space)] = line.substr(space + 1);
    }
    return values;
}

struct Outcome {
    int status = -1;
    std::string stdout_text;
    std::string stderr_text;
};

// Runs `command` (already quoted; a pipeline is fine) through the shell
// without the archive variables and without input, capturing both output
// streams.
inline Outcome run_command(const std::string& command) {
    static int serial = 0;
    const fs::path out = scratch() / ("stdout-" + std::to_string(++serial));
    const fs::path err = scratch() / ("stderr-" + std::to_string(serial));
    const std::string line = "(unset QUILLMERE_PORTAL_DAT QUILLMERE_CELL_DAT; " + command + ") >" +
                             quote(out.string()) + " 2>" + quote(err.string()) + " </dev/null";
    const int raw = std::system(line.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.stdout_text = slurp(out);
    outcome.stderr_text = slurp(err);
    fs::remove(out);
    fs::remove(err);
    return outcome;
}

}  // namespace test_world
