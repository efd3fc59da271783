// Runs the real scenery-bake as a child process on the demo world.

#include "test_world.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;
using test_world::Outcome;
using test_world::quote;

namespace {

Outcome bake(const std::string& arguments) {
    return test_world::run_command(quote(SCENERY_BAKE_EXE) + " " + arguments);
}

std::string archives() {
    return "--portal " + quote(test_world::demo().portal.string()) + " --cell " +
           quote(test_world::demo().cell.string());
}

fs::path fresh(const std::string& name) {
    const fs::path path = test_world::scratch() / name;
    fs::remove_all(path);
    return path;
}

// Every file of `directory`, in file-name order, concatenated: what
// `cat DIR/*.scenery.jsonl` gives.
std::string concatenated(const fs::path& directory, std::size_t* count = nullptr) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::string all;
    for (const auto& file : files) all += test_world::slurp(file);
    if (count != nullptr) *count = files.size();
    return all;
}

const std::string usage_hint = "Run '" + std::string("scenery-bake") + " --help' for the options.\n";

}  // namespace

TEST(SceneryBake, DigestOfTheCheckSquareIsTheGoldenDigestForAnyThreadCount) {
    const std::string expected = test_world::golden().at("sha256") + "\n";
    for (const char* threads : {"1", "2", "5"}) {
        const Outcome outcome = bake(archives() + " --landblocks A3AE-AFBA --digest --threads " + threads);
        EXPECT_EQ(outcome.status, 0) << outcome.stderr_text;
        EXPECT_EQ(outcome.stdout_text, expected) << threads;
        EXPECT_EQ(outcome.stderr_text, "") << "no progress bar without a terminal";
    }
}

TEST(SceneryBake, DirectoryFileAndStandardOutputHoldTheBytesTheDigestCovers) {
    const Outcome digest = bake(archives() + " --digest --threads 2");
    ASSERT_EQ(digest.status, 0) << digest.stderr_text;

    const fs::path directory = fresh("e2e-directory") / "world";
    const Outcome files = bake(archives() + " --threads 1 --out " + quote(directory.string()));
    ASSERT_EQ(files.status, 0) << files.stderr_text;
    std::size_t count = 0;
    const std::string all = concatenated(directory, &count);
    EXPECT_GT(count, 169U);

    const fs::path one_file = fresh("e2e-file") / "world.jsonl";
    ASSERT_EQ(bake(archives() + " --threads 3 --out " + quote(one_file.string())).status, 0);
    EXPECT_EQ(test_world::slurp(one_file), all);

    const Outcome piped = bake(archives() + " --out -");
    ASSERT_EQ(piped.status, 0);
    EXPECT_EQ(piped.stdout_text, all);

    // The digest printed is what sha256sum says of the files concatenated.
    const Outcome sum =
        test_world::run_command("cat " + quote(directory.string()) + "/*.scenery.jsonl | sha256sum | cut -d' ' -f1");
    EXPECT_EQ(sum.stdout_text, digest.stdout_text);
}

TEST(SceneryBake, ListsAndRectanglesWriteOneFilePerLandblockNamedOrNot) {
    // A listed landblock without a terrain file still gets its empty file;
    // a landblock listed twice is baked once.
    const fs::path directory = fresh("e2e-list");
    const Outcome outcome =
        bake(archives() + " --landblocks A9B4,A5B0,0xa9b4,A3AE --out " + quote(directory.string()));
    ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"0xA3AE.scenery.jsonl", "0xA5B0.scenery.jsonl",
                                               "0xA9B4.scenery.jsonl"}));
    EXPECT_EQ(fs::file_size(directory / "0xA5B0.scenery.jsonl"), 0U);
    EXPECT_GT(fs::file_size(directory / "0xA9B4.scenery.jsonl"), 0U);
}

