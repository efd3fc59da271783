// GfxObj::unpack on any bytes: meshes with their polygon sets and BSP trees.

#include "fuzz_checks.hpp"

#include <quillmere/dat/file_type/gfx_obj.hpp>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillmere_dat::file_type::gfx_obj::GfxObj;
    quillmere_fuzz::decode_and_check<GfxObj>(quillmere_fuzz::input_span(data, size),
                                             quillmere_fuzz::FailurePosition::anywhere);
    return 0;
}
