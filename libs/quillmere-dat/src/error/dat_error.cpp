#include <quillmere/dat/error/dat_error.hpp>

#include <cstdio>

namespace quillmere_dat::error {

namespace {

template <class... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string hex8(std::uint32_t value) {
    char buffer[9];
    std::snprintf(buffer, sizeof buffer, "%08X", value);
    return buffer;
}

std::string display(const ErrorSource& source) {
    return std::visit([](const auto& ref) { return ref.get().display(); }, source);
}

std::string DatError::display() const {
    return std::visit(
        Overloaded{
            [](const Io& e) { return "IO error: " + e.error.display(); },
            [](const BinRead& e) { return "Binary read error: " + e.error.display(); },
            [](const NotFound& e) { return "File ID " + hex8(e.id) + " not found in provider"; },
            [](const DuplicateId& e) { return "Duplicate File ID " + hex8(e.id) + " detected"; },
            [](const DuplicateNamespacedId& e) {
                return "Duplicate namespaced file " + e.namespace_ + ":" + hex8(e.file_id) +
                       " detected";
            },
            [](const InvalidMagic& e) { return "Invalid magic for format: " + e.text; },
            [](const UnsupportedVersion& e) {
                return "Unsupported version: " + std::to_string(e.version);
            },
            [](const InvalidNamespace& e) { return "Invalid namespace: " + e.text; },
            [](const Corruption& e) { return "Corruption detected: " + e.text; },
            [](const DecompressionFailed& e) {
                return "Failed to recover compressed file " + hex8(e.file_id);
            },
            [](const PathError& e) {
                return "Failed to open file at " + e.path.string() + ": " + e.source.display();
            },
            [](const Other& e) { return "Other error: " + e.text; },
        },
        value_);
}

std::string DatError::debug() const {
    return std::visit(
        Overloaded{
            [](const Io& e) { return "Io(" + e.error.debug() + ")"; },
            [](const BinRead& e) { return "BinRead(" + e.error.debug() + ")"; },
            [](const NotFound& e) { return "NotFound(" + std::to_string(e.id) + ")"; },
            [](const DuplicateId& e) { return "DuplicateId(" + std::to_string(e.id) + ")"; },
            [](const DuplicateNamespacedId& e) {
                return "DuplicateNamespacedId { namespace: " + quoted(e.namespace_) +
                       ", file_id: " + std::to_string(e.file_id) + " }";
            },
            [](const InvalidMagic& e) { return "InvalidMagic(" + quoted(e.text) + ")"; },
            [](const UnsupportedVersion& e) {
                return "UnsupportedVersion(" + std::to_string(e.version) + ")";
            },
            [](const InvalidNamespace& e) { return "InvalidNamespace(" + quoted(e.text) + ")"; },
            [](const Corruption& e) { return "Corruption(" + quoted(e.text) + ")"; },
            [](const DecompressionFailed& e) {
                return "DecompressionFailed(" + std::to_string(e.file_id) + ")";
            },
            [](const PathError& e) {
                return "PathError { path: " + quoted(e.path.string()) +
                       ", source: " + e.source.debug() + " }";
            },
            [](const Other& e) { return "Other(" + quoted(e.text) + ")"; },
        },
        value_);
}

std::optional<ErrorSource> DatError::source() const {
    if (const auto* io = std::get_if<Io>(&value_)) return ErrorSource{std::cref(io->error)};
    if (const auto* read = std::get_if<BinRead>(&value_)) return ErrorSource{std::cref(read->error)};
    if (const auto* path = std::get_if<PathError>(&value_)) return ErrorSource{std::cref(path->source)};
    return std::nullopt;
}

}  // namespace quillmere_dat::error
