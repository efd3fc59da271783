#include "write_lines.hpp"

#include "run_result.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace scenery_bake_determinism {

namespace {

// Writes all of `content`; a short write continues where it stopped. Returns
// 0 or the errno of the failure.
int write_all(const std::filesystem::path& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    std::size_t written = 0;
    int failure = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            failure = errno;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && failure == 0 && errno != EINTR) failure = errno;
    return failure;
}

}  // namespace

std::string landblock_file_name(std::uint16_t landblock) {
    return "0x" + landblock_hex(landblock) + ".scenery.jsonl";
}

std::expected<void, ToolError> write_file(const std::filesystem::path& path, std::string_view content) {
    if (const int failure = write_all(path, content); failure != 0) {
        return std::unexpected(
            ToolError::wrap("write " + path.string(), quillmere_dat::error::IoError::from_errno(failure)));
    }
    return {};
}

std::expected<void, ToolError> write_landblock_file(const std::filesystem::path& directory, std::uint16_t landblock,
                                                    std::string_view content) {
    return write_file(directory / landblock_file_name(landblock), content);
}

std::expected<void, ToolError> write_lines(const std::filesystem::path& directory, std::uint16_t landblock,
                                           const LineList& lines) {
    return write_landblock_file(directory, landblock, lines.text());
}

}  // namespace scenery_bake_determinism
