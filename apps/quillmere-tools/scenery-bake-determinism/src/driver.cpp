#include "driver.hpp"

#include "archive_locator.hpp"
#include "bake_ring.hpp"
#include "compare_runs.hpp"
#include "open_world.hpp"
#include "write_lines.hpp"

#include <quillmere/common/try.hpp>
#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/file_type/region.hpp>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace scenery_bake_determinism {

namespace {

constexpr const char* default_output_root = "/mnt/dunmarrow1/tmp/velkin-scratch/scenery-bake/b4/determinism";

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::optional<std::filesystem::path> as_path(const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    return std::filesystem::path(*value);
}

// A failure is the file system's error alone, without context.
std::expected<void, ToolError> create_run_directory(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) return std::unexpected(ToolError(quillmere_dat::error::IoError::from_errno(error.value()).display()));
    return {};
}

std::expected<void, ToolError> write_run(const std::filesystem::path& directory, const RunResult& run) {
    for (const auto& entry : run) QM_TRY_VOID(write_lines(directory, entry.landblock, entry.lines));
    return {};
}

}  // namespace

Environment Environment::from_process() {
    return Environment{
        variable("QUILLMERE_PORTAL_DAT"),
        variable("QUILLMERE_CELL_DAT"),
        variable("QUILLMERE_DETERMINISM_OUT"),
    };
}

std::expected<void, ToolError> run(const Environment& environment, std::ostream& log) {
    const auto portal_path = QM_TRY(locate_archive(
        {"client_portal.dat", as_path(environment.portal_dat), portal_fixed_paths()}));
    const auto cell_path = QM_TRY(
        locate_archive({"client_cell_1.dat", as_path(environment.cell_dat), cell_fixed_paths()}));
    log << "scenery-bake-determinism: portal=" << portal_path.string() << " cell=" << cell_path.string() << "\n";

    const auto portal = QM_TRY(open_archive(portal_path, "open portal"));
    const auto cell = QM_TRY(open_archive(cell_path, "open cell"));
    const auto region = QM_TRY(read_region(portal));

    const auto landblocks = landblock_square();
    const auto announce = [&](int run_number) {
        log << "scenery-bake-determinism: baking 13\u00D713 = " << landblocks.size() << " LBs (run " << run_number
            << ")\n";
    };
    announce(1);
    const RunResult run1 = bake_ring_to_lines(region, portal, cell, landblocks);
    announce(2);
    const RunResult run2 = bake_ring_to_lines(region, portal, cell, landblocks);

    const std::filesystem::path output_root =
        environment.determinism_out ? std::filesystem::path(*environment.determinism_out) : default_output_root;
    QM_TRY_VOID(create_run_directory(output_root / "run1"));
    QM_TRY_VOID(create_run_directory(output_root / "run2"));
    QM_TRY_VOID(write_run(output_root / "run1", run1));
    QM_TRY_VOID(write_run(output_root / "run2", run2));

    return compare_runs(run1, run2, log);
}

}  // namespace scenery_bake_determinism
