#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/setup_model.hpp>
#include <quillmere/dat/utils/math_records.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include <cstdio>

namespace quillmere_dat::file_type::setup_model {

using quillmere_common::math::Sphere;
using quillmere_common::math::Vector3;
using utils::ByteReader;
using utils::ByteWriter;
using utils::ReadResult;

namespace {

ReadResult<std::vector<std::uint32_t>> read_u32_list(ByteReader& reader, std::uint32_t count) {
    return utils::read_list<std::uint32_t>(reader, count, 4, [](ByteReader& r) { return r.read_u32(); });
}

// A u32 count, then that many (u32 key, record) entries; a repeated key
// keeps the later record.
template <typename Record>
ReadResult<std::map<std::uint32_t, Record>> read_keyed(ByteReader& reader) {
    const std::uint32_t count = QM_TRY(reader.read_u32());
    std::map<std::uint32_t, Record> out;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t key = QM_TRY(reader.read_u32());
        out.insert_or_assign(key, QM_TRY(Record::unpack(reader)));
    }
    return out;
}

template <typename Record>
void write_keyed(ByteWriter& writer, const std::map<std::uint32_t, Record>& entries) {
    writer.write_u32(static_cast<std::uint32_t>(entries.size()));
    for (const auto& [key, record] : entries) {
        writer.write_u32(key);
        record.pack(writer);
    }
}

ReadResult<std::map<std::uint32_t, PlacementType>> read_placements(ByteReader& reader, std::uint32_t id,
                                                                    std::uint32_t part_count) {
    const std::int32_t count = QM_TRY(reader.read_i32());
    if (count < 0) {
        char message[96];
        std::snprintf(message, sizeof message, "SetupModel 0x%08X declared negative placement count %d",
                      static_cast<unsigned>(id), static_cast<int>(count));
        return std::unexpected(error::ReadError::check(message, reader.position()));
    }
    std::map<std::uint32_t, PlacementType> out;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint32_t key = QM_TRY(reader.read_u32());
        out.insert_or_assign(key, QM_TRY(PlacementType::read(reader, part_count)));
    }
    return out;
}

ReadResult<std::optional<std::uint32_t>> read_linked_id(ByteReader& reader) {
    const std::uint32_t word = QM_TRY(reader.read_u32());
    if (word == 0) return std::optional<std::uint32_t>();
    return std::optional<std::uint32_t>(word);
}

}  // namespace

ReadResult<SetupModel> SetupModel::unpack(ByteReader& reader) {
    SetupModel setup;
    setup.id = QM_TRY(reader.read_u32());
    setup.flags = QM_TRY(reader.read_u32());
    setup.num_parts = QM_TRY(reader.read_u32());
    setup.parts = QM_TRY(read_u32_list(reader, setup.num_parts));
    if ((setup.flags & has_parent_indices) != 0) {
        setup.parent_indices = QM_TRY(read_u32_list(reader, setup.num_parts));
    }
    if ((setup.flags & has_default_scales) != 0) {
        setup.default_scales = QM_TRY(utils::read_list<Vector3>(reader, setup.num_parts, 12, utils::read_vector3));
    }
    setup.locations_a = QM_TRY(read_keyed<LocationType>(reader));
    setup.locations_b = QM_TRY(read_keyed<LocationType>(reader));
    setup.placements = QM_TRY(read_placements(reader, setup.id, setup.num_parts));
    const std::uint32_t cyl_sphere_count = QM_TRY(reader.read_u32());
    setup.cyl_spheres = QM_TRY(utils::read_list<CylSphere>(reader, cyl_sphere_count, 20, CylSphere::unpack));
    const std::uint32_t sphere_count = QM_TRY(reader.read_u32());
    setup.spheres = QM_TRY(utils::read_list<Sphere>(reader, sphere_count, 16, utils::read_sphere));
    setup.scalar_a = QM_TRY(reader.read_u32());
    setup.scalar_b = QM_TRY(reader.read_u32());
    setup.scalar_c = QM_TRY(reader.read_u32());
    setup.scalar_d = QM_TRY(reader.read_u32());
    setup.sphere_a = QM_TRY(utils::read_sphere(reader));
    setup.sphere_b = QM_TRY(utils::read_sphere(reader));
    setup.lights = QM_TRY(read_keyed<LightInfo>(reader));
    setup.linked_id_a = QM_TRY(read_linked_id(reader));
    setup.linked_id_b = QM_TRY(read_linked_id(reader));
    setup.linked_id_c = QM_TRY(read_linked_id(reader));
    setup.linked_id_d = QM_TRY(read_linked_id(reader));
    setup.linked_id_e = QM_TRY(read_linked_id(reader));
    return setup;
}

void SetupModel::pack(ByteWriter& writer) const {
    writer.write_u32(id);
    writer.write_u32(flags);
    writer.write_u32(num_parts);
    for (const std::uint32_t part : parts) writer.write_u32(part);
    if ((flags & has_parent_indices) != 0) {
        for (const std::uint32_t index : parent_indices) writer.write_u32(index);
    }
    if ((flags & has_default_scales) != 0) {
        for (const Vector3& scale : default_scales) utils::pack(writer, scale);
    }
    write_keyed(writer, locations_a);
    write_keyed(writer, locations_b);
    writer.write_i32(static_cast<std::int32_t>(placements.size()));
    for (const auto& [key, placement] : placements) {
        writer.write_u32(key);
        placement.pack(writer);
    }
    writer.write_u32(static_cast<std::uint32_t>(cyl_spheres.size()));
    for (const CylSphere& shape : cyl_spheres) shape.pack(writer);
    writer.write_u32(static_cast<std::uint32_t>(spheres.size()));
    for (const Sphere& sphere : spheres) utils::pack(writer, sphere);
    writer.write_u32(scalar_a);
    writer.write_u32(scalar_b);
    writer.write_u32(scalar_c);
    writer.write_u32(scalar_d);
    utils::pack(writer, sphere_a);
    utils::pack(writer, sphere_b);
    write_keyed(writer, lights);
    for (const auto& linked : {linked_id_a, linked_id_b, linked_id_c, linked_id_d, linked_id_e}) {
        writer.write_u32(linked.value_or(0));
    }
}

}  // namespace quillmere_dat::file_type::setup_model
