#pragma once

#include "bake_pool.hpp"

#include <cstdint>
#include <expected>
#include <filesystem>
#include <memory>
#include <string>

namespace scenery_bake_tool {

// One file per landblock, "0x{lb}.scenery.jsonl" in `directory`, in the
// check's format. The directory and its missing parents are created when
// the sink is; a failure there is "create {directory}" over the system's
// error, a failed file "write {path}".
class DirectorySink final : public LandblockSink {
public:
    static std::expected<std::unique_ptr<DirectorySink>, ToolError> create(std::filesystem::path directory);
    std::expected<void, ToolError> write(const LandblockOutput& output) override;

private:
    explicit DirectorySink(std::filesystem::path directory) : directory_(std::move(directory)) {}
    std::filesystem::path directory_;
};

// Every landblock's file content, one after the other, into one file (or
// standard output): the same bytes as the per-landblock files concatenated
// in landblock order. Written in large pieces; `finish` writes the rest and
// closes. Failures are "write {name}" over the system's error.
class StreamSink final : public LandblockSink {
public:
    // Creates or truncates `path`, creating its missing parent directories.
    static std::expected<std::unique_ptr<StreamSink>, ToolError> create(const std::filesystem::path& path);
    // Writes to the already open standard output, which it does not close.
    static std::unique_ptr<StreamSink> standard_output();

    StreamSink(const StreamSink&) = delete;
    StreamSink& operator=(const StreamSink&) = delete;
    ~StreamSink() override;

    std::expected<void, ToolError> write(const LandblockOutput& output) override;
    std::expected<void, ToolError> finish();

private:
    StreamSink(int fd, std::string name, bool owned) : fd_(fd), name_(std::move(name)), owned_(owned) {}
    std::expected<void, ToolError> flush();
    [[nodiscard]] ToolError failure(int error_number) const;

    int fd_;
    std::string name_;
    bool owned_;
    std::string buffer_;
};

// SHA-256 over the same bytes StreamSink would write, so it equals the
// digest of the per-landblock files concatenated in landblock order.
class DigestSink final : public LandblockSink {
public:
    DigestSink();
    DigestSink(const DigestSink&) = delete;
    DigestSink& operator=(const DigestSink&) = delete;
    ~DigestSink() override;

    std::expected<void, ToolError> write(const LandblockOutput& output) override;
    // The digest as 64 lower-case hexadecimal digits. Call once, at the end.
    [[nodiscard]] std::string hex_digest();

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

}  // namespace scenery_bake_tool
