#pragma once

#include <quillmere/dat/error/io_error.hpp>
#include <quillmere/dat/error/read_error.hpp>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

namespace quillmere_dat::error {

// What caused an error: the I/O error or record-reader error it carries.
using ErrorSource =
    std::variant<std::reference_wrapper<const IoError>, std::reference_wrapper<const ReadError>>;

[[nodiscard]] std::string display(const ErrorSource& source);

// The one error type of the archive layer. A plain value that owns its
// payload; `display()` gives its text and `source()` the error it wraps.
class DatError {
public:
    struct Io { IoError error; };
    struct BinRead { ReadError error; };
    struct NotFound { std::uint32_t id; };
    struct DuplicateId { std::uint32_t id; };
    struct DuplicateNamespacedId { std::string namespace_; std::uint32_t file_id; };
    struct InvalidMagic { std::string text; };
    struct UnsupportedVersion { std::uint32_t version; };
    struct InvalidNamespace { std::string text; };
    struct Corruption { std::string text; };
    struct DecompressionFailed { std::uint32_t file_id; };
    struct PathError { std::filesystem::path path; IoError source; };
    struct Other { std::string text; };

    using Variant = std::variant<Io, BinRead, NotFound, DuplicateId, DuplicateNamespacedId,
                                 InvalidMagic, UnsupportedVersion, InvalidNamespace, Corruption,
                                 DecompressionFailed, PathError, Other>;

    template <typename V>
    static constexpr bool is_alternative = []<typename... Ts>(std::variant<Ts...>*) {
        return (std::is_same_v<V, Ts> || ...);
    }(static_cast<Variant*>(nullptr));

    template <typename V>
        requires is_alternative<std::remove_cvref_t<V>>
    DatError(V&& variant) : value_(std::forward<V>(variant)) {}  // NOLINT

    // The conversions the archive layer relies on to pass errors upward.
    DatError(IoError io) : value_(Io{io}) {}                      // NOLINT
    DatError(ReadError read) : value_(BinRead{std::move(read)}) {}  // NOLINT

    [[nodiscard]] const Variant& value() const noexcept { return value_; }
    template <typename V>
    [[nodiscard]] const V* get_if() const noexcept {
        return std::get_if<V>(&value_);
    }

    [[nodiscard]] std::string display() const;
    [[nodiscard]] std::string debug() const;
    [[nodiscard]] std::optional<ErrorSource> source() const;

private:
    Variant value_;
};

// "{value:08X}": file ids as the archive layer prints them.
[[nodiscard]] std::string hex8(std::uint32_t value);

}  // namespace quillmere_dat::error
