// CellLandblock::unpack on any bytes: a landblock's terrain words and height codes.

#include "fuzz_checks.hpp"

#include <quillmere/dat/landblock/cell_landblock.hpp>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillmere_dat::landblock::CellLandblock;
    quillmere_fuzz::decode_and_check<CellLandblock>(quillmere_fuzz::input_span(data, size),
                                                    quillmere_fuzz::FailurePosition::at_start);
    return 0;
}
