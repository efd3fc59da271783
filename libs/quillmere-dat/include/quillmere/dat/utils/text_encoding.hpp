#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Conversions of stored texts to UTF-8, and back for the writer.
namespace quillmere_dat::utils::text {

// Windows-1252 as the WHATWG Encoding Standard defines it: every byte maps to
// a code point (the five unassigned bytes to the C1 controls of the same value).
[[nodiscard]] std::string windows_1252_to_utf8(std::span<const std::uint8_t> bytes);

// Each malformed sequence becomes U+FFFD.
[[nodiscard]] std::string utf8_lossy(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::string utf16_to_utf8(std::span<const std::uint8_t> bytes, bool big_endian);

// The text as Windows-1252 bytes, when every character has one.
[[nodiscard]] std::optional<std::string> utf8_to_windows_1252(std::string_view utf8);

void append_utf8(std::string& out, char32_t code_point);

}  // namespace quillmere_dat::utils::text
