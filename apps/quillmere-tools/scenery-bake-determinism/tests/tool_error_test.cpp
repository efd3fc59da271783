#include "tool_error.hpp"

#include <quillmere/dat/error/dat_error.hpp>

#include <gtest/gtest.h>

#include <cerrno>

using quillmere_dat::error::DatError;
using quillmere_dat::error::IoError;
using scenery_bake_determinism::ToolError;

TEST(ToolErrorReport, WithoutCausesIsOneLine) {
    EXPECT_EQ(ToolError("client_portal.dat not found in any candidate location").report(),
              "Error: client_portal.dat not found in any candidate location\n");
}

TEST(ToolErrorReport, OneCauseIsIndentedByFourBlanks) {
    const auto error = ToolError::wrap("fetch Region 0x13000000", DatError(DatError::NotFound{0x13000000}));
    EXPECT_EQ(error.report(),
              "Error: fetch Region 0x13000000\n\nCaused by:\n"
              "    File ID 13000000 not found in provider\n");
}

TEST(ToolErrorReport, SeveralCausesAreNumberedInnermostLast) {
    const auto error =
        ToolError::wrap("open portal", DatError(DatError::PathError{"/nope", IoError::from_errno(ENOENT)}));
    EXPECT_EQ(error.report(),
              "Error: open portal\n\nCaused by:\n"
              "    0: Failed to open file at /nope: No such file or directory (os error 2)\n"
              "    1: No such file or directory (os error 2)\n");
}

TEST(ToolErrorReport, LinesInsideACauseAreIndentedToMatch) {
    const auto single = ToolError::wrap("parse Region", IoError::unexpected_eof());
    EXPECT_EQ(single.report(), "Error: parse Region\n\nCaused by:\n    failed to fill whole buffer\n");

    // A multi-line cause: every line break is followed by the indent, also
    // before an empty line and after a trailing line break.
    ToolError numbered = ToolError::wrap("outer", DatError(DatError::PathError{"p", IoError::from_errno(EACCES)}));
    const auto framed = ToolError::wrap(
        "parse Region", quillmere_dat::error::ReadError::check("a\n\nb\n", 0));
    EXPECT_EQ(framed.report(), "Error: parse Region\n\nCaused by:\n    a\n    \n    b\n     at 0x0\n");
    EXPECT_EQ(numbered.report(),
              "Error: outer\n\nCaused by:\n"
              "    0: Failed to open file at p: Permission denied (os error 13)\n"
              "    1: Permission denied (os error 13)\n");
}
