#pragma once

#include <quillmere/dat/dat_writer.hpp>
#include <quillmere/dat/error/dat_error.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <expected>
#include <filesystem>
#include <vector>

namespace quillmere_mkworld {

inline constexpr const char* portal_file_name = "client_portal.dat";
inline constexpr const char* cell_file_name = "client_cell_1.dat";

// Collects the files of a world's two archives and writes them as
// client_portal.dat and client_cell_1.dat.
class WorldBuilder {
public:
    WorldBuilder(std::uint32_t portal_block_size = 1024, std::uint32_t cell_block_size = 256)
        : portal_(portal_block_size), cell_(cell_block_size) {}

    template <typename Record>
    void add_portal(std::uint32_t id, const Record& record, bool compressed = false) {
        portal_.add_file(id, pack(record), compressed);
    }
    template <typename Record>
    void add_cell(std::uint32_t id, const Record& record, bool compressed = false) {
        cell_.add_file(id, pack(record), compressed);
    }
    void add_portal_bytes(std::uint32_t id, std::vector<std::uint8_t> bytes, bool compressed = false) {
        portal_.add_file(id, std::move(bytes), compressed);
    }
    void add_cell_bytes(std::uint32_t id, std::vector<std::uint8_t> bytes, bool compressed = false) {
        cell_.add_file(id, std::move(bytes), compressed);
    }

    [[nodiscard]] const quillmere_dat::DatWriter& portal() const noexcept { return portal_; }
    [[nodiscard]] const quillmere_dat::DatWriter& cell() const noexcept { return cell_; }

    // Writes both archives into `directory`, which must exist.
    [[nodiscard]] std::expected<void, quillmere_dat::error::DatError> write(
        const std::filesystem::path& directory) const;

    template <typename Record>
    static std::vector<std::uint8_t> pack(const Record& record) {
        quillmere_dat::utils::ByteWriter writer;
        record.pack(writer);
        return std::move(writer).take();
    }

private:
    quillmere_dat::DatWriter portal_;
    quillmere_dat::DatWriter cell_;
};

}  // namespace quillmere_mkworld
