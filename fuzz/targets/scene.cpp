// Scene::unpack on any bytes: the object lists the baker places.

#include "fuzz_checks.hpp"

#include <quillmere/dat/file_type/scene.hpp>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillmere_dat::file_type::scene::Scene;
    quillmere_fuzz::decode_and_check<Scene>(quillmere_fuzz::input_span(data, size),
                                            quillmere_fuzz::FailurePosition::anywhere);
    return 0;
}
