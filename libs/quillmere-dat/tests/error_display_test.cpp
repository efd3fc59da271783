#include <quillmere/dat/error/dat_error.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/math_records.hpp>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

using quillmere_dat::error::DatError;
using quillmere_dat::error::IoError;
using quillmere_dat::error::ReadError;

TEST(DatErrorDisplay, EveryVariantPrintsItsFixedText) {
    struct Case {
        DatError error;
        std::string text;
    };
    const std::vector<Case> cases = {
        {IoError::unexpected_eof(), "IO error: failed to fill whole buffer"},
        {ReadError::end_of_data(), "Binary read error: failed to fill whole buffer"},
        {DatError::NotFound{1}, "File ID 00000001 not found in provider"},
        {DatError::NotFound{0x13000000}, "File ID 13000000 not found in provider"},
        {DatError::NotFound{0xA9B4FFFF}, "File ID A9B4FFFF not found in provider"},
        {DatError::DuplicateId{0xAB}, "Duplicate File ID 000000AB detected"},
        {DatError::DuplicateNamespacedId{"cell", 0x10}, "Duplicate namespaced file cell:00000010 detected"},
        {DatError::InvalidMagic{"XYZ"}, "Invalid magic for format: XYZ"},
        {DatError::UnsupportedVersion{257}, "Unsupported version: 257"},
        {DatError::InvalidNamespace{"q"}, "Invalid namespace: q"},
        {DatError::Corruption{"loop"}, "Corruption detected: loop"},
        {DatError::DecompressionFailed{0x0100002A}, "Failed to recover compressed file 0100002A"},
        {DatError::PathError{"/no/such", IoError::from_errno(ENOENT)},
         "Failed to open file at /no/such: No such file or directory (os error 2)"},
        {DatError::Other{"x"}, "Other error: x"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.error.display(), c.text);
}

TEST(DatErrorDisplay, SourceIsTheWrappedError) {
    const DatError path = DatError::PathError{"/x", IoError::from_errno(ENOENT)};
    ASSERT_TRUE(path.source().has_value());
    EXPECT_EQ(display(*path.source()), "No such file or directory (os error 2)");

    const DatError read = ReadError::check("bad", 0x1c);
    ASSERT_TRUE(read.source().has_value());
    EXPECT_EQ(display(*read.source()), "bad at 0x1c");

    EXPECT_FALSE(DatError(DatError::NotFound{7}).source().has_value());
    EXPECT_FALSE(DatError(DatError::Corruption{"c"}).source().has_value());
}

TEST(DatErrorDisplay, DebugFormNamesVariantAndPayload) {
    EXPECT_EQ(DatError(DatError::NotFound{5}).debug(), "NotFound(5)");
    EXPECT_EQ(DatError(DatError::DuplicateNamespacedId{"a", 2}).debug(),
              "DuplicateNamespacedId { namespace: \"a\", file_id: 2 }");
}

TEST(ReadErrorDisplay, WithoutFramesIsTheInnermostText) {
    EXPECT_EQ(ReadError::end_of_data().display(), "failed to fill whole buffer");
    EXPECT_EQ(ReadError(IoError::not_enough_bytes()).display(), "not enough bytes in reader");
    EXPECT_EQ(ReadError::check("Unsupported PString length size", 0x1f).display(),
              "Unsupported PString length size at 0x1f");
    EXPECT_EQ(ReadError(IoError::invalid_seek()).display(),
              "invalid seek to a negative or overflowing position");
}

// A Plane whose normal runs out of data inside x: two frames, innermost first.
TEST(ReadErrorDisplay, NestedFramesPrintTheBacktraceReport) {
    const std::vector<std::uint8_t> bytes = {0, 0};
    quillmere_dat::utils::ByteReader reader(bytes);
    const auto plane = quillmere_dat::utils::read_plane(reader);
    ASSERT_FALSE(plane.has_value());
    const ReadError& error = plane.error();
    ASSERT_EQ(error.frames().size(), 2U);

    const auto at = [](const quillmere_dat::error::FieldFrame& frame) {
        return std::string("     at ") + frame.location.file_name() + ":" +
               std::to_string(frame.location.line()) + "\n";
    };
    const std::string b = "\x1b[1m";
    const std::string n = "\x1b[22m";
    const std::string expected =
        "\n ╺━━━━━━━━━━━━━━━━━━━━┅ Backtrace ┅━━━━━━━━━━━━━━━━━━━━╸\n\n"
        " 0: " + b + b + "Error: failed to fill whole buffer" + n + "\n" +
        "           " + b + "While parsing field 'x' in Vector3" + n + n + "\n" +
        at(error.frames()[0]) +
        " 1: " + b + "While parsing field 'normal' in Plane" + n + "\n" +
        at(error.frames()[1]) +
        "\n ╺━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━╸\n\n";
    EXPECT_EQ(error.display(), expected);
    // Locations name this system's own source, relative to the repository.
    EXPECT_EQ(std::string(error.frames()[0].location.file_name()),
              "libs/quillmere-dat/src/utils/math_records.cpp");
}
