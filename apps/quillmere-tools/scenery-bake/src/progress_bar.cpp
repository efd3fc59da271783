#include "progress_bar.hpp"

#include <algorithm>
#include <cmath>

namespace scenery_bake_tool {

std::string clock_text(double seconds) {
    const auto whole = static_cast<long long>(std::llround(std::max(seconds, 0.0)));
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    }
    return text;
}

std::string progress_line(std::size_t done, std::size_t total, double elapsed_seconds, std::size_t bar_width) {
    const double fraction = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
    const auto filled = static_cast<std::size_t>(fraction * static_cast<double>(bar_width));
    std::string line = "[" + std::string(filled, '#') + std::string(bar_width - filled, '-') + "]  ";
    line += std::to_string(done) + "/" + std::to_string(total) + " LBs";
    if (done > 0 && elapsed_seconds > 0.0) {
        const double rate = static_cast<double>(done) / elapsed_seconds;
        line += "  " + std::to_string(std::llround(rate)) + " LB/s";
        line += "  " + clock_text(static_cast<double>(total - done) / rate) + " left";
    }
    return line;
}

ProgressBar::ProgressBar(std::FILE* stream, std::string label)
    : stream_(stream), label_(std::move(label)), start_(std::chrono::steady_clock::now()) {}

double ProgressBar::elapsed_seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressBar::update(std::size_t done, std::size_t total) {
    if (stream_ == nullptr) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - last_draw_ < std::chrono::milliseconds(100)) return;
    last_draw_ = now;
    draw(done, total);
}

void ProgressBar::draw(std::size_t done, std::size_t total) {
    // Carriage return, the line, then erase whatever a longer line left.
    std::fprintf(stream_, "\r%s: %s\x1b[K", label_.c_str(), progress_line(done, total, elapsed_seconds()).c_str());
    std::fflush(stream_);
    drawn_ = true;
}

ProgressBar::~ProgressBar() {
    if (stream_ != nullptr && drawn_ && !finished_) {
        std::fputc('\n', stream_);
        std::fflush(stream_);
    }
}

void ProgressBar::finish(const std::string& summary) {
    if (stream_ == nullptr) return;
    finished_ = true;
    std::fprintf(stream_, "\r%s: %s\x1b[K\n", label_.c_str(), summary.c_str());
    std::fflush(stream_);
}

}  // namespace scenery_bake_tool
