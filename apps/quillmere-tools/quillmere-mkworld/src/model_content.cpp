#include "model_content.hpp"

#include <array>
#include <memory>

namespace quillmere_mkworld {

namespace graphics = quillmere_dat::graphics;
namespace physics = quillmere_dat::physics;
using quillmere_common::math::Plane;
using quillmere_common::math::Sphere;
using quillmere_common::math::Vector3;
using quillmere_dat::file_type::gfx_obj::GfxObj;
using quillmere_dat::file_type::setup_model::SetupModel;

namespace {

// Unit directions every 45 degrees, written out so no math library is used.
constexpr float diagonal = 0.70710677F;
constexpr std::array<std::array<float, 2>, 8> ring = {{
    {1.0F, 0.0F}, {diagonal, diagonal}, {0.0F, 1.0F}, {-diagonal, diagonal},
    {-1.0F, 0.0F}, {-diagonal, -diagonal}, {0.0F, -1.0F}, {diagonal, -diagonal},
}};

graphics::Polygon make_polygon(std::uint16_t a, std::uint16_t b, std::uint16_t c, Random& random) {
    graphics::Polygon polygon;
    polygon.num_vertices = 3;
    static constexpr std::array<std::uint8_t, 4> flag_choices = {0x00, 0x04, 0x08, 0x0C};
    polygon.flags = flag_choices[random.below(4)];
    polygon.side_mode = random.below(3);  // 2 adds the negative UV list
    polygon.pos_surface = static_cast<std::uint16_t>(random.below(2));
    polygon.neg_surface = static_cast<std::uint16_t>(random.below(2));
    polygon.vertex_ids = {a, b, c};
    if (polygon.has_pos_uvs()) polygon.pos_uv_indices = {0, 1, 0};
    if (polygon.has_neg_uvs()) polygon.neg_uv_indices = {1, 0, 1};
    return polygon;
}

Sphere bounding(float radius) { return Sphere{{0.0F, 0.0F, radius}, radius * 1.5F}; }

physics::BspNode leaf(std::uint32_t index, physics::BspTreeKind kind, float radius) {
    physics::BspLeaf node;
    node.leaf_index = index;
    if (kind == physics::BspTreeKind::physics) {
        node.solid = 1;
        node.sphere = bounding(radius);
        node.poly_ids = {static_cast<std::uint16_t>(index), static_cast<std::uint16_t>(index + 1)};
    }
    return node;
}

physics::InternalNode internal(std::uint32_t tag, physics::BspTreeKind kind, float radius) {
    physics::InternalNode node;
    node.node_type = physics::InternalNode::node_type_of(tag);
    node.plane = Plane{{1.0F, 0.0F, 0.0F}, 0.0F};
    node.sphere = bounding(radius);
    if (kind == physics::BspTreeKind::drawing) node.poly_ids = {0, 1, 2};
    return node;
}

// Physics: BPIN over two leaves. Drawing: PORT over (BPnN over a leaf) and
// a childless Bpnn node.
physics::BspNode physics_tree(float radius) {
    auto node = internal(0x4250494E /* BPIN */, physics::BspTreeKind::physics, radius);
    node.pos_child = std::make_unique<physics::BspNode>(leaf(0, physics::BspTreeKind::physics, radius));
    node.neg_child = std::make_unique<physics::BspNode>(leaf(1, physics::BspTreeKind::physics, radius));
    return node;
}

physics::BspNode drawing_tree(float radius) {
    constexpr auto kind = physics::BspTreeKind::drawing;
    auto split = internal(0x42506E4E /* BPnN */, kind, radius);
    split.pos_child = std::make_unique<physics::BspNode>(leaf(0, kind, radius));
    split.neg_child = std::make_unique<physics::BspNode>(leaf(1, kind, radius));
    physics::BspPortal portal;
    portal.plane = Plane{{0.0F, 1.0F, 0.0F}, -radius};
    portal.pos_child = std::make_unique<physics::BspNode>(std::move(split));
    portal.neg_child = std::make_unique<physics::BspNode>(internal(0x42706E6E /* Bpnn */, kind, radius));
    portal.sphere = bounding(radius);
    portal.poly_ids = {0, 2};
    portal.portals = {{0, 1}, {1, 2}, {2, 0}};
    return portal;
}

}  // namespace

GfxObj make_graphics_object(std::uint32_t id, float radius, Random& random) {
    GfxObj object;
    object.id = id;
    static constexpr std::array<std::uint32_t, 5> flag_choices = {0x3, 0x3, 0x1, 0x2, 0xB};
    object.flags = flag_choices[random.below(5)];
    object.surfaces = {0x08000000 + random.below(64), 0x08000100 + random.below(64)};
    object.vertex_array.vertex_type = graphics::CVertexArray::sw_vertex_type;

    const std::uint32_t corners = 3 + random.below(6);
    for (std::uint32_t i = 0; i < corners; ++i) {
        graphics::SWVertex vertex;
        const float reach = radius * random.between(0.6F, 1.0F);
        const auto& direction = ring[i * ring.size() / corners];  // spread round the origin
        vertex.origin = {direction[0] * reach, direction[1] * reach, 0.0F};
        vertex.normal = {direction[0], direction[1], 0.0F};
        vertex.num_uvs = static_cast<std::uint16_t>(random.below(3));
        for (std::uint16_t u = 0; u < vertex.num_uvs; ++u) vertex.uvs.push_back({random.unit(), random.unit()});
        object.vertex_array.vertices.emplace(static_cast<std::uint16_t>(i), std::move(vertex));
    }
    graphics::SWVertex top;
    top.origin = {0.0F, 0.0F, radius * 2.0F};
    top.normal = {0.0F, 0.0F, 1.0F};
    const auto apex = static_cast<std::uint16_t>(corners);
    object.vertex_array.vertices.emplace(apex, top);

    std::map<std::uint16_t, graphics::Polygon> faces;
    for (std::uint32_t i = 0; i < corners; ++i) {
        faces.emplace(static_cast<std::uint16_t>(i),
                      make_polygon(static_cast<std::uint16_t>(i), static_cast<std::uint16_t>((i + 1) % corners), apex,
                                   random));
    }
    if ((object.flags & GfxObj::has_physics) != 0) {
        object.physics_polygons = faces;
        object.physics_bsp = physics_tree(radius);
    }
    object.sort_center = {0.0F, 0.0F, radius};
    if ((object.flags & GfxObj::has_drawing) != 0) {
        object.polygons = std::move(faces);
        object.drawing_bsp = drawing_tree(radius);
    }
    if ((object.flags & GfxObj::has_degrade) != 0) object.degrade_id = 0x11000000 + random.below(256);
    return object;
}

GfxObj make_hollow_graphics_object(std::uint32_t id) {
    GfxObj object;
    object.id = id;
    object.vertex_array.vertex_type = 2;  // nothing to expand: no vertices are stored
    return object;
}

SetupModel make_setup(std::uint32_t id, std::vector<std::uint32_t> parts, Random& random) {
    SetupModel setup;
    setup.id = id;
    setup.flags = random.below(4);
    setup.num_parts = static_cast<std::uint32_t>(parts.size());
    setup.parts = std::move(parts);
    for (std::uint32_t i = 0; i < setup.num_parts; ++i) {
        if ((setup.flags & SetupModel::has_parent_indices) != 0) setup.parent_indices.push_back(i == 0 ? 0xFFFFFFFF : 0);
        if ((setup.flags & SetupModel::has_default_scales) != 0) setup.default_scales.push_back({1.0F, 1.0F, 1.0F});
    }
    setup.locations_a[1] = {0, graphics::Frame{{0.0F, 0.0F, 1.0F}, {1.0F, 0.0F, 0.0F, 0.0F}}};
    if (random.chance(50)) setup.locations_b[2] = {0, graphics::Frame{{0.5F, 0.0F, 0.0F}, {1.0F, 0.0F, 0.0F, 0.0F}}};

    quillmere_dat::file_type::setup_model::PlacementType placement;
    for (std::uint32_t i = 0; i < setup.num_parts; ++i) {
        placement.frames.push_back(graphics::Frame{{static_cast<float>(i), 0.0F, 0.0F}, {1.0F, 0.0F, 0.0F, 0.0F}});
    }
    // Hooks of fixed sizes and both forms of the variable kind 5.
    placement.hooks.push_back({0, 1, {}});
    placement.hooks.push_back({3, 2, std::vector<std::uint8_t>(28, 7)});
    placement.hooks.push_back({5, 3, {1, 0x01, 0x00, 0}});               // short form: 3 bytes + 1 padding
    placement.hooks.push_back({5, 4, {2, 0x01, 0x80, 0x02, 0x00, 0, 0, 0}});  // long form: 5 bytes + 3 padding
    placement.hooks.push_back({26, 5, std::vector<std::uint8_t>(40, 9)});
    setup.placements[0x65] = std::move(placement);

    setup.cyl_spheres.push_back({{0.0F, 0.0F, 0.0F}, 1.0F, 2.0F});
    setup.spheres.push_back({{0.0F, 0.0F, 1.0F}, 1.5F});
    setup.scalar_a = 0x3F800000;
    setup.scalar_b = 0x40000000;
    setup.scalar_c = 0;
    setup.scalar_d = 7;
    setup.sphere_a = {{0.0F, 0.0F, 1.0F}, 2.0F};
    setup.sphere_b = {{0.0F, 0.0F, 0.5F}, 1.0F};
    if (random.chance(30)) {
        setup.lights[0] = {graphics::Frame{{0.0F, 0.0F, 3.0F}, {1.0F, 0.0F, 0.0F, 0.0F}}, 0xFFEEDD, 1.0F, 5.0F, 0.5F};
    }
    if (random.chance(50)) setup.linked_id_a = 0x01000005;
    if (random.chance(20)) setup.linked_id_e = 0x33000001;
    return setup;
}

}  // namespace quillmere_mkworld
