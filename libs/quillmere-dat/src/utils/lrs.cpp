#include <quillmere/dat/utils/lrs.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillmere_dat::utils {

namespace {

constexpr std::size_t size_prefix = 4;
constexpr std::uint32_t window = 4095;  // the largest distance 12 bits can hold
constexpr std::size_t min_length = 2;
constexpr std::size_t max_length = 17;  // 4 bits + 2

std::uint32_t load_u32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

std::vector<std::uint8_t> decompress_lrs(std::span<const std::uint8_t> stored) {
    const std::size_t stored_size = stored.size();
    if (stored_size < size_prefix) return {stored.begin(), stored.end()};
    const std::uint32_t uncompressed_size = load_u32(stored.data());
    if (uncompressed_size == 0) return {};

    // The declared size is not trusted for the allocation: a two-byte token
    // makes at most 17 bytes, so the stored bytes bound what can come out.
    const std::uint64_t token_bytes = stored_size - size_prefix;
    const std::uint64_t most_possible = (token_bytes / 2 + 1) * max_length;
    const std::size_t limit =
        static_cast<std::size_t>(std::min<std::uint64_t>(uncompressed_size, most_possible));

    // Eight tokens read at most 16 bytes, and a run of literals is copied as
    // one 8-byte piece that may start 14 bytes in. A back-reference writes
    // at most 17 bytes, copied in 8-byte pieces, so a piece may write up to
    // 7 bytes past the token's end (later tokens overwrite them, or the
    // final cut removes them); a token taken in pieces needs that much room.
    constexpr std::size_t group_input = 14 + 8;
    constexpr std::size_t token_room = max_length + 7;

    // Sized once; cut to the produced length at the end. Because the limit
    // is never below what the tokens can produce, stopping at it is the same
    // as stopping at `uncompressed_size`. When the declared size is the
    // limit, the buffer has one token's room past it, so that tokens are
    // taken in pieces up to the end: a token that runs past the limit only
    // writes bytes the cut removes. (When the stored bytes set the limit,
    // no room is added: the buffer stays within what they can make.)
    const std::size_t room = limit + (limit == uncompressed_size ? token_room : 0);
    std::vector<std::uint8_t> output(room);
    std::uint8_t* const out = output.data();
    const std::uint8_t* const in = stored.data();
    std::size_t n = 0;
    std::size_t i = size_prefix;

    while (i < stored_size) {
        unsigned flags = in[i++];
        unsigned token = 0;

        if (stored_size - i >= group_input) {
            // Every byte these eight tokens can read is present; while a
            // token's whole write fits, only unusable references stop.
            if (flags == 0 && room - n >= 8) {
                std::memcpy(out + n, in + i, 8);
                i += 8;
                n += 8;
                if (n >= limit) goto done;
                continue;
            }
            while (token < 8 && n < limit && room - n >= token_room) {
                if ((flags & 0x80U) == 0) {
                    // A run of literals, copied as one 8-byte piece.
                    const unsigned run = std::min<unsigned>(
                        static_cast<unsigned>(std::countl_zero(static_cast<std::uint8_t>(flags))),
                        8 - token);
                    std::memcpy(out + n, in + i, 8);
                    n += run;
                    i += run;
                    token += run;
                    flags <<= run;
                    continue;
                }
                ++token;
                flags <<= 1;
                const std::size_t distance = in[i] | (in[i + 1] & 0xF0U) << 4;
                const std::size_t length = (in[i + 1] & 0x0FU) + min_length;
                // A zero distance ends the stream; with no output yet there is
                // nothing to copy from, which ends decoding the same way.
                if (distance == 0 || n == 0) goto done;
                i += 2;
                if ((distance >= 8 || distance >= length) && distance <= n) {
                    // Copied in 8-byte pieces. With a distance of 8 or more
                    // each piece reads only bytes already written; with a
                    // distance no shorter than the length, every byte the
                    // token keeps comes from before it, and what a piece
                    // reads past that only lands past the token's end.
                    for (std::size_t k = 0; k < length; k += 8) {
                        std::uint64_t piece = 0;
                        std::memcpy(&piece, out + n + k - distance, 8);
                        std::memcpy(out + n + k, &piece, 8);
                    }
                } else if (distance == 1) {
                    std::memset(out + n, out[n - 1], length);
                } else if (distance <= n) {
                    // Byte by byte: a short distance repeats the latest bytes.
                    for (std::size_t k = 0; k < length; ++k) out[n + k] = out[n + k - distance];
                } else {
                    // A distance beyond the output reads from index 0 until
                    // the output has grown to the distance.
                    for (std::size_t k = 0; k < length; ++k) {
                        out[n + k] = out[n + k - std::min(n + k, distance)];
                    }
                }
                n += length;
            }
            if (n >= limit) goto done;
            if (token == 8) continue;
        }

        // Near the end of the input or of the output: every check, token by
        // token, exactly as the format defines them, from where the
        // shortcuts above stopped.
        for (; token < 8; ++token, flags <<= 1) {
            if (token > 0 && i >= stored_size) goto done;
            if ((flags & 0x80U) == 0) {
                if (i == stored_size) goto done;
                out[n++] = in[i++];
            } else {
                if (i + 1 >= stored_size) goto done;
                const std::size_t distance = in[i] | (in[i + 1] & 0xF0U) << 4;
                const std::size_t length = (in[i + 1] & 0x0FU) + min_length;
                if (distance == 0 || n == 0) goto done;
                i += 2;
                for (std::size_t k = 0; k < length && n < limit; ++k) {
                    out[n] = out[n - std::min(n, distance)];
                    ++n;
                }
            }
            if (n >= limit) goto done;
        }
    }
done:
    output.resize(std::min(n, limit));
    return output;
}

std::vector<std::uint8_t> compress_lrs(std::span<const std::uint8_t> data) {
    const std::size_t size = data.size();
    if (size > 0xFFFFFFFFU) {
        std::fprintf(stderr, "compress_lrs: data of 4 GiB or more cannot be stored\n");
        std::abort();
    }
    std::vector<std::uint8_t> out;
    // Worst case: every byte a literal, plus one flag byte per eight.
    out.reserve(size_prefix + size + size / 8 + 1);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(size >> shift));
    if (size == 0) return out;

