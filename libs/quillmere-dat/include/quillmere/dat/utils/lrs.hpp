#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quillmere_dat::utils {

// The stored form of a compressed file: a u32 `uncompressed_size`, then a
// token stream. A flag byte announces the next eight tokens, bit 0x80 first:
// a 0 bit is one literal byte, a 1 bit a two-byte back-reference b0 b1 with
// distance b0 | (b1 & 0xF0) << 4 (1..4095; 0 ends the stream) and length
// (b1 & 0x0F) + 2. A back-reference copies byte by byte, so a distance
// shorter than the length repeats the latest bytes.

// Never fails. Fewer than 4 stored bytes come back unchanged; otherwise the
// output stops at `uncompressed_size` bytes, or earlier when the tokens run
// out or one cannot be used (a zero distance, a truncated token, a
// back-reference before any byte was produced).
std::vector<std::uint8_t> decompress_lrs(std::span<const std::uint8_t> stored);

// The stored form of `data` (the u32 size prefix included), such that
// decompress_lrs gives `data` back. `data` must be shorter than 4 GiB.
std::vector<std::uint8_t> compress_lrs(std::span<const std::uint8_t> data);

}  // namespace quillmere_dat::utils
