#pragma once

#include <quillmere/dat/file_source.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <map>
#include <vector>

// An archive in memory that counts the reads made of it.
class MemoryArchive final : public quillmere_dat::FileSource {
public:
    template <typename Record>
    void add(std::uint32_t id, const Record& record) {
        quillmere_dat::utils::ByteWriter writer;
        record.pack(writer);
        files_[id] = std::move(writer).take();
    }
    void add_bytes(std::uint32_t id, std::vector<std::uint8_t> bytes) { files_[id] = std::move(bytes); }

    std::expected<std::vector<std::uint8_t>, quillmere_dat::error::DatError> get_file(std::uint32_t id) const override {
        ++reads_[id];
        const auto it = files_.find(id);
        if (it == files_.end()) return std::unexpected(quillmere_dat::error::DatError::NotFound{id});
        return it->second;
    }

    [[nodiscard]] int reads(std::uint32_t id) const {
        const auto it = reads_.find(id);
        return it == reads_.end() ? 0 : it->second;
    }
    [[nodiscard]] int total_reads() const {
        int total = 0;
        for (const auto& [id, count] : reads_) total += count;
        return total;
    }

private:
    std::map<std::uint32_t, std::vector<std::uint8_t>> files_;
    mutable std::map<std::uint32_t, int> reads_;
};
