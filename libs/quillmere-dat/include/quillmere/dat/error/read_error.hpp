#pragma once

#include <quillmere/dat/error/io_error.hpp>

#include <cstdint>
#include <source_location>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillmere_dat::error {

// A decoder rejected a value it read, or an argument it was given.
struct CheckFailure {
    std::string message;
    std::uint64_t position = 0;  // reader offset where the check was made

    friend bool operator==(const CheckFailure&, const CheckFailure&) = default;
};

// One level of a field-by-field record that failed: which field of which
// record, and where in this system's source that field is read.
struct FieldFrame {
    std::string_view field;
    std::string_view record;
    std::source_location location;

    // "While parsing field '{field}' in {record}"
    [[nodiscard]] std::string message() const;
};

// The error of every record decoder: end of data (an I/O error of the
// unexpected-end-of-file kind), a check failure, either of them wrapped in
// field-context frames (innermost first).
class ReadError {
public:
    using Inner = std::variant<IoError, CheckFailure>;

    static ReadError end_of_data() { return ReadError(IoError::unexpected_eof()); }
    static ReadError check(std::string message, std::uint64_t position) {
        return ReadError(CheckFailure{std::move(message), position});
    }

    ReadError(IoError io) : inner_(io) {}  // NOLINT(google-explicit-constructor)
    ReadError(CheckFailure check) : inner_(std::move(check)) {}  // NOLINT

    // Adds the frame of the next enclosing level.
    ReadError&& with_frame(FieldFrame frame) && {
        frames_.push_back(frame);
        return std::move(*this);
    }

    [[nodiscard]] const Inner& inner() const noexcept { return inner_; }
    [[nodiscard]] std::span<const FieldFrame> frames() const noexcept { return frames_; }
    [[nodiscard]] bool is_end_of_data() const noexcept;

    // The innermost error's text alone: "failed to fill whole buffer", or
    // "{message} at 0x{position}".
    [[nodiscard]] std::string inner_display() const;
    // The whole error: the innermost text when there are no frames, else the
    // framed backtrace report.
    [[nodiscard]] std::string display() const;
    [[nodiscard]] std::string debug() const;

private:
    Inner inner_;
    std::vector<FieldFrame> frames_;
};

}  // namespace quillmere_dat::error
