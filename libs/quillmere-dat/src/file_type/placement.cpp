#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/setup_model.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include <array>
#include <cstdio>

namespace quillmere_dat::file_type::setup_model {

using graphics::Frame;
using utils::ByteReader;
using utils::ByteWriter;
using utils::ReadResult;

namespace {

constexpr std::uint32_t variable_hook_type = 5;
constexpr std::uint16_t second_value_follows = 0x8000;

// Payload bytes of each hook type; type 5 is variable and read apart.
constexpr std::array<std::uint8_t, AnimationHook::max_hook_type + 1> payload_sizes = {
    0, 4, 4, 28, 0, 0, 4, 16, 12, 16, 12, 16, 8, 40,  // 0 to 13
    4, 4, 4, 0, 4, 8, 12, 16, 12, 8, 12, 4, 40,       // 14 to 26
};

// Smallest wire size of a hook: its type and parameter words.
constexpr std::uint64_t min_hook_size = 8;
constexpr std::uint64_t frame_size = 28;

ReadResult<void> append_bytes(ByteReader& reader, std::uint64_t count, std::vector<std::uint8_t>& out) {
    const auto bytes = QM_TRY(reader.read_bytes(count));
    out.insert(out.end(), bytes.begin(), bytes.end());
    return {};
}

}  // namespace

ReadResult<AnimationHook> AnimationHook::unpack(ByteReader& reader) {
    const std::uint64_t start = reader.position();
    AnimationHook hook;
    hook.hook_type = QM_TRY(reader.read_u32());
    hook.hook_param = QM_TRY(reader.read_u32());
    if (hook.hook_type > max_hook_type) {
        char message[64];
        std::snprintf(message, sizeof message, "Unsupported AnimationHook type: 0x%08X",
                      static_cast<unsigned>(hook.hook_type));
        return std::unexpected(error::ReadError::check(message, reader.position()));
    }
    if (hook.hook_type == variable_hook_type) {
        QM_TRY_VOID(append_bytes(reader, 1, hook.payload));
        const std::uint16_t first = QM_TRY(reader.read_u16());
        hook.payload.push_back(static_cast<std::uint8_t>(first));
        hook.payload.push_back(static_cast<std::uint8_t>(first >> 8));
        if ((first & second_value_follows) != 0) QM_TRY_VOID(append_bytes(reader, 2, hook.payload));
    } else {
        QM_TRY_VOID(append_bytes(reader, payload_sizes[hook.hook_type], hook.payload));
    }
    // Padding to a multiple of 4 from the hook's start; only type 5 needs any.
    const std::uint64_t padding = (4 - (reader.position() - start) % 4) % 4;
    QM_TRY_VOID(append_bytes(reader, padding, hook.payload));
    return hook;
}

void AnimationHook::pack(ByteWriter& writer) const {
    writer.write_u32(hook_type);
    writer.write_u32(hook_param);
    writer.write_bytes(payload);
}

ReadResult<PlacementType> PlacementType::read(ByteReader& reader, std::uint32_t part_count) {
    PlacementType placement;
    placement.frames = QM_TRY(utils::read_list<Frame>(reader, part_count, frame_size, Frame::unpack));
    const std::uint32_t hook_count = QM_TRY(reader.read_u32());
    placement.hooks =
        QM_TRY(utils::read_list<AnimationHook>(reader, hook_count, min_hook_size, AnimationHook::unpack));
    return placement;
}

void PlacementType::pack(ByteWriter& writer) const {
    for (const Frame& frame : frames) frame.pack(writer);
    writer.write_u32(static_cast<std::uint32_t>(hooks.size()));
    for (const AnimationHook& hook : hooks) hook.pack(writer);
}

}  // namespace quillmere_dat::file_type::setup_model
