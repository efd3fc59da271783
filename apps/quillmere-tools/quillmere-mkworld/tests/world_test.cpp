#include "profiles.hpp"
#include "world_shape.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/file_type/gfx_obj.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/file_type/setup_model.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/dat/landblock/landblock_info.hpp>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;
using quillmere_dat::DatDatabase;
using quillmere_mkworld::Profile;

namespace {

// Decodes `bytes` as `Record` and packs it again: a file the builder made
// must decode and come back byte for byte.
template <typename Record>
testing::AssertionResult round_trips(const std::vector<std::uint8_t>& bytes) {
    quillmere_dat::utils::ByteReader reader(bytes);
    auto record = Record::unpack(reader);
    if (!record) return testing::AssertionFailure() << record.error().display();
    quillmere_dat::utils::ByteWriter writer;
    record->pack(writer);
    if (writer.bytes() != bytes) return testing::AssertionFailure() << "packs to different bytes";
    return testing::AssertionSuccess();
}

template <typename Record>
bool decodes(const std::vector<std::uint8_t>& bytes) {
    quillmere_dat::utils::ByteReader reader(bytes);
    return Record::unpack(reader).has_value();
}

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("world-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path write(Profile profile, std::uint64_t seed, const std::string& name) {
        const fs::path folder = dir_ / name;
        fs::create_directories(folder);
        EXPECT_TRUE(quillmere_mkworld::build_world(profile, seed).write(folder).has_value());
        return folder;
    }

    fs::path dir_;
};

// Every file of both archives decodes with its record's decoder, except the
// files the world damages on purpose, which must not.
void expect_world_decodes(const fs::path& folder, bool with_faults) {
    namespace ids = quillmere_mkworld::ids;
    const std::set<std::uint32_t> damaged = {ids::truncated_scene, ids::terrain_file(0xA7B2), ids::objects_file(0xA8B3)};

    auto portal = DatDatabase::open(folder / quillmere_mkworld::portal_file_name);
    ASSERT_TRUE(portal.has_value()) << portal.error().display();
    for (const std::uint32_t id : portal->file_ids()) {
        const auto bytes = portal->get_file(id);
        ASSERT_TRUE(bytes.has_value()) << bytes.error().display();
        if (with_faults && damaged.contains(id)) {
            EXPECT_FALSE(decodes<quillmere_dat::file_type::scene::Scene>(*bytes)) << std::hex << id;
            continue;
        }
        switch (id >> 24) {
            case 0x13: EXPECT_TRUE(round_trips<quillmere_dat::file_type::region::Region>(*bytes)); break;
            case 0x12: EXPECT_TRUE(round_trips<quillmere_dat::file_type::scene::Scene>(*bytes)) << std::hex << id; break;
            case 0x01: EXPECT_TRUE(round_trips<quillmere_dat::file_type::gfx_obj::GfxObj>(*bytes)) << std::hex << id; break;
            case 0x02:
                EXPECT_TRUE(round_trips<quillmere_dat::file_type::setup_model::SetupModel>(*bytes)) << std::hex << id;
                break;
            default: ADD_FAILURE() << "unexpected portal file " << std::hex << id;
        }
    }

    auto cell = DatDatabase::open(folder / quillmere_mkworld::cell_file_name);
    ASSERT_TRUE(cell.has_value()) << cell.error().display();
    for (const std::uint32_t id : cell->file_ids()) {
        const auto bytes = cell->get_file(id);
        ASSERT_TRUE(bytes.has_value()) << bytes.error().display();
        const bool terrain = (id & 0xFFFF) == 0xFFFF;
        if (with_faults && damaged.contains(id)) {
            EXPECT_FALSE(terrain ? decodes<quillmere_dat::landblock::CellLandblock>(*bytes)
                                 : decodes<quillmere_dat::landblock::LandblockInfo>(*bytes))
                << std::hex << id;
        } else if (terrain) {
            EXPECT_TRUE(round_trips<quillmere_dat::landblock::CellLandblock>(*bytes)) << std::hex << id;
        } else {
            ASSERT_EQ(id & 0xFFFF, 0xFFFEU);
            EXPECT_TRUE(round_trips<quillmere_dat::landblock::LandblockInfo>(*bytes)) << std::hex << id;
        }
    }
}

}  // namespace

TEST_F(WorldTest, DemoWorldDecodesCompletelyAndHoldsItsFaults) {
    const fs::path folder = write(Profile::demo, 1, "demo");
    expect_world_decodes(folder, true);

    auto portal = DatDatabase::open(folder / quillmere_mkworld::portal_file_name);
    auto cell = DatDatabase::open(folder / quillmere_mkworld::cell_file_name);
    ASSERT_TRUE(portal && cell);
    namespace ids = quillmere_mkworld::ids;
    EXPECT_EQ(portal->find_entry(ids::missing_scene), nullptr);
    EXPECT_EQ(portal->find_entry(ids::missing_model), nullptr);
    EXPECT_EQ(cell->find_entry(ids::terrain_file(0xA5B0)), nullptr);
    // Some files are stored compressed, and the directories have internal nodes.
    ASSERT_NE(portal->find_entry(ids::region), nullptr);
    EXPECT_EQ(portal->find_entry(ids::region)->bit_flags & 1U, 1U);
    EXPECT_GT(cell->file_count(), 61U * 2);
    std::size_t without_objects = 0;
    for (unsigned x = 0xA3; x <= 0xAF; ++x) {
        for (unsigned y = 0xAE; y <= 0xBA; ++y) {
            without_objects += cell->find_entry(ids::objects_file(static_cast<std::uint16_t>(x << 8 | y))) == nullptr;
        }
    }
    EXPECT_GT(without_objects, 0U);
}

TEST_F(WorldTest, MinimalWorldDecodesCompletely) { expect_world_decodes(write(Profile::minimal, 1, "minimal"), false); }

TEST_F(WorldTest, SameSeedSameBytesOtherSeedOtherWorld) {
    const fs::path a = write(Profile::demo, 42, "a");
    const fs::path b = write(Profile::demo, 42, "b");
    const fs::path c = write(Profile::demo, 43, "c");
    for (const char* name : {quillmere_mkworld::portal_file_name, quillmere_mkworld::cell_file_name}) {
        const auto read = [&](const fs::path& folder) {
            auto db = DatDatabase::open(folder / name);
            std::vector<std::vector<std::uint8_t>> files;
            for (const auto id : db->file_ids()) files.push_back(*db->get_file(id));
            return files;
        };
        EXPECT_EQ(fs::file_size(a / name), fs::file_size(b / name));
        EXPECT_EQ(read(a), read(b));
        EXPECT_NE(read(a), read(c));
    }
}