TEST(SceneryBake, BadArgumentsAreUsageErrors) {
    struct Case {
        std::string arguments;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"--digest --landblocks A3AE-XYZ",
         "Error: invalid landblocks 'A3AE-XYZ'\n\nCaused by:\n"
         "    'XYZ' is not a landblock id: expected 4 hexadecimal digits, e.g. A9B4\n"},
        {"", "Error: nothing to do: give --out or --digest\n"},
        {"--digest --threads 0", "Error: --threads: Value 0 not in range 1 to 1024\n"},
        {"--digest --out x", "Error: --out excludes --digest\n"},
        {"--digest --colour", "Error: The following argument was not expected: --colour\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = bake(archives() + " " + c.arguments);
        EXPECT_EQ(outcome.status, 2) << c.arguments;
        EXPECT_EQ(outcome.stderr_text, c.error + usage_hint) << c.arguments;
        EXPECT_EQ(outcome.stdout_text, "") << c.arguments;
    }
    const Outcome help = bake("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.stdout_text.find("--landblocks"), std::string::npos);
}

TEST(SceneryBake, MissingArchivesAndUnwritableOutputFailBeforeBaking) {
    const fs::path missing = test_world::scratch() / "no-such.dat";
    struct Case {
        std::string arguments;
        std::string error;
    };
    const fs::path plain = test_world::scratch() / "plain-file";
    std::ofstream(plain) << "x";
    const std::vector<Case> cases = {
        {"--portal " + quote(missing.string()) + " --cell " + quote(test_world::demo().cell.string()) + " --digest",
         "Error: open portal\n\nCaused by:\n    0: Failed to open file at " + missing.string() +
             ": No such file or directory (os error 2)\n    1: No such file or directory (os error 2)\n"},
        {"--portal " + quote(test_world::demo().portal.string()) + " --cell " + quote(missing.string()) +
             " --digest",
         "Error: open cell\n\nCaused by:\n    0: Failed to open file at " + missing.string() +
             ": No such file or directory (os error 2)\n    1: No such file or directory (os error 2)\n"},
        {"--cell " + quote(test_world::demo().cell.string()) + " --digest",
         "Error: no portal archive: give --portal PATH or set QUILLMERE_PORTAL_DAT\n\nCaused by:\n"
         "    client_portal.dat not found in any candidate location\n"},
        {archives() + " --out " + quote((plain / "out").string()),
         "Error: create " + (plain / "out").string() + "\n\nCaused by:\n    Not a directory (os error 20)\n"},
        {archives() + " --out " + quote((plain / "out.jsonl").string()),
         "Error: create " + plain.string() + "\n\nCaused by:\n    Not a directory (os error 20)\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = bake(c.arguments);
        EXPECT_EQ(outcome.status, 1) << c.arguments;
        EXPECT_EQ(outcome.stderr_text, c.error) << c.arguments;
        EXPECT_EQ(outcome.stdout_text, "") << c.arguments;
    }

    // Output that cannot be written is a failure, the digest's too.
    for (const char* output : {"--digest", "--out -"}) {
        const Outcome full = bake(archives() + " --landblocks A9B3-A9B5 " + output + " >/dev/full");
        EXPECT_EQ(full.status, 1) << output;
        EXPECT_EQ(full.stderr_text,
                  "Error: write standard output\n\nCaused by:\n    No space left on device (os error 28)\n")
            << output;
    }

    // A landblock file that cannot be written stops the bake with its path.
    const fs::path directory = fresh("e2e-blocked");
    fs::create_directories(directory / "0xA9B4.scenery.jsonl");
    const Outcome blocked = bake(archives() + " --landblocks A9B3-A9B5 --out " + quote(directory.string()));
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.stderr_text, "Error: write " + (directory / "0xA9B4.scenery.jsonl").string() +
                                       "\n\nCaused by:\n    Is a directory (os error 21)\n");
    EXPECT_FALSE(fs::exists(directory / "0xA9B5.scenery.jsonl"));
}

TEST(SceneryBake, ShowsProgressOnATerminal) {
    // script(1) runs the tool on a pseudo-terminal and copies what it shows.
    if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "script(1) is not installed";
    const fs::path shown = test_world::scratch() / "terminal";
    const std::string command = quote(SCENERY_BAKE_EXE) + " " + archives() + " --landblocks A3AE-AFBA --digest";
    const Outcome outcome = test_world::run_command("script -qec " + quote(command) + " " + quote(shown.string()));
    ASSERT_EQ(outcome.status, 0);
    const std::string text = outcome.stdout_text;
    EXPECT_NE(text.find("scenery-bake: ["), std::string::npos) << text;
    EXPECT_NE(text.find("/169 LBs"), std::string::npos) << text;
    EXPECT_NE(text.find("scenery-bake: 169 LBs, " + test_world::golden().at("placements") + " placements in "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(test_world::golden().at("sha256")), std::string::npos) << text;

    // A failed bake leaves the bar's line before it reports.
    const fs::path directory = fresh("terminal-blocked");
    fs::create_directories(directory / "0xAFBA.scenery.jsonl");
    const std::string failing = quote(SCENERY_BAKE_EXE) + " " + archives() + " --landblocks A3AE-AFBA --threads 1 --out " +
                                quote(directory.string());
    const Outcome failed = test_world::run_command("script -qec " + quote(failing) + " " + quote(shown.string()));
    EXPECT_NE(failed.status, 0);
    EXPECT_NE(failed.stdout_text.find("scenery-bake: ["), std::string::npos) << failed.stdout_text;
    EXPECT_NE(failed.stdout_text.find("\nError: write "), std::string::npos) << failed.stdout_text;
}
