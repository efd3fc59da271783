#pragma once

#include "world_builder.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace quillmere_mkworld {

enum class Profile {
    demo,     // the check's square and its border, every feature and fault
    minimal,  // the smallest world that places something
    large,    // every landblock of the world, for benchmarks
};

[[nodiscard]] std::optional<Profile> parse_profile(std::string_view name);

// Called now and then while a world is built: files made so far, and in all.
using Progress = std::function<void(std::size_t done, std::size_t total)>;

// Builds the world of `profile` for `seed`. The same inputs give the same
// archives, byte for byte.
[[nodiscard]] WorldBuilder build_world(Profile profile, std::uint64_t seed, const Progress& progress = {});

}  // namespace quillmere_mkworld
