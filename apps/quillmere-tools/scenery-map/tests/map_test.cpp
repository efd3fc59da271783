// The map of the demo world: well-formed, one marker per placement of the
// bake, one faint marker per dropped object, and terrain split as the
// baker's height model splits it.

#include "landblock_selection.hpp"
#include "map_command.hpp"
#include "map_data.hpp"
#include "palette.hpp"
#include "render_svg.hpp"
#include "run_result.hpp"
#include "svg_text.hpp"
#include "test_world.hpp"
#include "xml_check.hpp"

#include <quillmere/scenery_bake/height.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace fs = std::filesystem;
using quillmere_scenery_bake::ObjectFate;
using namespace scenery_map;

namespace {

scenery_bake_tool::World open_demo() {
    auto world = scenery_bake_tool::open_world({test_world::demo().portal, test_world::demo().cell}, {});
    EXPECT_TRUE(world.has_value());
    return std::move(*world);
}

std::vector<xml_check::Element> parsed(const std::string& svg) {
    auto elements = xml_check::parse(svg);
    EXPECT_TRUE(elements.has_value()) << elements.error();
    return elements ? std::move(*elements) : std::vector<xml_check::Element>{};
}

// The elements whose class attribute names `token` among its classes.
std::vector<const xml_check::Element*> with_class(const std::vector<xml_check::Element>& elements,
                                                  std::string_view token) {
    std::vector<const xml_check::Element*> found;
    for (const auto& element : elements) {
        const auto it = element.attributes.find("class");
        if (it == element.attributes.end()) continue;
        std::string_view classes = it->second;
        while (!classes.empty()) {
            const auto space = classes.find(' ');
            if (classes.substr(0, space) == token) {
                found.push_back(&element);
                break;
            }
            classes = space == std::string_view::npos ? std::string_view() : classes.substr(space + 1);
        }
    }
    return found;
}

// The <title> child of element `index`.
std::string title_of(const std::vector<xml_check::Element>& elements, const xml_check::Element* element) {
    const auto index = static_cast<std::size_t>(element - elements.data());
    for (std::size_t i = index + 1; i < elements.size(); ++i) {
        if (elements[i].parent == index && elements[i].name == "title") return elements[i].text;
    }
    return {};
}

}  // namespace

TEST(SceneryMap, OneMarkerPerPlacementOfTheBakeWithItsTooltip) {
    const auto world = open_demo();
    const auto square = scenery_bake_tool::landblock_rectangle(0xA3AE, 0xAFBA);
    const MapData map = collect_map(world, square, false);
    const auto elements = parsed(render_svg(map, "A3AE-AFBA"));
    ASSERT_FALSE(elements.empty());
    EXPECT_EQ(elements.front().name, "svg");
    EXPECT_EQ(elements.front().attributes.at("xmlns"), "http://www.w3.org/2000/svg");

    const auto markers = with_class(elements, "placement");
    EXPECT_EQ(std::to_string(markers.size()), test_world::golden().at("placements"));
    EXPECT_TRUE(with_class(elements, "drop").empty());
    for (const auto* marker : markers) EXPECT_EQ(marker->name, "rect");

    // The first marker is the square's first placement.
    const ConsideredObject* first = nullptr;
    std::uint16_t first_landblock = 0;
    for (const auto& entry : map.landblocks) {
        if (!entry.placed.empty()) {
            first = &entry.placed.front().object;
            first_landblock = entry.landblock;
            break;
        }
    }
    ASSERT_NE(first, nullptr);
    const auto& p = first->placement;
    char model[16];
    std::snprintf(model, sizeof model, "0x%08X", p.obj_id);
    const std::string title = title_of(elements, markers.front());
    for (const std::string& part : std::vector<std::string>{"model " + std::string(model), "x " + svg::number(p.x) + ", y " + svg::number(p.y),
          "landblock " + scenery_bake_determinism::landblock_hex(first_landblock), "height " + svg::number(p.z),
          "scale " + svg::number(p.scale, 3),
          "vertex (" + std::to_string(p.source_cell_x) + ", " + std::to_string(p.source_cell_y) + "), object " +
              std::to_string(p.source_obj_idx)}) {
        EXPECT_NE(title.find(part), std::string::npos) << part << " in " << title;
    }

    // Every landblock has its border and id; the two without terrain say so.
    EXPECT_EQ(with_class(elements, "lb-border").size(), 169U + 1U);  // and the legend's sample
    EXPECT_EQ(with_class(elements, "no-terrain").size(), 2U);
    EXPECT_EQ(with_class(elements, "no-terrain-label").size(), 2U);
    std::size_t labels = 0;
    for (const auto* label : with_class(elements, "lb-label")) labels += label->text.size() == 4 ? 1 : 0;
    EXPECT_EQ(labels, 169U);
}

