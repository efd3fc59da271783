// decompress_lrs throughput, in bytes of output per second: on every
// compressed file of the large world, and on data that does not compress at
// all and data that compresses as far as the format allows.

#include "bench_data.hpp"
#include "bench_main.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/utils/lrs.hpp>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using quillmere_dat::DatDatabase;
using Bytes = std::vector<std::uint8_t>;

// The stored (compressed) bytes of every file flagged compressed.
std::vector<Bytes> compressed_files(const std::filesystem::path& path) {
    auto database = DatDatabase::open(path);
    if (!database) quillmere_bench::setup_failure(database.error().display());
    std::vector<Bytes> stored;
    for (const std::uint32_t id : database->file_ids()) {
        const quillmere_dat::DatFileEntry& entry = *database->find_entry(id);
        if (!entry.is_compressed()) continue;
        auto bytes = database->read_file_data(entry.offset, entry.size);
        if (!bytes) quillmere_bench::setup_failure(bytes.error().display());
        stored.push_back(std::move(*bytes));
    }
    return stored;
}

void decompress_all(benchmark::State& state, const std::vector<Bytes>& stored) {
    std::size_t output = 0;
    std::size_t input = 0;
    for (const Bytes& file : stored) {
        output += quillmere_dat::utils::decompress_lrs(file).size();
        input += file.size();
    }
    for (auto _ : state) {
        for (const Bytes& file : stored) {
            auto bytes = quillmere_dat::utils::decompress_lrs(file);
            benchmark::DoNotOptimize(bytes.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(output));
    state.counters["files"] = static_cast<double>(stored.size());
    state.counters["output_bytes"] = static_cast<double>(output);
    state.counters["ratio"] = static_cast<double>(output) / static_cast<double>(input);
}

// 4 MiB of generated data, compressed once.
Bytes generated(int kind) {
    constexpr std::size_t size = 4 << 20;
    Bytes data(size);
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (std::size_t i = 0; i < size; ++i) {
        switch (kind) {
            case 0:  // random bytes: every token a literal
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                data[i] = static_cast<std::uint8_t>(state >> 32);
                break;
            case 1:  // one byte repeated: back-references of distance 1
                data[i] = 0x41;
                break;
            default:  // a 7-byte pattern: back-references shorter than a word apart
                data[i] = static_cast<std::uint8_t>("PATTERN"[i % 7]);
                break;
        }
    }
    return quillmere_dat::utils::compress_lrs(data);
}

void register_all() {
    const auto in_mb = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); };
    in_mb(benchmark::RegisterBenchmark("DecompressLrs/large_world_files", [](benchmark::State& s) {
        static const std::vector<Bytes> stored = [] {
            const auto world = quillmere_bench::large_world();
            auto files = compressed_files(world.portal);
            auto cell = compressed_files(world.cell);
            files.insert(files.end(), std::make_move_iterator(cell.begin()), std::make_move_iterator(cell.end()));
            return files;
        }();
        decompress_all(s, stored);
    }));
    const char* names[] = {"DecompressLrs/incompressible", "DecompressLrs/one_byte_repeated",
                           "DecompressLrs/seven_byte_pattern"};
    for (int kind = 0; kind < 3; ++kind) {
        in_mb(benchmark::RegisterBenchmark(names[kind], [kind](benchmark::State& s) {
            const std::vector<Bytes> stored{generated(kind)};
            decompress_all(s, stored);
        }));
    }
}

}  // namespace

int main(int argc, char** argv) { return quillmere_bench::run_benchmarks(argc, argv, register_all); }
