#pragma once

#include <cstdint>
#include <vector>

namespace quillmere_mkworld {

// File ids of a generated world.
namespace ids {
inline constexpr std::uint32_t region = 0x13000000;
inline constexpr std::uint32_t first_scene = 0x12000001;
inline constexpr std::uint32_t first_prop = 0x01001001;      // small graphics objects placed as scenery
inline constexpr std::uint32_t first_prop_setup = 0x02000101;
inline constexpr std::uint32_t first_building = 0x01002001;  // larger graphics objects used by buildings
inline constexpr std::uint32_t first_building_setup = 0x02002001;
inline constexpr std::uint32_t missing_scene = 0x12000FFF;   // named by the region, never written
inline constexpr std::uint32_t truncated_scene = 0x12000FFE;  // written cut short
inline constexpr std::uint32_t missing_model = 0x0100FFF1;   // named by scenes, never written
inline constexpr std::uint32_t foreign_model = 0x03000042;   // neither graphics object nor setup
inline constexpr std::uint32_t hollow_model = 0x0100FFF2;    // a graphics object without vertices

constexpr std::uint32_t terrain_file(std::uint16_t landblock) { return std::uint32_t{landblock} << 16 | 0xFFFFU; }
constexpr std::uint32_t objects_file(std::uint16_t landblock) { return std::uint32_t{landblock} << 16 | 0xFFFEU; }
}  // namespace ids

// How big a generated world is and what it contains.
struct WorldShape {
    std::vector<std::uint16_t> landblocks;  // terrain (and mostly objects) files to write
    std::uint32_t terrain_types = 20;        // the terrain words also name a few indices past these
    std::uint32_t scene_types = 24;
    std::uint32_t scenes = 64;
    std::uint32_t props = 40;           // small graphics objects
    std::uint32_t prop_setups = 16;     // setups over the props
    std::uint32_t buildings = 12;       // building graphics objects
    std::uint32_t building_setups = 6;  // setups over the buildings
    std::uint32_t building_percent = 40;  // landblocks with buildings
    bool faults = true;                  // missing and damaged files of every kind
};

}  // namespace quillmere_mkworld
