// LandblockInfo::unpack on any bytes: a landblock's static objects, buildings and restriction table.

#include "fuzz_checks.hpp"

#include <quillmere/dat/landblock/landblock_info.hpp>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillmere_dat::landblock::LandblockInfo;
    quillmere_fuzz::decode_and_check<LandblockInfo>(quillmere_fuzz::input_span(data, size),
                                                    quillmere_fuzz::FailurePosition::at_start);
    return 0;
}
