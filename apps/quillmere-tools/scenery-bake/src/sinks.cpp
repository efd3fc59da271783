#include "sinks.hpp"

#include "write_lines.hpp"

#include <quillmere/dat/error/io_error.hpp>

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace scenery_bake_tool {

namespace {

using quillmere_dat::error::IoError;

// Pieces of about this size reach the file system.
constexpr std::size_t stream_piece = std::size_t{1} << 20;

std::expected<void, ToolError> make_directories(const std::filesystem::path& directory) {
    if (directory.empty()) return {};
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) return std::unexpected(ToolError::wrap("create " + directory.string(), IoError::from_errno(error.value())));
    return {};
}

}  // namespace

std::expected<std::unique_ptr<DirectorySink>, ToolError> DirectorySink::create(std::filesystem::path directory) {
    if (auto created = make_directories(directory); !created) return std::unexpected(std::move(created).error());
    return std::unique_ptr<DirectorySink>(new DirectorySink(std::move(directory)));
}

std::expected<void, ToolError> DirectorySink::write(const LandblockOutput& output) {
    return scenery_bake_determinism::write_landblock_file(directory_, output.landblock, output.content);
}

std::expected<std::unique_ptr<StreamSink>, ToolError> StreamSink::create(const std::filesystem::path& path) {
    if (auto created = make_directories(path.parent_path()); !created) {
        return std::unexpected(std::move(created).error());
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return std::unexpected(ToolError::wrap("write " + path.string(), IoError::from_errno(errno)));
    return std::unique_ptr<StreamSink>(new StreamSink(fd, path.string(), true));
}

std::unique_ptr<StreamSink> StreamSink::standard_output() {
    return std::unique_ptr<StreamSink>(new StreamSink(STDOUT_FILENO, "standard output", false));
}

StreamSink::~StreamSink() {
    if (owned_ && fd_ >= 0) ::close(fd_);
}

ToolError StreamSink::failure(int error_number) const {
    return ToolError::wrap("write " + name_, IoError::from_errno(error_number));
}

std::expected<void, ToolError> StreamSink::write(const LandblockOutput& output) {
    buffer_ += output.content;
    if (buffer_.size() >= stream_piece) return flush();
    return {};
}

std::expected<void, ToolError> StreamSink::flush() {
    std::size_t written = 0;
    while (written < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::unexpected(failure(errno));
        }
        written += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return {};
}

std::expected<void, ToolError> StreamSink::finish() {
    if (auto flushed = flush(); !flushed) return flushed;
    if (owned_) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 && errno != EINTR) return std::unexpected(failure(errno));
    }
    return {};
}

struct DigestSink::Context {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(context); }
};

DigestSink::DigestSink() : context_(std::make_unique<Context>()) {
    EVP_DigestInit_ex(context_->context, EVP_sha256(), nullptr);
}

DigestSink::~DigestSink() = default;

std::expected<void, ToolError> DigestSink::write(const LandblockOutput& output) {
    EVP_DigestUpdate(context_->context, output.content.data(), output.content.size());
    return {};
}

std::string DigestSink::hex_digest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_->context, digest, &length);
    std::string hex;
    hex.reserve(2 * length);
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

}  // namespace scenery_bake_tool
