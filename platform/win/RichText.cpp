// The rich-text document and its RTF reader and writer.
//
// The reader is a single pass over the bytes with an explicit stack of group
// states (no recursion), so neither deep nesting nor long input can exhaust the
// stack or take more than linear time; numbers saturate instead of overflowing.
#include "platform/win/RichText.h"

#include "platform/win/Charset.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <map>
#include <set>

namespace varn::detail {

// ---- The document ----------------------------------------------------------------

int RichDocument::paragraphOf(int position) const
{
    position = std::clamp(position, 0, length());
    return static_cast<int>(std::count(content.begin(), content.begin() + position, '\r'));
}

int RichDocument::paragraphStart(int paragraph) const
{
    int position = 0;
    for (int i = 0; i < paragraph; ++i) {
        size_t end = content.find('\r', static_cast<size_t>(position));
        if (end == std::string::npos)
            return length();
        position = static_cast<int>(end) + 1;
    }
    return position;
}

int RichDocument::paragraphEnd(int paragraph) const
{
    size_t end = content.find('\r', static_cast<size_t>(paragraphStart(paragraph)));
    return end == std::string::npos ? length() : static_cast<int>(end);
}

const RichCharFormat& RichDocument::formatAt(int position) const
{
    if (runList.empty())
        return defaultFormat;
    if (position >= length())
        return runList.back().format;
    auto it = std::upper_bound(runList.begin(), runList.end(), std::max(position, 0),
                               [](int p, const RichRun& run) { return p < run.start; });
    return std::prev(it)->format;
}

void RichDocument::append(const std::string& piece, const RichCharFormat& format)
{
    if (piece.empty())
        return;
    if (!runList.empty() && runList.back().format == format)
        runList.back().length += static_cast<int>(piece.size());
    else
        runList.push_back({length(), static_cast<int>(piece.size()), format});
    content += piece;
    for (char c : piece)
        if (c == '\r')
            paragraphs.push_back(paragraphs.back());
}

void RichDocument::setParagraphFormat(int paragraph, const RichParaFormat& format)
{
    if (paragraph >= 0 && paragraph < paragraphCount())
        paragraphs[static_cast<size_t>(paragraph)] = format;
}

void RichDocument::replace(int from, int to, const std::string& insert, const RichCharFormat& format)
{
    from = std::clamp(from, 0, length());
    to = std::clamp(to, from, length());
    const int paragraph = paragraphOf(from);
    const auto joined = std::count(content.begin() + from, content.begin() + to, '\r');
    paragraphs.erase(paragraphs.begin() + paragraph + 1, paragraphs.begin() + paragraph + 1 + joined);
    removeRange(from, to);
    content.insert(static_cast<size_t>(from), insert);
    insertRun(from, static_cast<int>(insert.size()), format);
    const auto split = std::count(insert.begin(), insert.end(), '\r');
    const RichParaFormat splitFormat = paragraphs[static_cast<size_t>(paragraph)];
    paragraphs.insert(paragraphs.begin() + paragraph + 1, static_cast<size_t>(split), splitFormat);
    mergeRuns();
}

void RichDocument::removeRange(int from, int to)
{
    if (from >= to)
        return;
    content.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
    std::vector<RichRun> kept;
    kept.reserve(runList.size());
    for (RichRun run : runList) {
        int start = run.start, end = run.start + run.length;
        auto moved = [&](int p) { return p <= from ? p : (p >= to ? p - (to - from) : from); };
        run.start = moved(start);
        run.length = moved(end) - run.start;
        if (run.length > 0)
            kept.push_back(std::move(run));
    }
    runList = std::move(kept);
}

void RichDocument::insertRun(int position, int count, const RichCharFormat& format)
{
    if (count <= 0)
        return;
    std::vector<RichRun> result;
    result.reserve(runList.size() + 2);
    bool inserted = false;
    for (const RichRun& run : runList) {
        if (!inserted && position <= run.start) {
            result.push_back({position, count, format});
            inserted = true;
        }
        if (!inserted && position < run.start + run.length) {
            result.push_back({run.start, position - run.start, run.format});
            result.push_back({position, count, format});
            result.push_back({position + count, run.start + run.length - position, run.format});
            inserted = true;
            continue;
        }
        RichRun copy = run;
        if (inserted)
            copy.start += count;
        result.push_back(std::move(copy));
    }
    if (!inserted)
        result.push_back({position, count, format});
    runList = std::move(result);
}

void RichDocument::mergeRuns()
{
    std::vector<RichRun> merged;
    merged.reserve(runList.size());
    for (RichRun& run : runList) {
        if (run.length <= 0)
            continue;
        if (!merged.empty() && merged.back().format == run.format)
            merged.back().length += run.length;
        else
            merged.push_back(std::move(run));
    }
    runList = std::move(merged);
}

void RichDocument::changeFormat(const RichCharFormat& from, const RichCharFormat& to)
{
    for (RichRun& run : runList)
        if (run.format == from)
            run.format = to;
    if (defaultFormat == from)
        defaultFormat = to;
    mergeRuns();
}

RichDocument RichDocument::slice(int from, int to) const
{
    from = std::clamp(from, 0, length());
    to = std::clamp(to, from, length());
    RichDocument part(defaultFormat);
    int paragraph = paragraphOf(from);
    part.paragraphs[0] = paragraphs[static_cast<size_t>(paragraph)];
    for (const RichRun& run : runList) {
        int start = std::max(run.start, from), end = std::min(run.start + run.length, to);
        if (start < end)
            part.append(content.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)), run.format);
    }
    for (int i = 1; i < part.paragraphCount(); ++i)
        part.paragraphs[static_cast<size_t>(i)] = paragraphs[static_cast<size_t>(paragraph + i)];
    return part;
}

