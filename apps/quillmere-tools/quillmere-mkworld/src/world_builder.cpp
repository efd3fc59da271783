#include "world_builder.hpp"

#include <quillmere/common/try.hpp>

namespace quillmere_mkworld {

std::expected<void, quillmere_dat::error::DatError> WorldBuilder::write(const std::filesystem::path& directory) const {
    QM_TRY_VOID(portal_.write(directory / portal_file_name));
    QM_TRY_VOID(cell_.write(directory / cell_file_name));
    return {};
}

}  // namespace quillmere_mkworld
