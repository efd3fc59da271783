// A landblock's lines kept as its file's text: indexing, iteration and
// equality must behave as a list of separate strings would.

#include "line_list.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using scenery_bake_determinism::LineList;

TEST(LineList, KeepsEachLineAndTheFileText) {
    LineList lines = {"first", "", "third line"};
    lines.push_back("fourth");
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[0], "first");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "third line");
    EXPECT_EQ(lines[3], "fourth");
    EXPECT_EQ(lines.text(), "first\n\nthird line\nfourth\n");
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end()),
              (std::vector<std::string>{"first", "", "third line", "fourth"}));

    const LineList none;
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.text(), "");
    EXPECT_EQ(none.begin(), none.end());
}

TEST(LineList, EqualOnlyWhenTheLinesAreEqual) {
    EXPECT_EQ((LineList{"a", "b"}), (LineList{"a", "b"}));
    EXPECT_NE((LineList{"a", "b"}), (LineList{"a", "c"}));
    EXPECT_NE((LineList{"a"}), (LineList{"a", ""}));
    // The same text cut at other places is another list of lines.
    const LineList joined = {"a\nb"};
    const LineList apart = {"a", "b"};
    EXPECT_EQ(joined.text(), apart.text());
    EXPECT_NE(joined, apart);
    EXPECT_EQ(joined.size(), 1U);
    EXPECT_EQ(joined[0], "a\nb");
}
