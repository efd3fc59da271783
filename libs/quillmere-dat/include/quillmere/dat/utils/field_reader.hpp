#pragma once

#include <quillmere/dat/utils/byte_reader.hpp>

#include <functional>
#include <source_location>
#include <string_view>
#include <type_traits>
#include <utility>

namespace quillmere_dat::utils {

// Reads a field-by-field record. Each field is read through `field()`, which
// on failure adds the frame "While parsing field '{field}' in {record}" with
// the source location of the call, moves the reader back to where the record
// began, and returns the error:
//
//     FieldReader record(reader, "Sphere");
//     const auto center = QM_TRY(record.field("center", read_vector3));
//     const float radius = QM_TRY(record.f32("radius"));
class FieldReader {
public:
    FieldReader(ByteReader& reader, std::string_view record) noexcept
        : reader_(reader), record_(record), start_(reader.position()) {}

    template <typename Read>
    auto field(std::string_view name, Read&& read,
               std::source_location where = std::source_location::current())
        -> std::invoke_result_t<Read, ByteReader&> {
        auto result = std::invoke(std::forward<Read>(read), reader_);
        if (!result.has_value()) [[unlikely]] {
            reader_.set_position(start_);
            return std::unexpected(
                std::move(result).error().with_frame({name, record_, where}));
        }
        return result;
    }

    auto u8(std::string_view name, std::source_location where = std::source_location::current()) {
        return field(name, &ByteReader::read_u8, where);
    }
    auto u16(std::string_view name, std::source_location where = std::source_location::current()) {
        return field(name, &ByteReader::read_u16, where);
    }
    auto u32(std::string_view name, std::source_location where = std::source_location::current()) {
        return field(name, &ByteReader::read_u32, where);
    }
    auto i32(std::string_view name, std::source_location where = std::source_location::current()) {
        return field(name, &ByteReader::read_i32, where);
    }
    auto f32(std::string_view name, std::source_location where = std::source_location::current()) {
        return field(name, &ByteReader::read_f32, where);
    }

    [[nodiscard]] ByteReader& reader() noexcept { return reader_; }

private:
    ByteReader& reader_;
    std::string_view record_;
    std::uint64_t start_;
};

}  // namespace quillmere_dat::utils
