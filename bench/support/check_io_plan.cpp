#include "check_io_plan.hpp"

#include <cstdio>
#include <cstring>
#include <memory>

namespace quillmere_bench {

namespace {

constexpr std::uint32_t plan_magic = 0x4E414C50;  // "PLAN"

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class Writer {
public:
    explicit Writer(std::FILE* file) : file_(file) {}
    void u32(std::uint32_t value) { bytes(&value, sizeof value); }
    void u64(std::uint64_t value) { bytes(&value, sizeof value); }
    void text(const std::string& value) {
        u32(static_cast<std::uint32_t>(value.size()));
        bytes(value.data(), value.size());
    }
    void bytes(const void* data, std::size_t size) {
        if (size != 0 && std::fwrite(data, 1, size, file_) != size) ok_ = false;
    }
    [[nodiscard]] bool ok() const { return ok_; }

private:
    std::FILE* file_;
    bool ok_ = true;
};

class Reader {
public:
    explicit Reader(std::vector<char> data) : data_(std::move(data)) {}
    bool u32(std::uint32_t& value) { return bytes(&value, sizeof value); }
    bool u64(std::uint64_t& value) { return bytes(&value, sizeof value); }
    bool text(std::string& value) {
        std::uint32_t size = 0;
        if (!u32(size) || size > data_.size() - at_) return false;
        value.assign(data_.data() + at_, size);
        at_ += size;
        return true;
    }
    bool bytes(void* out, std::size_t size) {
        if (size > data_.size() - at_) return false;
        std::memcpy(out, data_.data() + at_, size);
        at_ += size;
        return true;
    }
    [[nodiscard]] std::size_t left() const { return data_.size() - at_; }

private:
    std::vector<char> data_;
    std::size_t at_ = 0;
};

}  // namespace

bool save_plan(const CheckIoPlan& plan, const std::filesystem::path& path) {
    const File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    Writer out(file.get());
    out.u32(plan_magic);
    out.text(plan.portal);
    out.text(plan.cell);
    out.u64(plan.reads.size());
    for (const auto& read : plan.reads) {
        out.u32(read.archive);
        out.u32(read.length);
        out.u64(read.offset);
    }
    out.u64(plan.directories.size());
    for (const auto& directory : plan.directories) out.text(directory);
    out.u64(plan.writes.size());
    for (const auto& write : plan.writes) {
        out.text(write.path);
        out.u64(write.size);
    }
    return out.ok();
}

std::optional<CheckIoPlan> load_plan(const std::filesystem::path& path) {
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    std::vector<char> data;
    char chunk[65536];
    for (std::size_t got = 0; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
        data.insert(data.end(), chunk, chunk + got);
    }
    Reader in(std::move(data));
    CheckIoPlan plan;
    std::uint32_t magic = 0;
    std::uint64_t count = 0;
    if (!in.u32(magic) || magic != plan_magic || !in.text(plan.portal) || !in.text(plan.cell)) return std::nullopt;
    // Each record takes at least 8 bytes, which bounds every count.
    if (!in.u64(count) || count > in.left() / 8) return std::nullopt;
    plan.reads.resize(count);
    for (auto& read : plan.reads) {
        if (!in.u32(read.archive) || !in.u32(read.length) || !in.u64(read.offset) || read.archive > 1) {
            return std::nullopt;
        }
    }
    if (!in.u64(count) || count > in.left() / 4) return std::nullopt;
    plan.directories.resize(count);
    for (auto& directory : plan.directories) {
        if (!in.text(directory)) return std::nullopt;
    }
    if (!in.u64(count) || count > in.left() / 12) return std::nullopt;
    plan.writes.resize(count);
    for (auto& write : plan.writes) {
        if (!in.text(write.path) || !in.u64(write.size)) return std::nullopt;
    }
    return plan;
}

}  // namespace quillmere_bench
