// The determinism check end to end on the large world, as a whole process,
// beside its I/O floor as a whole process (quillmere-bench-check-floor
// replaying the reads and writes the check cannot avoid). Setup writes the
// floor's plan to <data>/check-floor-<world>.plan.

#include "bench_data.hpp"
#include "bench_main.hpp"
#include "check_io_plan.hpp"
#include "check_io_recording.hpp"
#include "paired.hpp"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

#ifndef QUILLMERE_CHECK_EXE
#error "QUILLMERE_CHECK_EXE must name the check's executable"
#endif
#ifndef QUILLMERE_CHECK_FLOOR_EXE
#error "QUILLMERE_CHECK_FLOOR_EXE must name the floor program"
#endif

namespace {

// Runs a program to its end with its output thrown away; its exit status.
int run_process(const std::vector<std::string>& arguments, const std::vector<std::string>& extra_environment) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& variable : extra_environment) envp.push_back(const_cast<char*>(variable.c_str()));
    for (char** variable = environ; *variable != nullptr; ++variable) envp.push_back(*variable);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) quillmere_bench::setup_failure(std::string("cannot start ") + argv[0] + ": " + std::strerror(spawned));
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) quillmere_bench::setup_failure("waitpid failed");
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void check_end_to_end(benchmark::State& state, const quillmere_bench::WorldPaths& world, const std::string& name) {
    const std::filesystem::path data = quillmere_bench::data_directory();
    const std::filesystem::path plan_path = data / ("check-floor-" + name + ".plan");
    const quillmere_bench::CheckIoPlan plan = quillmere_bench::record_check_io(world);
    if (!quillmere_bench::save_plan(plan, plan_path)) quillmere_bench::setup_failure("cannot write " + plan_path.string());

    const std::vector<std::string> check{QUILLMERE_CHECK_EXE};
    const std::vector<std::string> environment{"QUILLMERE_PORTAL_DAT=" + world.portal.string(),
                                               "QUILLMERE_CELL_DAT=" + world.cell.string(),
                                               "QUILLMERE_DETERMINISM_OUT=" + (data / "check-out").string()};
    const std::vector<std::string> floor{QUILLMERE_CHECK_FLOOR_EXE, plan_path.string(), (data / "floor-out").string()};
    if (run_process(check, environment) != 0) quillmere_bench::setup_failure("the check does not pass on this world");
    if (run_process(floor, {}) != 0) quillmere_bench::setup_failure("the floor program failed");

    quillmere_bench::run_paired(
        state, [&] { benchmark::DoNotOptimize(run_process(check, environment)); },
        [&] { benchmark::DoNotOptimize(run_process(floor, {})); });
    std::uint64_t read_bytes = 0;
    for (const auto& read : plan.reads) read_bytes += read.length;
    std::uint64_t written = 0;
    for (const auto& write : plan.writes) written += write.size;
    state.counters["reads"] = static_cast<double>(plan.reads.size());
    state.counters["read_MB"] = static_cast<double>(read_bytes) / 1e6;
    state.counters["files_written"] = static_cast<double>(plan.writes.size());
    state.counters["written_MB"] = static_cast<double>(written) / 1e6;
}

void register_all() {
    benchmark::RegisterBenchmark("Check/large_world", [](benchmark::State& s) {
        check_end_to_end(s, quillmere_bench::large_world(), "large");
    })->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
    benchmark::RegisterBenchmark("Check/demo_world", [](benchmark::State& s) {
        check_end_to_end(s, quillmere_bench::demo_world(), "demo");
    })->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
}

}  // namespace

int main(int argc, char** argv) { return quillmere_bench::run_benchmarks(argc, argv, register_all); }
