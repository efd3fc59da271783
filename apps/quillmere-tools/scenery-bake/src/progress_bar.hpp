#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace scenery_bake_tool {

// "[#########-----------]  1234/65025 LBs  2500 LB/s  0:25 left": one
// line, `bar_width` cells of bar. The rate and time left are left out until
// something is done.
[[nodiscard]] std::string progress_line(std::size_t done, std::size_t total, double elapsed_seconds,
                                        std::size_t bar_width = 30);

// "1:05" or "1:02:03".
[[nodiscard]] std::string clock_text(double seconds);

// A progress bar redrawn in place on a terminal, at most ten times a second.
// Silent when `stream` is null.
class ProgressBar {
public:
    ProgressBar(std::FILE* stream, std::string label);
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;
    // A bar left unfinished (the bake failed) ends its line, so that what is
    // printed next starts on a line of its own.
    ~ProgressBar();

    void update(std::size_t done, std::size_t total);
    // Replaces the bar with `summary` and a line end.
    void finish(const std::string& summary);

    [[nodiscard]] double elapsed_seconds() const;

private:
    void draw(std::size_t done, std::size_t total);

    std::FILE* stream_;
    std::string label_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_draw_;
    bool drawn_ = false;
    bool finished_ = false;
};

}  // namespace scenery_bake_tool
