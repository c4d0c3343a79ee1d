#include "utils/XmlReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Line {
    int kind;
    AnsiString name;
    bool operator==(const Line&) const = default;
};

std::vector<Line> walk(TXmlReader& reader)
{
    std::vector<Line> lines;
    while (reader.Next())
        lines.push_back({reader.NodeType(), reader.Name()});
    return lines;
}

}  // namespace

TEST(XmlReader, CutsOneTagPerLine)
{
    TXmlReader reader;
    EXPECT_EQ(reader.NodeType(), 0);
    reader.SetText("<a><b x=\"1\"/></a>");
    ASSERT_EQ(reader.Count(), 6);
    EXPECT_EQ(reader.Join("|", ""), "|<a>||<b x=\"1\"/>||</a>");
    EXPECT_EQ(walk(reader), (std::vector<Line>{{1, ""}, {5, "a"}, {1, ""}, {4, "b"}, {1, ""}, {5, "/a"}}));
    EXPECT_EQ(reader.NodeType(), 5);  // Next() past the end keeps the last line
    EXPECT_FALSE(reader.Next());

    TXmlReader text;
    text.SetText("<!-- c -->\r\n<r>\n  some text <br/></r>");
    EXPECT_EQ(text.Join("|", ""), "|<!-- c -->||<r>|  some text|<br/>||</r>");
    std::vector<Line> lines = walk(text);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1].kind, 3);
    EXPECT_EQ(lines[4], (Line{2, ""}));    // text starting with a blank has no name
    EXPECT_EQ(lines[5], (Line{4, "br/"})); // without a blank the name runs to ">"

    TXmlReader empty;
    empty.SetText("");
    EXPECT_FALSE(empty.Next());
    EXPECT_EQ(empty.NodeType(), 0);
    EXPECT_EQ(empty.Name(), "");
    EXPECT_EQ(empty.Attribute("x"), "");
}

TEST(XmlReader, AttributeLookup)
{
    TXmlReader reader;
    reader.SetText("<b x=\"1\"/><c FieldName=\"f\" Name=\"n\" v=\"a&lt;b &gt; &quot;q&quot;\" open=\"rest>");
    ASSERT_TRUE(reader.Next() && reader.Next());
    EXPECT_EQ(reader.Attribute("X"), "1");
    EXPECT_EQ(reader.Attribute("y"), "");
    EXPECT_TRUE(reader.HasAttributes());

    reader.Next();
    reader.Next();
    EXPECT_EQ(reader.NodeType(), 5);
    EXPECT_EQ(reader.Name(), "c");
    EXPECT_EQ(reader.Attribute("name"), "f");  // the first match anywhere, FieldName here
    EXPECT_EQ(reader.Attribute("V"), "a<b > \"q\"");
    EXPECT_EQ(reader.Attribute("open"), "rest>");  // unterminated value runs to the line end

    TXmlReader kinds;
    kinds.SetText("<br/><p/>");
    kinds.Next();
    kinds.Next();
    EXPECT_FALSE(kinds.HasAttributes());  // empty element without "="
    kinds.Next();
    EXPECT_FALSE(kinds.HasAttributes());  // empty line
}

TEST(XmlReader, ShorterTextAfterWalkingCountsAsPastTheEnd)
{
    TXmlReader reader;
    reader.SetText("<a><b><c>");
    while (reader.Next()) {
    }
    reader.SetText("<a>");  // the index is kept, now beyond the two new lines
    EXPECT_EQ(reader.NodeType(), 0);
    EXPECT_EQ(reader.Name(), "");
    EXPECT_EQ(reader.Attribute("a"), "");
    EXPECT_FALSE(reader.HasAttributes());
    EXPECT_FALSE(reader.Next());
}
