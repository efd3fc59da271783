#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include <cassert>

#include "../aligned_text.hpp"
#include "words.hpp"

namespace quillmere_dat::file_type::region {

namespace {

template <typename Part>
utils::ReadResult<std::optional<Part>> unpack_if(utils::ByteReader& reader, std::uint32_t flags,
                                                 std::uint32_t bit) {
    if ((flags & bit) == 0) return std::optional<Part>{};
    return std::optional<Part>{QM_TRY(Part::unpack(reader))};
}

// The flag decides what goes on the wire, since it is what the reader goes by.
// A flag and a part that disagree are a caller's mistake: debug builds stop
// there; otherwise an announced but absent part is written empty (the reader
// then finds an empty part, not none) and an unannounced part is left out.
template <typename Part>
void pack_if(utils::ByteWriter& writer, std::uint32_t flags, std::uint32_t bit,
             const std::optional<Part>& part) {
    const bool announced = (flags & bit) != 0;
    assert(announced == part.has_value() && "Region: part_flags disagrees with the parts present");
    if (!announced) return;
    if (part.has_value()) {
        part->pack(writer);
    } else {
        Part{}.pack(writer);
    }
}

}  // namespace

utils::ReadResult<RegionMisc> RegionMisc::unpack(utils::ByteReader& reader) {
    return RegionMisc{QM_TRY(detail::read_words<6>(reader))};
}

void RegionMisc::pack(utils::ByteWriter& writer) const { detail::write_words(writer, values); }

utils::ReadResult<Region> Region::unpack(utils::ByteReader& reader) {
    Region region;
    region.id = QM_TRY(reader.read_u32());
    region.header_a = QM_TRY(reader.read_u32());
    region.header_b = QM_TRY(reader.read_u32());
    region.name = QM_TRY(file_type::detail::read_aligned_text(reader));
    region.land_params = QM_TRY(detail::read_words<8>(reader));
    // No count on the wire: the table is always 256 entries.
    for (float& height : region.land_heights) height = QM_TRY(reader.read_f32());
    region.game_time = QM_TRY(game_time::GameTime::unpack(reader));
    region.part_flags = QM_TRY(reader.read_u32());

    // File order, not bit order: sky, sound, scene, terrain, misc.
    region.sky_desc = QM_TRY(unpack_if<SkyDesc>(reader, region.part_flags, part_sky));
    region.sound_desc = QM_TRY(unpack_if<SoundDesc>(reader, region.part_flags, part_sound));
    region.scene_desc = QM_TRY(unpack_if<SceneDesc>(reader, region.part_flags, part_scene));
    region.terrain_desc = QM_TRY(TerrainDesc::unpack(reader));
    region.region_misc = QM_TRY(unpack_if<RegionMisc>(reader, region.part_flags, part_misc));
    return region;
}

void Region::pack(utils::ByteWriter& writer) const {
    writer.write_u32(id);
    writer.write_u32(header_a);
    writer.write_u32(header_b);
    file_type::detail::write_aligned_text(writer, name);
    detail::write_words(writer, land_params);
    for (const float height : land_heights) writer.write_f32(height);
    game_time.pack(writer);
    writer.write_u32(part_flags);

    pack_if(writer, part_flags, part_sky, sky_desc);
    pack_if(writer, part_flags, part_sound, sound_desc);
    pack_if(writer, part_flags, part_scene, scene_desc);
    terrain_desc.pack(writer);
    pack_if(writer, part_flags, part_misc, region_misc);
}

}  // namespace quillmere_dat::file_type::region
