// Runs the real scenery-map as a child process on the demo world.

#include "test_world.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;
using test_world::Outcome;
using test_world::count_occurrences;
using test_world::quote;

namespace {

std::string archives() {
    return "--portal " + quote(test_world::demo().portal.string()) + " --cell " +
           quote(test_world::demo().cell.string());
}

Outcome map(const std::string& arguments) { return test_world::run_command(quote(SCENERY_MAP_EXE) + " " + arguments); }

}  // namespace

TEST(SceneryMapTool, DrawsOneMarkerPerLineTheBakeWrites) {
    for (const char* range : {"A9B4", "A8B3-AAB5", "A5B0,A6B1"}) {
        const fs::path svg = test_world::scratch() / "tool" / "map.svg";
        const Outcome drawn = map(archives() + " --landblocks " + range + " --drops --out " + quote(svg.string()));
        ASSERT_EQ(drawn.status, 0) << drawn.stderr_text;
        EXPECT_EQ(drawn.stderr_text, "");
        const Outcome baked =
            test_world::run_command(quote(SCENERY_BAKE_EXE) + " " + archives() + " --landblocks " + range + " --out -");
        ASSERT_EQ(baked.status, 0);
        const std::string text = test_world::slurp(svg);
        EXPECT_EQ(count_occurrences(text, "class=\"placement\""), count_occurrences(baked.stdout_text, "\n"))
            << range;
        EXPECT_TRUE(text.ends_with("</svg>\n"));
    }
}

TEST(SceneryMapTool, DefaultsToTheCheckSquare) {
    const fs::path svg = test_world::scratch() / "tool" / "default.svg";
    ASSERT_EQ(map(archives() + " --out " + quote(svg.string())).status, 0);
    const std::string text = test_world::slurp(svg);
    EXPECT_EQ(std::to_string(count_occurrences(text, "class=\"placement\"")),
              test_world::golden().at("placements"));
    EXPECT_NE(text.find(">A3AE<"), std::string::npos);
    EXPECT_NE(text.find(">AFBA<"), std::string::npos);
    EXPECT_EQ(text.find(">A3AD<"), std::string::npos);
}

TEST(SceneryMapTool, BadArgumentsAndFailuresAreReported) {
    const fs::path plain = test_world::scratch() / "tool-plain";
    std::ofstream(plain) << "x";
    struct Case {
        std::string arguments;
        int status;
        std::string error;
    };
    const std::string hint = "Run 'scenery-map --help' for the options.\n";
    const std::vector<Case> cases = {
        {archives(), 2, "Error: --out is required\n" + hint},
        {archives() + " --out x.svg --landblocks A9B4-", 2,
         "Error: invalid landblocks 'A9B4-'\n\nCaused by:\n"
         "    '' is not a landblock id: expected 4 hexadecimal digits, e.g. A9B4\n" +
             hint},
        {archives() + " --out x.svg --landblocks 0000-FFFF", 1,
         "Error: too many landblocks for one map: 0000-FFFF spans 65536, at most 1024 (32 \u00D7 32) fit\n"},
        {archives() + " --out " + quote((plain / "map.svg").string()), 1,
         "Error: create " + plain.string() + "\n\nCaused by:\n    Not a directory (os error 20)\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = map(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << c.arguments;
        EXPECT_EQ(outcome.stderr_text, c.error) << c.arguments;
    }
}
