// The demo square's map in headless Chromium: the browser parses it without
// errors, sees every marker, and takes a screenshot. Skipped only when
// Chromium is not installed (the project's CI installs it).

#include "test_world.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace fs = std::filesystem;
using test_world::count_occurrences;
using test_world::quote;

namespace {

std::string chromium() {
    for (const char* name : {"chromium", "chromium-browser"}) {
        const auto found = test_world::run_command(std::string("command -v ") + name);
        if (found.status == 0 && !found.stdout_text.empty()) {
            return found.stdout_text.substr(0, found.stdout_text.find('\n'));
        }
    }
    return {};
}

// A headless run with a profile of its own, and nothing that reaches out.
std::string headless(const std::string& browser, const fs::path& profile, const std::string& what) {
    return "timeout 240 " + quote(browser) +
           " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking"
           " --disable-component-update --disable-sync --user-data-dir=" +
           quote(profile.string()) + " " + what;
}

std::uint32_t big_endian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace

TEST(SceneryMapInChromium, LoadsWithoutErrorsAndTakesAScreenshot) {
    const std::string browser = chromium();
    if (browser.empty()) GTEST_SKIP() << "Chromium is not installed";

    const fs::path svg = test_world::scratch() / "chromium" / "demo.svg";
    const auto drawn = test_world::run_command(
        quote(SCENERY_MAP_EXE) + " --portal " + quote(test_world::demo().portal.string()) + " --cell " +
        quote(test_world::demo().cell.string()) + " --drops --out " + quote(svg.string()));
    ASSERT_EQ(drawn.status, 0) << drawn.stderr_text;
    const std::string url = "file://" + svg.string();

    // What the browser built from the file: an XML error would show as a
    // parsererror element instead of the drawing.
    const auto dom = test_world::run_command(
        headless(browser, test_world::scratch() / "chromium" / "profile-dom", "--dump-dom " + quote(url)));
    ASSERT_EQ(dom.status, 0) << dom.stderr_text;
    EXPECT_TRUE(dom.stdout_text.starts_with("<svg")) << dom.stdout_text.substr(0, 200);
    EXPECT_EQ(dom.stdout_text.find("parsererror"), std::string::npos);
    EXPECT_EQ(std::to_string(count_occurrences(dom.stdout_text, "class=\"placement\"")),
              test_world::golden().at("placements"));

    const fs::path shot = test_world::scratch() / "chromium" / "demo.png";
    const auto screenshot = test_world::run_command(
        headless(browser, test_world::scratch() / "chromium" / "profile-shot",
                 "--window-size=1280,960 --screenshot=" + quote(shot.string()) + " " + quote(url)));
    ASSERT_EQ(screenshot.status, 0) << screenshot.stderr_text;
    const std::string png = test_world::slurp(shot);
    ASSERT_GT(png.size(), 24U);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(big_endian(png, 16), 1280U);
    EXPECT_EQ(big_endian(png, 20), 960U);
    // A blank page compresses to almost nothing; the map does not.
    EXPECT_GT(png.size(), 50'000U);
}
