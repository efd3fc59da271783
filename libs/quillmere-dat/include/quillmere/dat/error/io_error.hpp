#pragma once

#include <optional>
#include <string>

namespace quillmere_dat::error {

enum class IoErrorKind {
    Os,             // an error reported by the operating system (errno)
    UnexpectedEof,  // a read that needed more bytes than there were
    InvalidInput,   // a position that cannot be represented
};

// An I/O failure. Displays like the system's own messages:
// "No such file or directory (os error 2)" for an operating-system error,
// or a fixed message for the failures the program detects itself.
class IoError {
public:
    static IoError from_errno(int code);
    // "failed to fill whole buffer": a read reached the end of the data.
    static IoError unexpected_eof();
    // "not enough bytes in reader": a fixed-size byte array came up short.
    static IoError not_enough_bytes();
    // "invalid seek to a negative or overflowing position".
    static IoError invalid_seek();

    [[nodiscard]] IoErrorKind kind() const noexcept { return kind_; }
    [[nodiscard]] std::optional<int> os_code() const noexcept { return os_code_; }
    [[nodiscard]] std::string display() const;
    [[nodiscard]] std::string debug() const;

    friend bool operator==(const IoError&, const IoError&) = default;

private:
    IoError(IoErrorKind kind, std::optional<int> os_code, const char* message) noexcept
        : kind_(kind), os_code_(os_code), message_(message) {}

    IoErrorKind kind_;
    std::optional<int> os_code_;
    const char* message_;  // fixed text of a program-made error; unused for Os
};

}  // namespace quillmere_dat::error
