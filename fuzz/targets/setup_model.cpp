// SetupModel::unpack on any bytes: multi-part models with keyed placements and their hooks.

#include "fuzz_checks.hpp"

#include <quillmere/dat/file_type/setup_model.hpp>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillmere_dat::file_type::setup_model::SetupModel;
    quillmere_fuzz::decode_and_check<SetupModel>(quillmere_fuzz::input_span(data, size),
                                                 quillmere_fuzz::FailurePosition::anywhere);
    return 0;
}
