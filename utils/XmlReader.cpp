#include "utils/XmlReader.h"

#include "platform/SysUtils.h"
#include "utils/Cnvtools.h"

#include <array>

namespace {

// Locale upper-casing per byte, so that the case-folded line keeps the
// positions of the original (a whole-text upper-casing may change the length,
// as for the sharp s).
const std::array<char, 256>& upperTable()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> result{};
        for (int code = 0; code < 256; ++code) {
            AnsiString upper = AnsiUpperCase(AnsiString(1, static_cast<char>(code)));
            result[code] = upper.size() == 1 ? upper[0] : static_cast<char>(code);
        }
        return result;
    }();
    return table;
}

AnsiString upperCased(AnsiString text)
{
    const auto& table = upperTable();
    for (char& c : text)
        c = table[static_cast<unsigned char>(c)];
    return text;
}

}  // namespace

void TXmlReader::SetText(const AnsiString& text)
{
    AnsiString work = text;
    cnvRemoveChar('\r', work);
    cnvRemoveChar('\n', work);
    cnvReplaceAll(">", ">\n", work);
    cnvReplaceAll(" <", "<", work);
    cnvReplaceAll("<", "\n<", work);
    Split(work, "\n");
    // The line feed after the last ">" ends that line; it does not open another.
    if (!work.empty() && work.back() == '\n')
        Delete(Count() - 1);
}

// A text set after walking may be shorter than the index kept from before;
// such an index counts as past the end.
const AnsiString* TXmlReader::currentLine() const
{
    if (current < 0 || current >= Count())
        return nullptr;
    return &Get(current);
}

bool TXmlReader::Next()
{
    if (current + 1 >= Count())
        return false;
    ++current;
    return true;
}

int TXmlReader::NodeType() const
{
    const AnsiString* line = currentLine();
    if (!line)
        return xmlNone;
    if (line->empty())
        return xmlEmpty;
    if ((*line)[0] != '<')
        return xmlText;
    if (line->starts_with("<!"))
        return xmlSpecial;
    if (line->find("/>") != AnsiString::npos)
        return xmlEmptyElement;
    return xmlTag;
}

bool TXmlReader::HasAttributes() const
{
    switch (NodeType()) {
    case xmlEmptyElement:
        return currentLine()->find('=') != AnsiString::npos;
    case xmlTag:
        return true;
    default:
        return false;
    }
}

AnsiString TXmlReader::Name() const
{
    const AnsiString* line = currentLine();
    if (!line)
        return "";
    size_t end = line->find(' ');
    if (end == AnsiString::npos)
        end = line->find('>');
    if (end == AnsiString::npos)
        end = line->find("/>");
    if (end == AnsiString::npos || end == 0)
        return "";
    return line->substr(1, end - 1);
}

AnsiString TXmlReader::Attribute(const AnsiString& name) const
{
    const AnsiString* line = currentLine();
    if (!line)
        return "";
    AnsiString key = upperCased(name) + "=\"";
    size_t found = upperCased(*line).find(key);
    if (found == AnsiString::npos)
        return "";
    size_t start = found + key.size();
    size_t end = line->find('"', start);
    AnsiString value = line->substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
    cnvReplaceAll("&gt;", ">", value);
    cnvReplaceAll("&lt;", "<", value);
    cnvReplaceAll("&quot;", "\"", value);
    return value;
}