    // Hash chains keyed by the next two bytes (the shortest match), over the
    // last `window` positions. `head` holds the latest position of each key,
    // `previous` the position before it with the same key, ring-indexed.
    constexpr std::uint32_t none = 0xFFFFFFFFU;
    constexpr int max_candidates = 32;  // bounds the search on very repetitive data
    std::vector<std::uint32_t> head(1U << 16, none);
    std::array<std::uint32_t, window + 1> previous{};
    const std::uint8_t* bytes = data.data();
    const auto key_at = [bytes](std::size_t p) {
        return static_cast<std::uint32_t>(bytes[p]) | static_cast<std::uint32_t>(bytes[p + 1]) << 8;
    };
    const auto insert = [&](std::size_t p) {
        if (p + 1 >= size) return;
        const std::uint32_t key = key_at(p);
        previous[p & window] = head[key];
        head[key] = static_cast<std::uint32_t>(p);
    };

    std::size_t flag_at = 0;
    int tokens_in_flag = 8;
    const auto begin_token = [&](bool back_reference) {
        if (tokens_in_flag == 8) {
            flag_at = out.size();
            out.push_back(0);
            tokens_in_flag = 0;
        }
        if (back_reference) out[flag_at] |= static_cast<std::uint8_t>(0x80U >> tokens_in_flag);
        ++tokens_in_flag;
    };

    std::size_t pos = 0;
    while (pos < size) {
        std::size_t best_length = 0;
        std::size_t best_distance = 0;
        if (size - pos >= min_length) {
            const std::size_t longest = std::min(max_length, size - pos);
            std::uint32_t candidate = head[key_at(pos)];
            // Every candidate lies before `pos`, so the distance is never 0,
            // and nothing is found at position 0, where the output is empty.
            for (int tries = 0; candidate != none && pos - candidate <= window && tries < max_candidates;
                 ++tries) {
                std::size_t length = min_length;  // the key already matched two bytes
                while (length < longest && bytes[candidate + length] == bytes[pos + length]) ++length;
                if (length > best_length) {
                    best_length = length;
                    best_distance = pos - candidate;
                    if (length == longest) break;
                }
                candidate = previous[candidate & window];
            }
        }
        if (best_length >= min_length) {
            begin_token(true);
            out.push_back(static_cast<std::uint8_t>(best_distance & 0xFFU));
            out.push_back(static_cast<std::uint8_t>((best_distance >> 8) << 4 | (best_length - min_length)));
            for (std::size_t k = 0; k < best_length; ++k) insert(pos + k);
            pos += best_length;
        } else {
            begin_token(false);
            out.push_back(bytes[pos]);
            insert(pos);
            ++pos;
        }
    }
    return out;
}

}  // namespace quillmere_dat::utils
