// quillmere-fuzz-seeds OUT_DIR: writes the fuzz targets' starting corpora,
// one folder per target, from the generated demo world (seed 1):
//
//   region, scene, gfx_obj, setup_model,      every file of that kind, as
//   cell_landblock, landblock_info            get_file returns it
//   lrs                                       the stored bytes of every
//                                             compressed file
//   bsp_node                                  every tree of every graphics
//                                             object, also as the other kinds,
//                                             and trees at the depth limit
//   baker                                     region + terrain + scene streams
//   archive                                   small whole archives: the
//                                             minimal world's, and archives of
//                                             a few demo files with small
//                                             blocks and deeper directories
//
// The corpora are made in the build, never kept in the repository; the same
// world always gives the same files.

#include "profiles.hpp"
#include "world_shape.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/dat_writer.hpp>
#include <quillmere/dat/file_type/gfx_obj.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace ids = quillmere_mkworld::ids;
using quillmere_dat::DatDatabase;
using quillmere_dat::DatWriter;
using quillmere_dat::physics::BspTreeKind;
using Bytes = std::vector<std::uint8_t>;

std::string hex(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

class Corpora {
public:
    explicit Corpora(fs::path root) : root_(std::move(root)) {}

    bool add(const std::string& target, const std::string& name, const Bytes& bytes) {
        const fs::path folder = root_ / target;
        fs::create_directories(folder);
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "quillmere-fuzz-seeds: cannot write %s\n", (folder / name).c_str());
            return false;
        }
        ++counts_[target];
        return true;
    }

    void report() const {
        for (const auto& [target, count] : counts_) {
            std::fprintf(stderr, "quillmere-fuzz-seeds: %-15s %zu inputs\n", target.c_str(), count);
        }
    }

private:
    fs::path root_;
    std::map<std::string, std::size_t> counts_;
};

// The record kind a portal or cell file id names, as the target that reads it.
const char* target_of(std::uint32_t id, bool cell) {
    if (cell) {
        if ((id & 0xFFFFU) == 0xFFFFU) return "cell_landblock";
        if ((id & 0xFFFFU) == 0xFFFEU) return "landblock_info";
        return nullptr;
    }
    if (id == ids::region) return "region";
    switch (id >> 24) {
        case 0x01: return "gfx_obj";
        case 0x02: return "setup_model";
        case 0x12: return "scene";
        default: return nullptr;
    }
}

// Every file of one archive into its kind's corpus, and the stored bytes of
// compressed ones into the decompressor's.
bool add_archive_files(Corpora& corpora, const DatDatabase& archive, bool cell,
                       std::map<std::uint32_t, Bytes>& files) {
    for (const std::uint32_t id : archive.file_ids()) {
        auto bytes = archive.get_file(id);
        if (!bytes) {
            std::fprintf(stderr, "quillmere-fuzz-seeds: file %08X: %s\n", static_cast<unsigned>(id),
                         bytes.error().display().c_str());
            return false;
        }
        if (const char* target = target_of(id, cell); target != nullptr) {
            if (!corpora.add(target, hex(id), *bytes)) return false;
        }
        const auto* entry = archive.find_entry(id);
        if (entry != nullptr && entry->is_compressed()) {
            auto stored = archive.read_file_data(entry->offset, entry->size);
            if (!stored || !corpora.add("lrs", hex(id), *stored)) return false;
        }
        files.emplace(id, std::move(*bytes));
    }
    return true;
}

// Trees of the demo's graphics objects, each also read as the kinds it was
// not written for: a kind byte, then the tree as that kind packs it.
bool add_trees(Corpora& corpora, const std::map<std::uint32_t, Bytes>& portal_files) {
    using quillmere_dat::file_type::gfx_obj::GfxObj;
    for (const auto& [id, bytes] : portal_files) {
        if (id >> 24 != 0x01) continue;
        quillmere_dat::utils::ByteReader reader(bytes);
        auto object = GfxObj::unpack(reader);
        if (!object) continue;
        const std::pair<const char*, const std::optional<quillmere_dat::physics::BspNode>*> trees[] = {
            {"physics", &object->physics_bsp}, {"drawing", &object->drawing_bsp}};
        for (const auto& [name, tree] : trees) {
            if (!tree->has_value()) continue;
            for (const BspTreeKind kind : {BspTreeKind::drawing, BspTreeKind::physics, BspTreeKind::structural}) {
                quillmere_dat::utils::ByteWriter writer;
                writer.write_u8(static_cast<std::uint8_t>(kind));
                (*tree)->pack(writer, kind);
                const std::string seed = hex(id) + "-" + name + "-as-" + std::to_string(static_cast<int>(kind));
                if (!corpora.add("bsp_node", seed, writer.bytes())) return false;
            }
        }
    }
    return true;
}

