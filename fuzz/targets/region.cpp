// Region::unpack on any bytes: the region file, the first record every run
// reads.

#include "fuzz_checks.hpp"

#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/utils/text_encoding.hpp>

#include <string>
#include <string_view>

namespace {

using quillmere_dat::file_type::region::Region;

// The writer must fit every text into its 2-byte length, and a decoded text
// need not fit: up to 0xFFFF stored bytes of malformed UTF-8 or UTF-16 become
// up to three UTF-8 bytes each, which no encoding the reader knows can hold.
// Such a region decodes but cannot be written, so it is not re-packed.
bool writable(std::string_view text) {
    constexpr std::size_t max_length = 0xFFFF;
    constexpr std::size_t marker_length = 3;  // the UTF-8 byte-order mark
    if (text.size() + marker_length <= max_length) return true;
    const auto single_byte = quillmere_dat::utils::text::utf8_to_windows_1252(text);
    if (!single_byte || single_byte->size() > max_length || single_byte->empty()) return false;
    // Texts that begin like a byte-order mark are written as UTF-8.
    const auto first = static_cast<unsigned char>(single_byte->front());
    return first != 0xEF && first != 0xFE && first != 0xFF;
}

bool texts_writable(const Region& region) {
    bool ok = writable(region.name) && writable(region.game_time.name);
    for (const auto& time : region.game_time.times_of_day) ok = ok && writable(time.name);
    for (const auto& text : region.game_time.name_list) ok = ok && writable(text);
    for (const auto& season : region.game_time.seasons) ok = ok && writable(season.name);
    if (region.sky_desc) {
        for (const auto& group : region.sky_desc->day_groups) ok = ok && writable(group.name);
    }
    for (const auto& type : region.terrain_desc.terrain_types) ok = ok && writable(type.name);
    return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillmere_dat::utils::ByteReader reader(quillmere_fuzz::input_span(data, size));
    auto region = Region::unpack(reader);
    if (!region.has_value()) {
        quillmere_fuzz::check_error(region.error());
        return 0;
    }
    // The optional parts are present exactly when their flag says so; the
    // writer relies on that.
    const std::uint32_t flags = region->part_flags;
    using namespace quillmere_dat::file_type::region;
    quillmere_fuzz::require(region->sky_desc.has_value() == ((flags & part_sky) != 0), "sky part disagrees with its flag");
    quillmere_fuzz::require(region->sound_desc.has_value() == ((flags & part_sound) != 0),
                            "sound part disagrees with its flag");
    quillmere_fuzz::require(region->scene_desc.has_value() == ((flags & part_scene) != 0),
                            "scene part disagrees with its flag");
    quillmere_fuzz::require(region->region_misc.has_value() == ((flags & part_misc) != 0),
                            "misc part disagrees with its flag");
    if (texts_writable(*region)) quillmere_fuzz::check_repack(*region);
    return 0;
}
