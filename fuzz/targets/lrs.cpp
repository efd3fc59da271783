// decompress_lrs on any stored bytes, against a plain token-by-token decoder
// written from the format's definition; and the compressor on the same bytes
// taken as data.

#include "fuzz_checks.hpp"

#include <quillmere/dat/utils/lrs.hpp>

#include <algorithm>

namespace {

using quillmere_fuzz::Bytes;

std::uint32_t declared_size(std::span<const std::uint8_t> stored) {
    return static_cast<std::uint32_t>(stored[0]) | static_cast<std::uint32_t>(stored[1]) << 8 |
           static_cast<std::uint32_t>(stored[2]) << 16 | static_cast<std::uint32_t>(stored[3]) << 24;
}

// One token at a time, every check spelled out; a back-reference takes each
// byte from `n - min(n, distance)`, so a distance beyond the output repeats
// byte 0. Slow and obviously right.
Bytes reference_decompress(std::span<const std::uint8_t> stored) {
    if (stored.size() < 4) return Bytes(stored.begin(), stored.end());
    const std::uint64_t limit = declared_size(stored);
    Bytes out;
    std::size_t i = 4;
    unsigned flags = 0;
    int bits_left = 0;
    while (i < stored.size() && out.size() < limit) {
        if (bits_left == 0) {
            flags = stored[i++];
            bits_left = 8;
        }
        const bool back_reference = (flags & 0x80U) != 0;
        flags <<= 1;
        --bits_left;
        if (!back_reference) {
            if (i == stored.size()) break;
            out.push_back(stored[i++]);
            continue;
        }
        if (i + 1 >= stored.size()) break;
        const std::size_t distance = stored[i] | (stored[i + 1] & 0xF0U) << 4;
        const std::size_t length = (stored[i + 1] & 0x0FU) + 2;
        // Nothing to copy from yet: the stream is as unusable as with a zero
        // distance.
        if (distance == 0 || out.empty()) break;
        i += 2;
        for (std::size_t k = 0; k < length && out.size() < limit; ++k) {
            const std::size_t n = out.size();
            out.push_back(out[n - std::min(n, distance)]);
        }
    }
    return out;
}

std::string describe_difference(const Bytes& got, const Bytes& expected) {
    const auto mismatch = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
    return "decompress_lrs gave " + std::to_string(got.size()) + " bytes, the token-by-token decoder " +
           std::to_string(expected.size()) + "; first difference at " +
           std::to_string(mismatch.first - got.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto stored = quillmere_fuzz::input_span(data, size);

    const Bytes out = quillmere_dat::utils::decompress_lrs(stored);
    if (stored.size() >= 4) {
        quillmere_fuzz::require(out.size() <= declared_size(stored), "output longer than its declared size");
    }
    const Bytes expected = reference_decompress(stored);
    if (out != expected) quillmere_fuzz::fail(describe_difference(out, expected));

    // The compressor, on the output (long repeats) followed by the input
    // (anything at all): decompressing its result gives the data back. Each
    // call builds a fresh 256 KB match table, many times the cost of the
    // decoding under the sanitizers, so only one input in 16 takes this
    // check, chosen by its bytes so that a replay makes the same choice.
    unsigned byte_sum = 0;
    for (const std::uint8_t byte : stored) byte_sum += byte;
    if (byte_sum % 16 != 0) return 0;
    Bytes data_in = out;
    data_in.insert(data_in.end(), stored.begin(), stored.end());
    const Bytes round_trip = quillmere_dat::utils::decompress_lrs(quillmere_dat::utils::compress_lrs(data_in));
    quillmere_fuzz::require(round_trip == data_in, "compress then decompress changed the data");
    return 0;
}
