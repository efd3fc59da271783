#include <quillmere/dat/error/io_error.hpp>

#include <cstring>

namespace quillmere_dat::error {

IoError IoError::from_errno(int code) { return IoError(IoErrorKind::Os, code, ""); }

IoError IoError::unexpected_eof() {
    return IoError(IoErrorKind::UnexpectedEof, std::nullopt, "failed to fill whole buffer");
}

IoError IoError::not_enough_bytes() {
    return IoError(IoErrorKind::UnexpectedEof, std::nullopt, "not enough bytes in reader");
}

IoError IoError::invalid_seek() {
    return IoError(IoErrorKind::InvalidInput, std::nullopt,
                   "invalid seek to a negative or overflowing position");
}

std::string IoError::display() const {
    if (!os_code_) return message_;
    // strerror_r (GNU form) never fails; it may return a static string.
    char buffer[256];
    const char* text = ::strerror_r(*os_code_, buffer, sizeof buffer);
    return std::string(text) + " (os error " + std::to_string(*os_code_) + ")";
}

std::string IoError::debug() const {
    if (os_code_) return "Os { code: " + std::to_string(*os_code_) + " }";
    const char* kind = kind_ == IoErrorKind::UnexpectedEof ? "UnexpectedEof" : "InvalidInput";
    return std::string("Custom { kind: ") + kind + ", error: \"" + message_ + "\" }";
}

}  // namespace quillmere_dat::error
