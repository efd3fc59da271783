#include "driver.hpp"

#include <iostream>

int main() {
    auto result = scenery_bake_determinism::run(scenery_bake_determinism::Environment::from_process(),
                                                std::cerr);
    if (result.has_value()) return 0;
    std::cerr << result.error().report() << std::flush;
    return 1;
}