void RichDocument::clear()
{
    content.clear();
    runList.clear();
    paragraphs.assign(1, RichParaFormat{});
}

bool isRtf(const std::string& text) { return text.compare(0, 5, "{\\rtf") == 0; }

// ---- Reading ---------------------------------------------------------------------

namespace {

enum class Destination { Text, Skip, FontTable, ColorTable };

struct GroupState {
    RichCharFormat chr;
    RichParaFormat para;
    int unicodeSkip = 1;  // characters that stand in for each \uN
    Destination destination = Destination::Text;
};

// Destinations that hold no text of the document.
const std::set<std::string>& skippedDestinations()
{
    static const std::set<std::string> names = {
        "annotation", "atnid", "author", "background", "bkmkend", "bkmkstart", "buptim", "colorschememapping",
        "comment", "creatim", "datastore", "docvar", "doccomm", "falt", "fchars", "fldinst", "filetbl",
        "footer", "footerf", "footerl", "footerr", "footnote", "generator", "header", "headerf", "headerl",
        "headerr", "info", "keywords", "latentstyles", "lchars", "listoverridetable", "listtable", "nonshppict",
        "object", "objdata", "operator", "panose", "pgdsctbl", "pict", "pntext", "pntxta", "pntxtb", "printim",
        "private", "revtbl", "revtim", "rsidtbl", "shp", "shpinst", "stylesheet", "subject", "tc", "template",
        "themedata", "title", "txe", "userprops", "wgrffmtfilter", "xe", "xmlnstbl"};
    return names;
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int hexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

class RtfReader {
public:
    RtfReader(const std::string& input, const RichCharFormat& base) : input(input), base(base), document(base)
    {
        GroupState root;
        root.chr = base;
        stack.push_back(root);
    }

    RichDocument read()
    {
        while (position < input.size() && !finished) {
            char c = input[position++];
            switch (c) {
            case '{': openGroup(); break;
            case '}': closeGroup(); break;
            case '\\': controlSequence(); break;
            case '\r':
            case '\n': break;
            default: character(static_cast<unsigned char>(c), true); break;
            }
        }
        if (!finished)
            document.setParagraphFormat(document.paragraphCount() - 1, stack.back().para);
        return std::move(document);
    }

private:
    GroupState& state() { return stack.back(); }

    void openGroup()
    {
        unicodePending = 0;
        if (static_cast<int>(stack.size()) > maxRtfDepth) {
            --position;
            showRestAsText();
            return;
        }
        GroupState inner = state();
        stack.push_back(inner);
    }

    void closeGroup()
    {
        unicodePending = 0;
        if (stack.size() <= 1)
            return;  // an unbalanced brace
        GroupState& inner = state();
        if (inner.destination == Destination::FontTable)
            endFontEntry();
        const bool leavingFontTable = inner.destination == Destination::FontTable &&
                                      stack[stack.size() - 2].destination != Destination::FontTable;
        if (stack.size() == 2) {
            // The document's group ends: the last paragraph keeps the format it had.
            document.setParagraphFormat(document.paragraphCount() - 1, inner.para);
            finished = true;
        }
        stack.pop_back();
        if (leavingFontTable) {
            auto it = fonts.find(defaultFont);
            if (it != fonts.end()) {
                defaultFace = it->second;
                state().chr.face = it->second;
            }
        }
    }

    // Deeper than the limit: the input from here on is text as it stands.
    void showRestAsText()
    {
        std::string rest;
        for (size_t i = position; i < input.size(); ++i) {
            char c = input[i];
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                rest += c;
        }
        if (state().destination == Destination::Text)
            document.append(rest, state().chr);
        finished = true;
        document.setParagraphFormat(document.paragraphCount() - 1, state().para);
    }

    void controlSequence()
    {
        if (position >= input.size())
            return;  // a lone backslash at the end
        char c = input[position];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++position;
            controlSymbol(c);
                return;
        }
        std::string word;
        while (position < input.size() && std::isalpha(static_cast<unsigned char>(input[position]))) {
            if (word.size() < 32)
                word += input[position];
            ++position;
        }
        bool hasParameter = false;
        bool negative = false;
        long long parameter = 0;
        if (position < input.size() && input[position] == '-' && position + 1 < input.size() &&
            std::isdigit(static_cast<unsigned char>(input[position + 1]))) {
            negative = true;
            ++position;
        }
        while (position < input.size() && std::isdigit(static_cast<unsigned char>(input[position]))) {
            hasParameter = true;
            parameter = std::min<long long>(parameter * 10 + (input[position] - '0'), 1000000000LL);
            ++position;
        }
        if (negative)
            parameter = -parameter;
        if (position < input.size() && input[position] == ' ')
            ++position;
        if (unicodePending > 0 && word != "u") {
            --unicodePending;  // a control word stands in for a \uN too
            return;
        }
        controlWord(word, hasParameter, static_cast<int>(parameter));
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\'': {
            int value = -1;
            if (position < input.size() && isHex(input[position])) {
                value = hexValue(input[position++]);
                if (position < input.size() && isHex(input[position]))
                    value = value * 16 + hexValue(input[position++]);
            }
            if (value >= 0)
                character(static_cast<unsigned char>(value), false);
            break;
        }
        case '\\':
        case '{':
        case '}': character(static_cast<unsigned char>(c), false); break;
        case '~': character(0xA0, false); break;
        case '_': character('-', false); break;
        case '*': state().destination = Destination::Skip; break;
        case '\r':
        case '\n': controlWord("par", false, 0); break;
        default: break;  // \- (optional hyphen), \: (index entries) and the unknown
        }
    }