TEST(SceneryMap, DropsAreDrawnByReasonWithoutChangingThePlacements) {
    const auto world = open_demo();
    const auto square = scenery_bake_tool::landblock_rectangle(0xA8B3, 0xAAB5);
    const MapData plain = collect_map(world, square, false);
    const MapData with_drops = collect_map(world, square, true);

    std::size_t placed = 0;
    std::map<std::string, std::size_t> drops;
    ASSERT_EQ(plain.landblocks.size(), with_drops.landblocks.size());
    for (std::size_t i = 0; i < plain.landblocks.size(); ++i) {
        const auto& a = plain.landblocks[i];
        const auto& b = with_drops.landblocks[i];
        ASSERT_EQ(a.placed.size(), b.placed.size());
        for (std::size_t j = 0; j < a.placed.size(); ++j) {
            EXPECT_EQ(a.placed[j].object.placement, b.placed[j].object.placement);
        }
        EXPECT_TRUE(a.dropped.empty());
        placed += b.placed.size();
        for (const auto& object : b.dropped) {
            EXPECT_NE(object.object.fate, ObjectFate::placed);
            ++drops["drop drop-" + std::string(palette::fate_slug(object.object.fate))];
        }
    }

    const auto elements = parsed(render_svg(with_drops, "A8B3-AAB5"));
    EXPECT_EQ(with_class(elements, "placement").size(), placed);
    std::map<std::string, std::size_t> drawn;
    for (const auto* element : with_class(elements, "drop")) {
        if (element->parent != static_cast<std::size_t>(-1) &&
            elements[element->parent].attributes.count("class") != 0 &&
            elements[element->parent].attributes.at("class") == "drops") {
            ++drawn[element->attributes.at("class")];
            EXPECT_NE(title_of(elements, element).find("dropped: "), std::string::npos);
        }
    }
    EXPECT_EQ(drawn, drops);
    EXPECT_GE(drops.size(), 5U) << "several reasons occur in these nine landblocks";
}

TEST(SceneryMap, TerrainTrianglesFollowTheHeightModelsSplit) {
    // A cell whose far corner alone is raised: at its centre the triangle
    // model gives half the corner's height when the diagonal rises from
    // (X0, Y0) to (X1, Y1), and zero otherwise.
    std::size_t rising = 0;
    for (const std::uint16_t landblock : {std::uint16_t{0xA9B4}, std::uint16_t{0x0000}, std::uint16_t{0xFFFF}}) {
        for (unsigned cx = 0; cx < 8; ++cx) {
            for (unsigned cy = 0; cy < 8; ++cy) {
                quillmere_scenery_bake::height::HeightGrid grid{};
                grid[(cx + 1) * 9 + cy + 1] = 10.0F;
                const float centre = quillmere_scenery_bake::height::triangle_plane_height_from_grid(
                    grid, landblock, 24.0F * static_cast<float>(cx) + 12.0F, 24.0F * static_cast<float>(cy) + 12.0F);
                const bool split = cell_split_rising(landblock, cx, cy);
                EXPECT_EQ(centre, split ? 5.0F : 0.0F) << landblock << " " << cx << " " << cy;
                rising += split ? 1 : 0;
            }
        }
    }
    EXPECT_GT(rising, 0U);
    EXPECT_LT(rising, 3U * 64U);
}

TEST(SceneryMap, TextIsEscapedAndNumbersAreShort) {
    EXPECT_EQ(svg::escaped("a<b & \"c\" 'd'>"), "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;");
    struct Case {
        double value;
        int decimals;
        const char* text;
    };
    const std::vector<Case> cases = {
        {12.5, 2, "12.5"},  {192.0, 2, "192"}, {-0.25, 2, "-0.25"},      {-0.001, 2, "0"},
        {1.0 / 3, 3, "0.333"}, {1e300, 2, "1000000000"}, {std::nan(""), 2, "0"}, {-1e300, 1, "-1000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(svg::number(c.value, c.decimals), c.text) << c.value;
}

TEST(SceneryMap, RefusesMapsTooLargeToView) {
    const fs::path out = test_world::scratch() / "too-large.svg";
    MapRequest request{{test_world::demo().portal, test_world::demo().cell},
                       scenery_bake_tool::LandblockRectangle{0x0000, 0x2020}, "0000-2020", false, out};
    const auto result = run_map(request, {});
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().message(),
              "too many landblocks for one map: 0000-2020 spans 1089, at most 1024 (32 \u00D7 32) fit");
    EXPECT_FALSE(fs::exists(out));
}

TEST(XmlCheck, RejectsWhatABrowsersParserRejects) {
    EXPECT_TRUE(xml_check::parse("<?xml version=\"1.0\"?>\n<svg a=\"1\" b='&amp;'><g><title>x &lt; y</title></g><rect/></svg>\n")
                    .has_value());
    for (const char* bad : {
             "<svg><g></svg>",                  // unclosed
             "<svg><g></h></svg>",              // mismatched
             "<svg>a & b</svg>",                // bare ampersand
             "<svg>&nbsp;</svg>",               // entity XML does not define
             "<svg a=\"<\"/>",                  // '<' in an attribute
             "<svg a=\"1\" a=\"2\"/>",          // repeated attribute
             "<svg a=1/>",                      // unquoted
             "<svg/><svg/>",                    // two roots
             "<svg a=\"1\"b=\"2\"/>",           // attributes run together
         }) {
        EXPECT_FALSE(xml_check::parse(bad).has_value()) << bad;
    }
}
