#include "utils/XmlReader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Kind and name of every line, walking with Next().
std::vector<std::pair<int, AnsiString>> walk(TXmlReader& reader)
{
    std::vector<std::pair<int, AnsiString>> lines;
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
    EXPECT_EQ(reader.Join("|", ""), "|<a>||<b x=\"1\"/>||</a>");
    EXPECT_EQ(walk(reader), (std::vector<std::pair<int, AnsiString>>{
                                {1, ""}, {5, "a"}, {1, ""}, {4, "b"}, {1, ""}, {5, "/a"}}));

    reader.SetText("<!-- c -->\r\n<r>\n  some text <br/></r>");
    EXPECT_EQ(reader.Join("|", ""), "|<!-- c -->||<r>|  some text|<br/>||</r>");
    reader.SetText("<a>");  // the index stays beyond the new lines: past the end
    EXPECT_EQ(reader.NodeType(), 0);
    EXPECT_EQ(reader.Attribute("a"), "");
    EXPECT_FALSE(reader.Next());

    TXmlReader other;
    other.SetText("<!-- c --><br/>");
    EXPECT_EQ(walk(other), (std::vector<std::pair<int, AnsiString>>{{1, ""}, {3, "!--"}, {1, ""}, {4, "br/"}}));
}

TEST(XmlReader, AttributeLookup)
{
    TXmlReader reader;
    reader.SetText("<b x=\"1\"/><c FieldName=\"f\" Name=\"n\" v=\"a&lt;b &gt; &quot;\" open=\"rest><p/>");
    reader.Next();
    reader.Next();
    EXPECT_EQ(reader.Attribute("X"), "1");
    EXPECT_EQ(reader.Attribute("y"), "");
    reader.Next();
    reader.Next();
    EXPECT_TRUE(reader.HasAttributes());
    EXPECT_EQ(reader.Attribute("name"), "f");  // first match anywhere: FieldName
    EXPECT_EQ(reader.Attribute("V"), "a<b > \"");
    EXPECT_EQ(reader.Attribute("open"), "rest>");  // no closing quote: to the line end
    reader.Next();
    reader.Next();
    EXPECT_FALSE(reader.HasAttributes());  // <p/> has no "="
}
