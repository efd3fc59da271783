// BspNode::read on any bytes, in every kind of tree: the first byte picks the
// kind (drawing, physics, structural), the rest is the tree. Structural trees
// are reachable only here, since no graphics object carries one.

#include "fuzz_checks.hpp"

#include <quillmere/dat/physics/bsp.hpp>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillmere_dat::physics::BspNode;
    using quillmere_dat::physics::BspTreeKind;
    if (size == 0) return 0;
    const auto kind = static_cast<BspTreeKind>(data[0] % 3);

    quillmere_dat::utils::ByteReader reader(quillmere_fuzz::input_span(data + 1, size - 1));
    auto tree = BspNode::read(reader, kind);
    if (!tree.has_value()) {
        quillmere_fuzz::check_error(tree.error());
        return 0;
    }
    quillmere_fuzz::check_repack(
        *tree, [kind](quillmere_dat::utils::ByteReader& r) { return BspNode::read(r, kind); },
        [kind](const BspNode& node, quillmere_dat::utils::ByteWriter& writer) { node.pack(writer, kind); });
    return 0;
}
