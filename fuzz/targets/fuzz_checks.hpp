#pragma once

// What every fuzz target checks besides "does not crash": a failed check
// prints what broke and aborts, which libFuzzer and the regression replay
// both report as a crash of the current input.

#include <quillmere/dat/error/dat_error.hpp>
#include <quillmere/dat/error/read_error.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quillmere_fuzz {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] inline void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void require(bool condition, const char* what) {
    if (!condition) fail(what);
}

inline std::span<const std::uint8_t> input_span(const std::uint8_t* data, std::size_t size) {
    // libFuzzer may pass a null pointer with size 0.
    return size == 0 ? std::span<const std::uint8_t>() : std::span<const std::uint8_t>(data, size);
}

// Every failure must have a message: formatting walks the whole error, its
// frames and its causes.
inline void check_error(const quillmere_dat::error::ReadError& error) {
    require(!error.display().empty(), "a record-reader error displays as nothing");
    require(!error.debug().empty(), "a record-reader error has an empty debug form");
}

inline void check_error(const quillmere_dat::error::DatError& error) {
    require(!error.display().empty(), "an archive error displays as nothing");
    require(!error.debug().empty(), "an archive error has an empty debug form");
    if (const auto source = error.source()) {
        require(!quillmere_dat::error::display(*source).empty(), "an archive error's cause displays as nothing");
    }
}

// A decoded record re-packs to bytes that decode again, are consumed exactly,
// and re-pack to the same bytes: pack(unpack(pack(r))) == pack(r). Bytes are
// compared, not records, since a NaN field makes record equality false.
// `decode(reader)` gives a ReadResult, `encode(record, writer)` writes.
template <typename Record, typename Decode, typename Encode>
void check_repack(const Record& decoded, Decode&& decode, Encode&& encode) {
    quillmere_dat::utils::ByteWriter first_writer;
    encode(decoded, first_writer);
    const Bytes first = std::move(first_writer).take();

    quillmere_dat::utils::ByteReader reader(first);
    auto again = decode(reader);
    if (!again.has_value()) fail("re-packed bytes do not decode: " + again.error().display());
    if (reader.position() != first.size()) {
        fail("decoding the re-packed bytes read " + std::to_string(reader.position()) + " of " +
             std::to_string(first.size()) + " bytes");
    }

    quillmere_dat::utils::ByteWriter second_writer;
    encode(*again, second_writer);
    if (second_writer.bytes() != first) {
        fail("re-packing the decoded re-packed bytes gives different bytes (" +
             std::to_string(second_writer.bytes().size()) + " instead of " + std::to_string(first.size()) + ")");
    }
}

// The common case: `static unpack(ByteReader&)` and `pack(ByteWriter&) const`.
template <typename Record>
void check_repack(const Record& decoded) {
    check_repack(
        decoded, [](quillmere_dat::utils::ByteReader& reader) { return Record::unpack(reader); },
        [](const Record& record, quillmere_dat::utils::ByteWriter& writer) { record.pack(writer); });
}

// Decodes a whole-file record from the input and checks what can be checked:
// a failure has a message, a success re-packs stably. Field-by-field records
// leave the reader where they began when they fail.
enum class FailurePosition { anywhere, at_start };

template <typename Record>
void decode_and_check(std::span<const std::uint8_t> input, FailurePosition on_failure) {
    quillmere_dat::utils::ByteReader reader(input);
    auto decoded = Record::unpack(reader);
    if (!decoded.has_value()) {
        check_error(decoded.error());
        if (on_failure == FailurePosition::at_start) {
            require(reader.position() == 0, "a failed field-by-field record moved the reader");
        }
        return;
    }
    check_repack(*decoded);
}

}  // namespace quillmere_fuzz
