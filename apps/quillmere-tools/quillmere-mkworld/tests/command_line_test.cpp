// The quillmere-mkworld command: seeds are whole numbers in range, and a
// failed write names the archive it could not write.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string stderr_text;
};

fs::path scratch(const std::string& name) {
    const fs::path path = fs::temp_directory_path() / ("mkworld-cli-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(path);
    return path;
}

std::string quote(const std::string& text) { return "'" + text + "'"; }

Outcome mkworld(const std::string& arguments) {
    const fs::path err = scratch("stderr");
    const std::string line =
        quote(QUILLMERE_MKWORLD_EXE) + " " + arguments + " >/dev/null 2>" + quote(err.string()) + " </dev/null";
    const int raw = std::system(line.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ostringstream text;
    text << std::ifstream(err).rdbuf();
    outcome.stderr_text = text.str();
    fs::remove(err);
    return outcome;
}

}  // namespace

TEST(MkworldCommand, RejectsSeedsThatAreNotWholeNumbersInRange) {
    const fs::path out = scratch("seeds");
    for (const char* seed : {"-1", "18446744073709551616", "99999999999999999999999", "12x", "0x10", "''", "1.5"}) {
        const Outcome outcome = mkworld("--profile minimal --out " + quote(out.string()) + " --seed " + seed);
        EXPECT_NE(outcome.status, 0) << seed;
        EXPECT_NE(outcome.stderr_text.find("the seed must be a whole number from 0 to 18446744073709551615"),
                  std::string::npos)
            << seed << ": " << outcome.stderr_text;
        EXPECT_FALSE(fs::exists(out)) << seed;
    }
    const Outcome largest = mkworld("--profile minimal --out " + quote(out.string()) + " --seed 18446744073709551615");
    EXPECT_EQ(largest.status, 0) << largest.stderr_text;
    fs::remove_all(out);
}

TEST(MkworldCommand, AFailedWriteNamesTheArchive) {
    const fs::path out = scratch("blocked");
    fs::create_directories(out / "client_portal.dat");
    const Outcome outcome = mkworld("--profile minimal --out " + quote(out.string()));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.stderr_text.rfind("quillmere-mkworld: cannot write " + (out / "client_portal.dat").string() + ": ", 0),
              0U)
        << outcome.stderr_text;
    fs::remove_all(out);
}
