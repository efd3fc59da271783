#pragma once

#include <cstdint>

namespace quillmere_mkworld {

// A small deterministic generator (SplitMix64). The standard library's
// distributions are not specified bit for bit, so worlds draw through these
// helpers only: the same seed gives the same world with every compiler.
class Random {
public:
    explicit Random(std::uint64_t seed) noexcept : state_(seed) {}

    std::uint64_t next() noexcept {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, bound); bound > 0. The tiny modulo bias is irrelevant
    // for test worlds.
    std::uint32_t below(std::uint32_t bound) noexcept { return static_cast<std::uint32_t>(next() % bound); }

    // Uniform in [low, high].
    int between(int low, int high) noexcept {
        return low + static_cast<int>(below(static_cast<std::uint32_t>(high - low + 1)));
    }

    // Uniform in [0, 1), 24 bits: exactly representable as a float.
    float unit() noexcept { return static_cast<float>(next() >> 40) * 0x1.0p-24F; }

    float between(float low, float high) noexcept { return low + (high - low) * unit(); }

    bool chance(std::uint32_t percent) noexcept { return below(100) < percent; }

    // A generator for a sub-part of the world, independent of how many
    // numbers other parts drew.
    Random fork(std::uint64_t salt) noexcept { return Random(next() ^ (salt * 0xD1B54A32D192ED03ULL)); }

private:
    std::uint64_t state_;
};

}  // namespace quillmere_mkworld
