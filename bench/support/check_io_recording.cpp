#include "check_io_recording.hpp"

#include "block_plan.hpp"

#include <bake_ring.hpp>
#include <open_world.hpp>
#include <run_result.hpp>
#include <write_lines.hpp>

#include <quillmere/dat/dat_database.hpp>

#include <array>
#include <utility>

namespace quillmere_bench {

namespace {

using quillmere_dat::DatDatabase;

struct Fetch {
    std::uint32_t archive;
    std::uint32_t id;
};

// An archive that notes every file id asked of it.
class RecordingArchive final : public quillmere_dat::FileSource {
public:
    RecordingArchive(const DatDatabase& database, std::uint32_t archive, std::vector<Fetch>& log)
        : database_(database), archive_(archive), log_(log) {}

    std::expected<std::vector<std::uint8_t>, quillmere_dat::error::DatError> get_file(
        std::uint32_t id) const override {
        log_.push_back({archive_, id});
        return database_.get_file(id);
    }

private:
    const DatDatabase& database_;
    std::uint32_t archive_;
    std::vector<Fetch>& log_;
};

DatDatabase open_or_stop(const std::filesystem::path& path) {
    auto database = DatDatabase::open(path);
    if (!database) setup_failure(database.error().display());
    return std::move(*database);
}

void add_reads(CheckIoPlan& plan, std::uint32_t archive, const std::vector<BlockRead>& reads) {
    for (const BlockRead& read : reads) plan.reads.push_back({archive, read.length, read.offset});
}

}  // namespace

CheckIoPlan record_check_io(const WorldPaths& world) {
    namespace check = scenery_bake_determinism;
    CheckIoPlan plan;
    plan.portal = world.portal.string();
    plan.cell = world.cell.string();
    const std::array<RawArchive, 2> raw{RawArchive(world.portal), RawArchive(world.cell)};
    const std::array<DatDatabase, 2> databases{open_or_stop(world.portal), open_or_stop(world.cell)};

    // Opening: each header, then each directory.
    for (std::uint32_t archive = 0; archive < 2; ++archive) {
        plan.reads.push_back({archive, quillmere_dat::DatHeader::packed_size, quillmere_dat::DatHeader::offset});
        add_reads(plan, archive, raw[archive].directory().reads);
    }

    // The region, then both runs, each through its own fresh caches.
    std::vector<Fetch> fetched{{0, check::region_file_id}};
    const auto region = check::read_region(databases[0]);
    if (!region) setup_failure(region.error().report());
    const RecordingArchive portal(databases[0], 0, fetched);
    const RecordingArchive cell(databases[1], 1, fetched);
    const auto landblocks = check::landblock_square();
    const std::array<check::RunResult, 2> runs{check::bake_ring_to_lines(*region, portal, cell, landblocks),
                                               check::bake_ring_to_lines(*region, portal, cell, landblocks)};
    for (const Fetch& fetch : fetched) {
        const quillmere_dat::DatFileEntry* entry = databases[fetch.archive].find_entry(fetch.id);
        if (entry == nullptr) continue;  // a lookup, no I/O
        add_reads(plan, fetch.archive, raw[fetch.archive].chain_reads(entry->offset, entry->size));
    }

    // The run folders, then every landblock file of run 1, then of run 2.
    plan.directories = {"run1", "run2"};
    for (std::size_t run = 0; run < 2; ++run) {
        for (const auto& entry : runs[run]) {
            std::uint64_t size = 0;
            for (const auto& line : entry.lines) size += line.size() + 1;
            plan.writes.push_back({plan.directories[run] + "/" + check::landblock_file_name(entry.landblock), size});
        }
    }
    return plan;
}

}  // namespace quillmere_bench