// A tree of `depth` levels: splits with only a positive child down to one
// leaf, as deep as the reader accepts or one level deeper.
quillmere_dat::physics::BspNode chain_tree(std::size_t depth) {
    using namespace quillmere_dat::physics;
    BspNode root = BspLeaf{7, 0, std::nullopt, {}};
    for (std::size_t level = 1; level < depth; ++level) {
        InternalNode split;
        split.node_type = {'B', 'P', 'n', 'n'};
        split.plane = {{0.0F, 0.0F, 1.0F}, 0.0F};
        split.pos_child = std::make_unique<BspNode>(std::move(root));
        root = BspNode(std::move(split));
    }
    return root;
}

// Trees at the depth limit and past it, in every kind, and a graphics object
// whose drawing tree is at the limit.
bool add_deep_trees(Corpora& corpora) {
    using quillmere_dat::physics::max_bsp_depth;
    for (const std::size_t depth : {max_bsp_depth, max_bsp_depth + 1}) {
        const auto tree = chain_tree(depth);
        for (const BspTreeKind kind : {BspTreeKind::drawing, BspTreeKind::physics, BspTreeKind::structural}) {
            quillmere_dat::utils::ByteWriter writer;
            writer.write_u8(static_cast<std::uint8_t>(kind));
            tree.pack(writer, kind);
            const std::string seed = "depth-" + std::to_string(depth) + "-as-" + std::to_string(static_cast<int>(kind));
            if (!corpora.add("bsp_node", seed, writer.bytes())) return false;
        }
    }
    quillmere_dat::file_type::gfx_obj::GfxObj object;
    object.id = 0x0100DEE9;
    object.flags = quillmere_dat::file_type::gfx_obj::GfxObj::has_drawing;
    object.drawing_bsp = chain_tree(max_bsp_depth);
    quillmere_dat::utils::ByteWriter writer;
    object.pack(writer);
    return corpora.add("gfx_obj", "deep-drawing-tree", writer.bytes());
}

// Baker streams: the region, one landblock's terrain, one scene, the options
// byte and sometimes a building footprint. Landblocks of the check's square
// are paired with scenes in turn, with and without the slope filter.
bool add_baker_streams(Corpora& corpora, const std::map<std::uint32_t, Bytes>& portal_files,
                       const std::map<std::uint32_t, Bytes>& cell_files) {
    const auto region = portal_files.find(ids::region);
    if (region == portal_files.end()) return false;
    std::vector<const Bytes*> scenes;
    for (const auto& [id, bytes] : portal_files) {
        if (id >> 24 == 0x12) scenes.push_back(&bytes);
    }
    if (scenes.empty()) return false;

    constexpr int streams = 24;
    int made = 0;
    std::size_t scene = 0;
    for (const auto& [id, terrain] : cell_files) {
        if ((id & 0xFFFFU) != 0xFFFFU || terrain.size() < 251) continue;
        const std::uint32_t landblock = id >> 16;
        if ((landblock >> 8) < 0xA3 || (landblock >> 8) > 0xAF || (landblock & 0xFF) < 0xAE ||
            (landblock & 0xFF) > 0xBA || landblock % 7 != 0) {
            continue;
        }
        quillmere_dat::utils::ByteWriter stream;
        stream.write_bytes(region->second);
        stream.write_bytes(terrain);
        stream.write_bytes(*scenes[scene++ % scenes.size()]);
        stream.write_u8(static_cast<std::uint8_t>(made % 2));  // the slope filter on every other stream
        if (made % 3 == 0) {
            for (const float bound : {60.0F, 60.0F, 110.0F, 90.0F}) stream.write_f32(bound);
        }
        if (!corpora.add("baker", hex(id), stream.bytes())) return false;
        if (++made == streams) break;
    }
    return made > 0;
}