    void controlWord(const std::string& word, bool hasParameter, int parameter)
    {
        GroupState& s = state();
        auto on = [&] { return !hasParameter || parameter != 0; };
        auto style = [&](unsigned bit) {
            if (on())
                s.chr.style |= bit;
            else
                s.chr.style &= ~bit;
        };
        auto twips = [&] { return std::clamp(parameter, -31680, 31680); };

        if (s.destination == Destination::Skip)
            return;
        if (word == "fonttbl") {
            s.destination = Destination::FontTable;
            fontEntry.clear();
            fontNumber = -1;
            return;
        }
        if (word == "colortbl") {
            s.destination = Destination::ColorTable;
            colorParts = 0;
            red = green = blue = 0;
            return;
        }
        if (skippedDestinations().count(word)) {
            s.destination = Destination::Skip;
            return;
        }
        if (s.destination == Destination::FontTable) {
            if (word == "f" && hasParameter) {
                endFontEntry();
                fontNumber = parameter;
            }
            return;
        }
        if (s.destination == Destination::ColorTable) {
            int value = std::clamp(parameter, 0, 255);
            if (word == "red")
                red = value, colorParts |= 1;
            else if (word == "green")
                green = value, colorParts |= 2;
            else if (word == "blue")
                blue = value, colorParts |= 4;
            return;
        }
        if (word == "par" || word == "row" || word == "sect" || word == "page") {
            document.setParagraphFormat(document.paragraphCount() - 1, s.para);
            document.append("\r", s.chr);
        } else if (word == "line") {
            document.append("\v", s.chr);
        } else if (word == "tab" || word == "cell") {
            document.append("\t", s.chr);
        } else if (word == "u" && hasParameter) {
            int code = parameter < 0 ? parameter + 65536 : parameter;
            if (code >= 0x20 || code == '\t') {
                int byte = UnicodeToAnsiChar(static_cast<char32_t>(code));
                appendText(std::string(1, static_cast<char>(byte >= 0 ? byte : '?')));
            }
            unicodePending = s.unicodeSkip;
        } else if (word == "uc") {
            s.unicodeSkip = std::clamp(hasParameter ? parameter : 1, 0, 10);
        } else if (word == "deff") {
            defaultFont = parameter;
        } else if (word == "plain") {
            s.chr = base;
            s.chr.face = defaultFace.value_or(base.face);
        } else if (word == "pard") {
            s.para = RichParaFormat{};
        } else if (word == "b") {
            style(1);
        } else if (word == "i") {
            style(2);
        } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "ulth" ||
                   word == "uldash" || word == "ulwave") {
            style(4);
        } else if (word == "ulnone") {
            s.chr.style &= ~4u;
        } else if (word == "strike" || word == "striked") {
            style(8);
        } else if (word == "fs") {
            s.chr.halfPoints = hasParameter ? std::clamp(parameter, 1, 3276) : 24;
        } else if (word == "f") {
            auto it = fonts.find(parameter);
            if (it != fonts.end())
                s.chr.face = it->second;
        } else if (word == "cf") {
            s.chr.color = parameter >= 0 && parameter < static_cast<int>(colors.size())
                              ? colors[static_cast<size_t>(parameter)] : autoColor;
        } else if (word == "ql") {
            s.para.align = RichAlign::Left;
        } else if (word == "qc") {
            s.para.align = RichAlign::Center;
        } else if (word == "qr") {
            s.para.align = RichAlign::Right;
        } else if (word == "qj") {
            s.para.align = RichAlign::Justify;
        } else if (word == "li") {
            s.para.leftIndent = twips();
        } else if (word == "ri") {
            s.para.rightIndent = twips();
        } else if (word == "fi") {
            s.para.firstIndent = twips();
        } else if (word == "bullet") {
            appendText("\x95");
        } else if (word == "lquote") {
            appendText("\x91");
        } else if (word == "rquote") {
            appendText("\x92");
        } else if (word == "ldblquote") {
            appendText("\x93");
        } else if (word == "rdblquote") {
            appendText("\x94");
        } else if (word == "endash") {
            appendText("\x96");
        } else if (word == "emdash") {
            appendText("\x97");
        } else if (word == "enspace" || word == "emspace" || word == "qmspace") {
            appendText(" ");
        }
    }

    // A text byte; literal says it came as itself rather than through an escape.
    void character(unsigned char c, bool literal)
    {
        if (unicodePending > 0) {
            --unicodePending;
            return;
        }
        GroupState& s = state();
        switch (s.destination) {
        case Destination::Skip: return;
        case Destination::FontTable:
            if (c == ';' && literal)
                endFontEntry();
            else if (c >= 0x20)
                fontEntry += static_cast<char>(c);
            return;
        case Destination::ColorTable:
            if (c == ';' && literal) {
                colors.push_back(colorParts ? static_cast<int32_t>(red | (green << 8) | (blue << 16)) : autoColor);
                colorParts = 0;
                red = green = blue = 0;
            }
            return;
        case Destination::Text: break;
        }
        if (c < 0x20 && c != '\t')
            return;
        appendText(std::string(1, static_cast<char>(c)));
    }

    void appendText(const std::string& text)
    {
        if (state().destination == Destination::Text)
            document.append(text, state().chr);
    }

    void endFontEntry()
    {
        if (fontNumber >= 0 || !fontEntry.empty()) {
            size_t first = fontEntry.find_first_not_of(' ');
            size_t last = fontEntry.find_last_not_of(' ');
            std::string name = first == std::string::npos ? "" : fontEntry.substr(first, last - first + 1);
            if (fontNumber >= 0 && !fonts.count(fontNumber))
                fonts[fontNumber] = name;
        }
        fontEntry.clear();
        fontNumber = -1;
    }

    const std::string& input;
    RichCharFormat base;
    RichDocument document;
    std::vector<GroupState> stack;  // the root state and one per open group
    size_t position = 0;
    bool finished = false;
    int unicodePending = 0;        // characters still to skip after a \uN
    std::map<int, std::string> fonts;
    int defaultFont = 0;
    std::optional<std::string> defaultFace;
    std::string fontEntry;
    int fontNumber = -1;
    std::vector<int32_t> colors;
    int colorParts = 0;
    int red = 0, green = 0, blue = 0;
};

}  // namespace

