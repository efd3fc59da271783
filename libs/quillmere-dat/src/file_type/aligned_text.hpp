#pragma once

#include <quillmere/common/try.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include <string>
#include <string_view>

// Texts of the region file: a pstring with a 2-byte length, then padding to a
// multiple of 4 counted from the first byte of the file (on writing, from the
// first byte written), never from the start of the enclosing record.
namespace quillmere_dat::file_type::detail {

inline utils::ReadResult<std::string> read_aligned_text(utils::ByteReader& reader) {
    auto text = QM_TRY(utils::read_pstring(reader, 2));
    QM_TRY_VOID(utils::align_to_4(reader));
    return text;
}

inline void write_aligned_text(utils::ByteWriter& writer, std::string_view text) {
    writer.write_pstring(text, 2);
    writer.align_to_4();
}

}  // namespace quillmere_dat::file_type::detail
