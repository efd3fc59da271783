#include "driver.hpp"

#include "archive_locator.hpp"

#include <quillmere/common/try.hpp>

#include <cstdlib>

namespace scenery_bake_determinism {

namespace {

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::optional<std::filesystem::path> as_path(const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    return std::filesystem::path(*value);
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

    log << "scenery-bake-determinism: portal=" << portal_path.string()
        << " cell=" << cell_path.string() << "\n";

    return std::unexpected(ToolError("opening archives is not available in this build yet"));
}

}  // namespace scenery_bake_determinism