RichDocument readRtf(const std::string& rtf, const RichCharFormat& base) { return RtfReader(rtf, base).read(); }

RichDocument readPlainText(const std::string& text, const RichCharFormat& base)
{
    RichDocument document(base);
    std::string converted;
    converted.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            converted += '\r';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            converted += '\r';
        } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\v') {
            converted += c;  // other control bytes are left out, as RTF would drop them
        }
    }
    document.append(converted, base);
    return document;
}

// ---- Writing ---------------------------------------------------------------------

namespace {

void writeEscaped(std::string& out, const std::string& text, bool fontName)
{
    static const char digits[] = "0123456789abcdef";
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (u >= 0x80 || u < 0x20 || (fontName && c == ';')) {
            out += "\\'";
            out += digits[u >> 4];
            out += digits[u & 15];
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string writeRtf(const RichDocument& document)
{
    std::vector<std::string> faces;
    std::vector<int32_t> colors;
    for (const RichRun& run : document.runs()) {
        if (std::find(faces.begin(), faces.end(), run.format.face) == faces.end())
            faces.push_back(run.format.face);
        if (run.format.color != autoColor && std::find(colors.begin(), colors.end(), run.format.color) == colors.end())
            colors.push_back(run.format.color);
    }
    if (faces.empty())
        faces.push_back(document.baseFormat().face);

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (size_t i = 0; i < faces.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fnil ";
        writeEscaped(out, faces[i], true);
        out += ";}";
    }
    out += "}\n{\\colortbl ;";
    for (int32_t color : colors)
        out += "\\red" + std::to_string(color & 0xFF) + "\\green" + std::to_string((color >> 8) & 0xFF) + "\\blue" +
               std::to_string((color >> 16) & 0xFF) + ";";
    out += "}\n";

    auto formatCodes = [&](const RichCharFormat& f) {
        std::string codes = "\\plain\\f" +
                            std::to_string(std::find(faces.begin(), faces.end(), f.face) - faces.begin()) + "\\fs" +
                            std::to_string(f.halfPoints);
        if (f.style & 1)
            codes += "\\b";
        if (f.style & 2)
            codes += "\\i";
        if (f.style & 4)
            codes += "\\ul";
        if (f.style & 8)
            codes += "\\strike";
        if (f.color != autoColor)
            codes += "\\cf" + std::to_string(std::find(colors.begin(), colors.end(), f.color) - colors.begin() + 1);
        return codes + " ";
    };
    auto paragraphCodes = [](const RichParaFormat& p) {
        static const char* const aligns[] = {"\\ql", "\\qc", "\\qr", "\\qj"};
        std::string codes = "\\pard";
        codes += aligns[static_cast<int>(p.align) & 3];
        if (p.leftIndent)
            codes += "\\li" + std::to_string(p.leftIndent);
        if (p.rightIndent)
            codes += "\\ri" + std::to_string(p.rightIndent);
        if (p.firstIndent)
            codes += "\\fi" + std::to_string(p.firstIndent);
        return codes;
    };

    const std::string& text = document.text();
    const auto& runs = document.runs();
    size_t run = 0;
    int paragraph = 0;
    out += paragraphCodes(document.paragraphFormats()[0]);
    bool formatDue = true;
    for (int i = 0; i < document.length(); ++i) {
        while (run + 1 < runs.size() && i >= runs[run].start + runs[run].length) {
            ++run;
            formatDue = true;
        }
        if (formatDue) {
            out += formatCodes(runs[run].format);
            formatDue = false;
        }
        char c = text[static_cast<size_t>(i)];
        if (c == '\r') {
            out += "\\par\n";
            out += paragraphCodes(document.paragraphFormats()[static_cast<size_t>(++paragraph)]);
            formatDue = true;
        } else if (c == '\v') {
            out += "\\line ";
        } else if (c == '\t') {
            out += "\\tab ";
        } else {
            writeEscaped(out, std::string(1, c), false);
        }
    }
    out += "}";
    return out;
}

std::string plainText(const RichDocument& document, int from, int to)
{
    const std::string& text = document.text();
    from = std::clamp(from, 0, document.length());
    to = to < 0 ? document.length() : std::clamp(to, from, document.length());
    std::string out;
    out.reserve(static_cast<size_t>(to - from));
    for (int i = from; i < to; ++i) {
        char c = text[static_cast<size_t>(i)];
        if (c == '\r')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}

}  // namespace varn::detail
