#pragma once

#include <quillmere/dat/file_type/game_time.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The region file (portal file 0x13000000): the height table, the terrain
// types and the scene types from which scenery is generated, plus the sky,
// sound and calendar parts that must be decoded to reach them.
//
// All decoders here are hand-written: they add no field-context frames, and
// every "align 4" counts from the first byte of the region file's data.
namespace quillmere_dat::file_type::region {

// ---- Sky ---------------------------------------------------------------

struct SkyItem {
    std::array<std::uint32_t, 9> values{};
    friend bool operator==(const SkyItem&, const SkyItem&) = default;
};

struct SkyTimeItem {
    std::array<std::uint32_t, 6> values{};
    friend bool operator==(const SkyTimeItem&, const SkyTimeItem&) = default;
};

struct SkyTimeOfDay {
    std::array<std::uint32_t, 11> values{};
    std::vector<SkyTimeItem> time_items;
    friend bool operator==(const SkyTimeOfDay&, const SkyTimeOfDay&) = default;
};

struct DayGroup {
    std::uint32_t group_word = 0;
    std::string name;
    std::vector<SkyItem> sky_items;
    std::vector<SkyTimeOfDay> sky_times;
    friend bool operator==(const DayGroup&, const DayGroup&) = default;
};

struct SkyDesc {
    double value_a = 0.0;
    double value_b = 0.0;
    std::vector<DayGroup> day_groups;

    static utils::ReadResult<SkyDesc> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const SkyDesc&, const SkyDesc&) = default;
};

// ---- Sound -------------------------------------------------------------

struct AmbientEntry {
    std::array<std::uint32_t, 5> values{};
    friend bool operator==(const AmbientEntry&, const AmbientEntry&) = default;
};

struct AmbientSTBDesc {
    std::uint32_t stb_word = 0;
    std::vector<AmbientEntry> entries;
    friend bool operator==(const AmbientSTBDesc&, const AmbientSTBDesc&) = default;
};

struct SoundDesc {
    std::vector<AmbientSTBDesc> stb_descs;

    static utils::ReadResult<SoundDesc> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const SoundDesc&, const SoundDesc&) = default;
};

// ---- Scene types -------------------------------------------------------

struct SceneType {
    std::uint32_t type_word = 0;
    std::vector<std::uint32_t> scenes;  // file ids of Scene records
    friend bool operator==(const SceneType&, const SceneType&) = default;
};

struct SceneDesc {
    std::vector<SceneType> scene_types;

    static utils::ReadResult<SceneDesc> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const SceneDesc&, const SceneDesc&) = default;
};

// ---- Terrain types -----------------------------------------------------

struct TerrainType {
    std::string name;
    std::uint32_t type_word = 0;
    std::vector<std::uint32_t> scene_types;  // indices into SceneDesc::scene_types
    friend bool operator==(const TerrainType&, const TerrainType&) = default;
};

struct PairEntry {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    friend bool operator==(const PairEntry&, const PairEntry&) = default;
};

struct KeyedEntry {
    std::uint32_t key = 0;
    std::array<std::uint32_t, 10> values{};
    friend bool operator==(const KeyedEntry&, const KeyedEntry&) = default;
};

struct TerrainDesc {
    std::vector<TerrainType> terrain_types;
    std::uint32_t extra_a = 0;
    std::uint32_t extra_b = 0;
    std::vector<PairEntry> pair_list_a;
    std::vector<PairEntry> pair_list_b;
    std::vector<PairEntry> pair_list_c;
    std::vector<KeyedEntry> entry_list;

    static utils::ReadResult<TerrainDesc> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const TerrainDesc&, const TerrainDesc&) = default;
};

struct RegionMisc {
    std::array<std::uint32_t, 6> values{};

    static utils::ReadResult<RegionMisc> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const RegionMisc&, const RegionMisc&) = default;
};

// ---- The region --------------------------------------------------------

// Bits of `part_flags` that gate the optional parts.
inline constexpr std::uint32_t part_sound = 0x1;
inline constexpr std::uint32_t part_scene = 0x2;
inline constexpr std::uint32_t part_sky = 0x10;
inline constexpr std::uint32_t part_misc = 0x200;

struct Region {
    std::uint32_t id = 0;
    std::uint32_t header_a = 0;
    std::uint32_t header_b = 0;
    std::string name;
    std::array<std::uint32_t, 8> land_params{};  // raw words; 3rd and 6th hold f32 bits
    std::array<float, 256> land_heights{};       // height by vertex height code
    game_time::GameTime game_time;
    std::uint32_t part_flags = 0;
    std::optional<SkyDesc> sky_desc;
    std::optional<SoundDesc> sound_desc;
    std::optional<SceneDesc> scene_desc;
    TerrainDesc terrain_desc;
    std::optional<RegionMisc> region_misc;

    // Decodes the whole region from the first byte of the file's data.
    // Optional parts are read in file order: sky (0x10), sound (0x1), scene
    // (0x2), then the terrain descriptor, then misc (0x200).
    static utils::ReadResult<Region> unpack(utils::ByteReader& reader);
    // Writes the parts that `part_flags` announces; a part that is announced
    // must be present (and one that is present must be announced). Breaking
    // that asserts in debug builds; otherwise the flags decide: an announced
    // but absent part is written empty, an unannounced one is left out.
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const Region&, const Region&) = default;
};

}  // namespace quillmere_dat::file_type::region
