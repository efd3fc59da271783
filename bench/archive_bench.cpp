// Archive access against its I/O floor: opening (the directory walk into the
// id index) and get_file over every file, each beside a bare loop of the
// positioned reads that cannot be avoided.

#include "bench_data.hpp"
#include "bench_main.hpp"
#include "block_plan.hpp"
#include "heap_meter.hpp"
#include "paired.hpp"

#include <quillmere/dat/dat_database.hpp>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <string>

namespace {

using quillmere_bench::BlockRead;
using quillmere_bench::RawArchive;
using quillmere_dat::DatDatabase;
using quillmere_dat::DatHeader;

DatDatabase open_or_stop(const std::filesystem::path& path) {
    auto database = DatDatabase::open(path);
    if (!database) quillmere_bench::setup_failure(database.error().display());
    return std::move(*database);
}

// DatDatabase::open against: open the file, read the header, read every
// block of every directory node, close. Nothing parsed, nothing stored.
void open_archive(benchmark::State& state, const std::filesystem::path& path) {
    const RawArchive::Directory directory = RawArchive(path).directory();
    std::vector<std::uint8_t> scratch(std::max<std::uint32_t>(quillmere_bench::longest(directory.reads),
                                                              DatHeader::packed_size));
    const std::array<BlockRead, 1> header_read{{{DatHeader::offset, DatHeader::packed_size}}};

    // The index's size once open, and the most the opening needs on the way.
    std::optional<DatDatabase> kept;
    const auto heap = quillmere_bench::measure_heap([&] { kept.emplace(open_or_stop(path)); });
    const double entries = static_cast<double>(kept->file_count());
    kept.reset();

    const auto times = quillmere_bench::run_paired(
        state,
        [&] {
            auto database = DatDatabase::open(path);
            if (!database) quillmere_bench::setup_failure(database.error().display());
            benchmark::DoNotOptimize(database->file_count());
        },
        [&] {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) quillmere_bench::setup_failure("cannot open " + path.string());
            benchmark::DoNotOptimize(quillmere_bench::perform_reads(fd, header_read, scratch));
            benchmark::DoNotOptimize(quillmere_bench::perform_reads(fd, directory.reads, scratch));
            ::close(fd);
        });
    state.counters["entries"] = entries;
    state.counters["node_reads"] = static_cast<double>(directory.reads.size());
    state.counters["entries_per_s"] = entries * times.iterations / times.measured_seconds;
    state.counters["bytes_per_entry"] = static_cast<double>(heap.retained) / entries;
    state.counters["peak_bytes_per_entry"] = static_cast<double>(heap.peak) / entries;
}

// get_file of every file, in id order, against the reads of every block of
// the same chains into one scratch buffer. Compressed files are decompressed
// by get_file; the floor does not decompress.
void get_every_file(benchmark::State& state, const std::filesystem::path& path) {
    const DatDatabase database = open_or_stop(path);
    const RawArchive raw(path);
    const std::vector<std::uint32_t> ids = database.file_ids();
    std::vector<BlockRead> reads;
    double stored = 0.0;
    double compressed = 0.0;
    for (const std::uint32_t id : ids) {
        const quillmere_dat::DatFileEntry& entry = *database.find_entry(id);
        const auto chain = raw.chain_reads(entry.offset, entry.size);
        reads.insert(reads.end(), chain.begin(), chain.end());
        stored += entry.size;
        if (entry.is_compressed()) compressed += 1.0;
    }
    std::vector<std::uint8_t> scratch(quillmere_bench::longest(reads));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) quillmere_bench::setup_failure("cannot open " + path.string());

    double delivered = 0.0;
    const auto times = quillmere_bench::run_paired(
        state,
        [&] {
            std::size_t bytes = 0;
            for (const std::uint32_t id : ids) {
                auto file = database.get_file(id);
                if (!file) quillmere_bench::setup_failure(file.error().display());
                benchmark::DoNotOptimize(file->data());
                bytes += file->size();
            }
            delivered = static_cast<double>(bytes);
        },
        [&] { benchmark::DoNotOptimize(quillmere_bench::perform_reads(fd, reads, scratch)); });
    ::close(fd);
    const double files = static_cast<double>(ids.size());
    state.counters["files"] = files;
    state.counters["compressed_files"] = compressed;
    state.counters["block_reads"] = static_cast<double>(reads.size());
    state.counters["files_per_s"] = files * times.iterations / times.measured_seconds;
    state.counters["stored_MB_per_s"] = stored * times.iterations / times.measured_seconds / 1e6;
    state.counters["delivered_MB"] = delivered / 1e6;
}

// The same, with read_file_data alone: the stored bytes, no decompression.
void read_every_file(benchmark::State& state, const std::filesystem::path& path) {
    const DatDatabase database = open_or_stop(path);
    const RawArchive raw(path);
    std::vector<const quillmere_dat::DatFileEntry*> entries;
    std::vector<BlockRead> reads;
    for (const std::uint32_t id : database.file_ids()) {
        const quillmere_dat::DatFileEntry* entry = database.find_entry(id);
        entries.push_back(entry);
        const auto chain = raw.chain_reads(entry->offset, entry->size);
        reads.insert(reads.end(), chain.begin(), chain.end());
    }
    std::vector<std::uint8_t> scratch(quillmere_bench::longest(reads));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) quillmere_bench::setup_failure("cannot open " + path.string());
    const auto times = quillmere_bench::run_paired(
        state,
        [&] {
            for (const quillmere_dat::DatFileEntry* entry : entries) {
                auto bytes = database.read_file_data(entry->offset, entry->size);
                if (!bytes) quillmere_bench::setup_failure(bytes.error().display());
                benchmark::DoNotOptimize(bytes->data());
            }
        },
        [&] { benchmark::DoNotOptimize(quillmere_bench::perform_reads(fd, reads, scratch)); });
    ::close(fd);
    state.counters["files_per_s"] = static_cast<double>(entries.size()) * times.iterations / times.measured_seconds;
}

void register_all() {
    using quillmere_bench::large_world;
    using quillmere_bench::million_file_archive;
    const auto manual = [](benchmark::internal::Benchmark* b) {
        return b->UseManualTime()->Unit(benchmark::kMillisecond);
    };
    manual(benchmark::RegisterBenchmark("Open/large_cell", [](benchmark::State& s) {
        open_archive(s, large_world().cell);
    }));
    manual(benchmark::RegisterBenchmark("Open/large_portal", [](benchmark::State& s) {
        open_archive(s, large_world().portal);
    }));
    manual(benchmark::RegisterBenchmark("Open/million_files", [](benchmark::State& s) {
        open_archive(s, million_file_archive());
    }));
    // A pass over every file of the cell archive takes about a second: ten
    // pairs keep the median ratio steady.
    manual(benchmark::RegisterBenchmark("GetFile/large_cell", [](benchmark::State& s) {
        get_every_file(s, large_world().cell);
    }))->Iterations(10);
    manual(benchmark::RegisterBenchmark("GetFile/large_portal", [](benchmark::State& s) {
        get_every_file(s, large_world().portal);
    }));
    manual(benchmark::RegisterBenchmark("ReadFileData/large_cell", [](benchmark::State& s) {
        read_every_file(s, large_world().cell);
    }))->Iterations(10);
    manual(benchmark::RegisterBenchmark("ReadFileData/large_portal", [](benchmark::State& s) {
        read_every_file(s, large_world().portal);
    }));
}

}  // namespace

int main(int argc, char** argv) { return quillmere_bench::run_benchmarks(argc, argv, register_all); }
