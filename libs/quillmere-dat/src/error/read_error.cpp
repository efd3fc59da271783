#include <quillmere/dat/error/read_error.hpp>

#include <charconv>
#include <string>

namespace quillmere_dat::error {

namespace {

constexpr std::string_view bold_on = "\x1b[1m";
constexpr std::string_view bold_off = "\x1b[22m";

std::string repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

std::string lower_hex(std::uint64_t value) {
    char buffer[17];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
    return std::string(buffer, end);
}

std::string location_line(const FieldFrame& frame) {
    std::string line("     at ");
    line.append(frame.location.file_name()).append(":").append(std::to_string(frame.location.line())).append("\n");
    return line;
}

}  // namespace

std::string FieldFrame::message() const {
    std::string out = "While parsing field '";
    out += field;
    out += "' in ";
    out += record;
    return out;
}

bool ReadError::is_end_of_data() const noexcept {
    const auto* io = std::get_if<IoError>(&inner_);
    return io != nullptr && io->kind() == IoErrorKind::UnexpectedEof;
}

std::string ReadError::inner_display() const {
    if (const auto* io = std::get_if<IoError>(&inner_)) return io->display();
    const auto& check = std::get<CheckFailure>(inner_);
    return check.message + " at 0x" + lower_hex(check.position);
}

std::string ReadError::display() const {
    if (frames_.empty()) return inner_display();

    // Built by appending only: GCC 12 reports a false -Wrestrict on chains
    // of std::string temporaries at -O2.
    std::string out;
    out.append("\n ╺").append(repeat("━", 20)).append("┅ Backtrace ┅").append(repeat("━", 20)).append("╸\n\n");
    for (std::size_t k = 0; k < frames_.size(); ++k) {
        const FieldFrame& frame = frames_[k];
        out.append(" ").append(std::to_string(k)).append(": ");
        if (k == 0) {
            out.append(bold_on).append(bold_on).append("Error: ").append(inner_display()).append(bold_off);
            out.append("\n").append(11, ' ');
            out.append(bold_on).append(frame.message()).append(bold_off).append(bold_off);
        } else {
            out.append(bold_on).append(frame.message()).append(bold_off);
        }
        out.append("\n").append(location_line(frame));
    }
    out.append("\n ╺").append(repeat("━", 53)).append("╸\n\n");
    return out;
}

std::string ReadError::debug() const {
    std::string out;
    if (const auto* io = std::get_if<IoError>(&inner_)) {
        out = "Io(" + io->debug() + ")";
    } else {
        const auto& check = std::get<CheckFailure>(inner_);
        out = "Check { position: " + std::to_string(check.position) + ", message: \"" +
              check.message + "\" }";
    }
    for (const FieldFrame& frame : frames_) {
        out = "Context { error: " + out + ", frame: \"" + frame.message() + "\" }";
    }
    return out;
}

}  // namespace quillmere_dat::error