// Small whole archives: the minimal world's two, one without any file, and
// some of the demo's files with small blocks (long chains), compressed and
// not, and one with more files than a directory node holds.
bool add_archives(Corpora& corpora, const std::map<std::uint32_t, Bytes>& portal_files,
                  const std::map<std::uint32_t, Bytes>& cell_files) {
    const auto minimal = quillmere_mkworld::build_world(quillmere_mkworld::Profile::minimal, 1);
    if (!corpora.add("archive", "minimal-portal", minimal.portal().build())) return false;
    if (!corpora.add("archive", "minimal-cell", minimal.cell().build())) return false;
    if (!corpora.add("archive", "empty", DatWriter(64).build())) return false;

    const auto pick = [](const std::map<std::uint32_t, Bytes>& files, std::uint32_t top_byte, std::size_t count) {
        std::vector<std::pair<std::uint32_t, const Bytes*>> picked;
        for (const auto& [id, bytes] : files) {
            if (id >> 24 == top_byte && picked.size() < count) picked.emplace_back(id, &bytes);
        }
        return picked;
    };

    {  // a scene and two meshes, 64-byte blocks, one compressed
        DatWriter writer(64);
        bool compressed = false;
        for (const std::uint32_t top : {0x12U, 0x01U}) {
            for (const auto& [id, bytes] : pick(portal_files, top, top == 0x01 ? 2 : 1)) {
                writer.add_file(id, *bytes, compressed);
                compressed = !compressed;
            }
        }
        if (!corpora.add("archive", "scene-and-meshes-64", writer.build())) return false;
    }
    {  // a setup, compressed, in 16-byte blocks
        DatWriter writer(16);
        for (const auto& [id, bytes] : pick(portal_files, 0x02, 1)) writer.add_file(id, *bytes, true);
        if (!corpora.add("archive", "setup-16", writer.build())) return false;
    }
    {  // one landblock's two files, 32-byte blocks, the objects compressed
        DatWriter writer(32);
        for (const auto& [id, bytes] : cell_files) {
            if (id >> 16 != 0xA9B4) continue;
            writer.add_file(id, bytes, (id & 0xFFFFU) == 0xFFFEU);
        }
        if (!corpora.add("archive", "landblock-32", writer.build())) return false;
    }
    {  // 70 tiny files: a root with two children
        DatWriter writer(12);
        for (std::uint32_t i = 0; i < 70; ++i) {
            writer.add_file(0x0E000000U + i * 3, Bytes{static_cast<std::uint8_t>(i), 1, 2, 3, 4}, i % 5 == 0);
        }
        if (!corpora.add("archive", "seventy-files-12", writer.build())) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillmere-fuzz-seeds OUT_DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::error_code error;
    fs::remove_all(root, error);
    const fs::path world_dir = root / ".demo-world";
    fs::create_directories(world_dir, error);
    if (error) {
        std::fprintf(stderr, "quillmere-fuzz-seeds: cannot create %s: %s\n", world_dir.c_str(),
                     error.message().c_str());
        return 1;
    }

    const auto world = quillmere_mkworld::build_world(quillmere_mkworld::Profile::demo, 1);
    if (auto written = world.write(world_dir); !written) {
        std::fprintf(stderr, "quillmere-fuzz-seeds: %s\n", written.error().display().c_str());
        return 1;
    }
    auto portal = DatDatabase::open(world_dir / quillmere_mkworld::portal_file_name);
    auto cell = DatDatabase::open(world_dir / quillmere_mkworld::cell_file_name);
    if (!portal || !cell) {
        std::fprintf(stderr, "quillmere-fuzz-seeds: cannot open the demo world's archives\n");
        return 1;
    }

    Corpora corpora(root);
    std::map<std::uint32_t, Bytes> portal_files;
    std::map<std::uint32_t, Bytes> cell_files;
    const bool ok = add_archive_files(corpora, *portal, false, portal_files) &&
                    add_archive_files(corpora, *cell, true, cell_files) && add_trees(corpora, portal_files) &&
                    add_deep_trees(corpora) &&
                    add_baker_streams(corpora, portal_files, cell_files) &&
                    add_archives(corpora, portal_files, cell_files);
    fs::remove_all(world_dir, error);
    if (!ok) {
        std::fprintf(stderr, "quillmere-fuzz-seeds: failed\n");
        return 1;
    }
    corpora.report();
    return 0;
}
