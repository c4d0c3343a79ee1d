// The line-oriented tag reader: any text is cut into lines that hold the whole text
// (line breaks and blanks before tags apart), each tag on a line of its own; every
// question about a line, and about a line index left from a longer text, answers.
#include "support/FuzzInput.h"

#include "utils/Cnvtools.h"
#include "utils/XmlReader.h"

namespace {

void walk(TXmlReader& reader, const AnsiString& attributeName)
{
    int lines = 0;
    while (reader.Next()) {
        ++lines;
        const int type = reader.NodeType();
        FUZZ_CHECK(type >= TXmlReader::xmlEmpty && type <= TXmlReader::xmlTag);
        if (reader.HasAttributes())
            FUZZ_CHECK(type == TXmlReader::xmlTag || type == TXmlReader::xmlEmptyElement);
        AnsiString name = reader.Name();
        (void)reader.Attribute(attributeName);
        (void)reader.Attribute(name);
    }
    FUZZ_CHECK(lines <= reader.Count());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    varn::fuzz::Input input(data, size);
    const AnsiString attributeName = input.text(16);
    const AnsiString second = input.text(64);
    const AnsiString text = input.rest();

    TXmlReader reader;
    reader.SetText(text);
    FUZZ_CHECK(reader.NodeType() == TXmlReader::xmlNone);

    // The lines hold the text without line breaks and with " <" made "<".
    AnsiString expected = text;
    cnvRemoveChar('\r', expected);
    cnvRemoveChar('\n', expected);
    cnvReplaceAll(" <", "<", expected);
    AnsiString joined;
    for (int i = 0; i < reader.Count(); ++i) {
        const AnsiString& line = reader.Get(i);
        joined += line;
        // "<" only opens a line and ">" only ends one.
        size_t open = line.find('<'), close = line.find('>');
        FUZZ_CHECK(open == AnsiString::npos || (open == 0 && line.find('<', 1) == AnsiString::npos));
        FUZZ_CHECK(close == AnsiString::npos || close == line.size() - 1);
    }
    FUZZ_CHECK(joined == expected);

    walk(reader, attributeName);
    // A shorter text while the index stays where the longer one left it.
    reader.SetText(second);
    FUZZ_CHECK(reader.NodeType() >= TXmlReader::xmlNone && reader.NodeType() <= TXmlReader::xmlTag);
    (void)reader.Name();
    (void)reader.Attribute(attributeName);
    (void)reader.HasAttributes();
    walk(reader, attributeName);
    return 0;
}
