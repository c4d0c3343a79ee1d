#include "platform/win/RichText.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace varn::detail;

namespace {

// The text with each run as [text|style|half points|colour].
std::string describe(const RichDocument& d)
{
    std::string out;
    for (const RichRun& run : d.runs()) {
        out += "[" + d.text().substr(static_cast<size_t>(run.start), static_cast<size_t>(run.length)) + "|" +
               std::to_string(run.format.style) + "|" + std::to_string(run.format.halfPoints) + "|" +
               std::to_string(run.format.color) + "|" + run.format.face + "]";
    }
    return out;
}

}  // namespace

TEST(RichText, ReadsFontAndColourTablesStylesSizesAndEscapes)
{
    const std::string rtf =
        "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman{\\*\\panose 0}Times New Roman;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "{\\*\\generator Writer;}{\\info{\\title Hidden}}"
        "\\fs20 Plain {\\b bold}{\\i\\fs40 big}\\cf1  red\\cf2\\ul  blue\\ulnone\\strike  gone\\strike0\\par"
        "\\f0 caf\\'e9 \\u8364?\\uc2\\u8212xx!\\tab a\\line b\\{\\}\\\\}";
    RichDocument d = readRtf(rtf);
    EXPECT_EQ(d.text(), "Plain boldbig red blue gone\rcaf\xE9 \x80\x97!\ta\vb{}\\");
    EXPECT_EQ(describe(d),
              "[Plain |0|20|-1|Times New Roman][bold|1|20|-1|Times New Roman][big|2|40|-1|Times New Roman]"
              "[ red|0|20|255|Times New Roman][ blue|4|20|16711680|Times New Roman]"
              "[ gone|8|20|16711680|Times New Roman][\r|0|20|16711680|Times New Roman]"
              "[caf\xE9 \x80\x97!\ta\vb{}\\|0|20|16711680|Arial]");
    EXPECT_EQ(d.paragraphCount(), 2);
}

TEST(RichText, ReadsAlignmentAndIndentsPerParagraph)
{
    RichDocument d = readRtf("{\\rtf1\\pard\\qc centred\\par\\pard\\qr\\li720\\ri360\\fi-240 right\\par\\qj\\fi100 just}");
    ASSERT_EQ(d.paragraphCount(), 3);
    EXPECT_EQ(d.paragraphFormats()[0], (RichParaFormat{RichAlign::Center, 0, 0, 0}));
    EXPECT_EQ(d.paragraphFormats()[1], (RichParaFormat{RichAlign::Right, 720, 360, -240}));
    EXPECT_EQ(d.paragraphFormats()[2], (RichParaFormat{RichAlign::Justify, 720, 360, 100}));
}

TEST(RichText, WrittenRtfReadsBackToTheSameTextRunsAndParagraphs)
{
    RichDocument d = readRtf(
        "{\\rtf1{\\fonttbl{\\f0 Courier New;}{\\f1 Sem\\'3bi\\{\\}co\\'f1;}}{\\colortbl;\\red1\\green2\\blue3;}"
        "\\pard\\qc\\li100 \\f1\\b\\fs30 A\\i b\\ul c\\strike d\\cf1 e\\par\\par"
        "\\pard\\qr\\ri-50\\fi300\\f0 \\{x\\} \\\\ \\'e1\\'80\\tab y\\line z  two  spaces \\par}");
    ASSERT_EQ(d.runs().size(), 6u);
    EXPECT_EQ(d.runs()[0].format.face, "Sem;i{}co\xF1");
    const std::string written = writeRtf(d);
    EXPECT_TRUE(isRtf(written));
    RichDocument back = readRtf(written);
    EXPECT_EQ(describe(back), describe(d));
    EXPECT_TRUE(back == d);

    RichDocument empty;
    EXPECT_TRUE(readRtf(writeRtf(empty)) == empty);
}

TEST(RichText, PlainTextEndsParagraphsAtEveryKindOfLineBreak)
{
    RichDocument d = readPlainText("one\r\ntwo\nthree\rfour{\\rtf}");
    EXPECT_EQ(d.text(), "one\rtwo\rthree\rfour{\\rtf}");
    EXPECT_EQ(d.paragraphCount(), 4);
    EXPECT_EQ(plainText(d), "one\r\ntwo\r\nthree\r\nfour{\\rtf}");
    EXPECT_EQ(plainText(d, 2, 6), "e\r\ntw");
}

TEST(RichText, ReplacingKeepsRunsAndParagraphFormatsInStep)
{
    RichCharFormat bold;
    bold.style = 1;
    RichDocument d = readRtf("{\\rtf1\\pard\\qc ab\\b cd\\par\\pard\\qr ef}");
    d.replace(1, 1, "X\rY", bold);  // splits the centred paragraph
    EXPECT_EQ(d.text(), "aX\rYb" "cd\ref");
    ASSERT_EQ(d.paragraphCount(), 3);
    EXPECT_EQ(d.paragraphFormats()[1].align, RichAlign::Center);
    EXPECT_EQ(d.formatAt(0).style, 0u);
    EXPECT_EQ(d.formatAt(1).style, 1u);
    EXPECT_EQ(d.formatAt(4).style, 0u);
    EXPECT_EQ(d.formatAt(5).style, 1u);
    d.replace(2, 9, "", bold);  // joins all three: the first keeps its format
    EXPECT_EQ(d.text(), "aXf");
    EXPECT_EQ(d.paragraphCount(), 1);
    EXPECT_EQ(d.paragraphFormats()[0].align, RichAlign::Center);
    EXPECT_EQ(d.runs().size(), 2u);
    RichDocument part = readRtf("{\\rtf1 a\\b b\\par\\qr c}").slice(1, 4);
    EXPECT_EQ(part.text(), "b\rc");
    EXPECT_EQ(part.paragraphFormats()[1].align, RichAlign::Right);
}

TEST(RichText, MalformedInputReadsWithoutFaultInLinearTime)
{
    // Unbalanced groups, a truncated escape, huge numbers, stray tables.
    EXPECT_EQ(readRtf("{\\rtf1 a}}}b{").text(), "a");
    EXPECT_EQ(readRtf("{\\rtf1 {{a").text(), "a");
    EXPECT_EQ(readRtf("{\\rtf1 x\\'4").text(), "x");
    EXPECT_EQ(readRtf("{\\rtf1 x\\'").text(), "x");
    EXPECT_EQ(readRtf("{\\rtf1 x\\").text(), "x");
    RichDocument huge = readRtf("{\\rtf1\\fs99999999999999999999 a\\li-99999999999999 \\cf4294967297 b\\u99999999999 c}");
    EXPECT_EQ(huge.runs()[0].format.halfPoints, 3276);
    EXPECT_EQ(huge.paragraphFormats()[0].leftIndent, -31680);
    EXPECT_EQ(huge.runs().back().format.color, autoColor);
    EXPECT_EQ(huge.text(), "ab?");

    // Nesting past the limit: what follows is shown as it stands.
    std::string deep = "{\\rtf1 top";
    for (int i = 0; i < 5000; ++i)
        deep += "{\\b ";
    RichDocument d = readRtf(deep + "x" + std::string(5000, '}'));
    EXPECT_EQ(d.text().substr(0, 3), "top");
    EXPECT_NE(d.text().find("{\\b {\\b "), std::string::npos);
    EXPECT_EQ(d.text().back(), '}');

    // A large hostile input still reads fast.
    std::string big = "{\\rtf1";
    for (int i = 0; i < 200000; ++i)
        big += "\\u65\\'";
    auto started = std::chrono::steady_clock::now();
    readRtf(big);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}
