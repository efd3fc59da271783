#pragma once

#include <quillmere/dat/error/dat_error.hpp>

#include <cstdint>
#include <expected>
#include <vector>

namespace quillmere_dat {

// Something that hands out a file's bytes by id: an opened archive, or a
// stand-in in tests. Each call returns a fresh byte list owned by the caller.
class FileSource {
public:
    virtual ~FileSource() = default;
    virtual std::expected<std::vector<std::uint8_t>, error::DatError> get_file(
        std::uint32_t id) const = 0;

protected:
    FileSource() = default;
    FileSource(const FileSource&) = default;
    FileSource(FileSource&&) = default;
    FileSource& operator=(const FileSource&) = default;
    FileSource& operator=(FileSource&&) = default;
};

}  // namespace quillmere_dat
