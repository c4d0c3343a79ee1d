// Formatted text as the rich-text field keeps it, and its exchange as RTF.
//
// The text is 8-bit (the Western code page). A paragraph ends with '\r'; '\v' breaks
// a line inside a paragraph and '\t' is a tab. Runs cover the text from its first to
// its last character without gaps, neighbours always differ in format; there is one
// paragraph format per paragraph (the count of '\r' plus one).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varn::detail {

constexpr int32_t autoColor = -1;  // the window's text colour

struct RichCharFormat {
    std::string face = "MS Sans Serif";
    int halfPoints = 20;        // size in half points
    unsigned style = 0;         // 1 bold, 2 italic, 4 underline, 8 strike-out
    int32_t color = autoColor;  // RGB with red in the low byte, or autoColor
    friend bool operator==(const RichCharFormat&, const RichCharFormat&) = default;
};

enum class RichAlign { Left, Center, Right, Justify };

struct RichParaFormat {
    RichAlign align = RichAlign::Left;
    int leftIndent = 0;   // twips, of every line
    int rightIndent = 0;  // twips
    int firstIndent = 0;  // twips, of the first line from the left indent (negative: hanging)
    friend bool operator==(const RichParaFormat&, const RichParaFormat&) = default;
};

struct RichRun {
    int start = 0;
    int length = 0;
    RichCharFormat format;
    friend bool operator==(const RichRun&, const RichRun&) = default;
};

class RichDocument {
public:
    RichDocument() : paragraphs(1) {}
    explicit RichDocument(const RichCharFormat& format) : paragraphs(1), defaultFormat(format) {}

    const std::string& text() const { return content; }
    int length() const { return static_cast<int>(content.size()); }
    const std::vector<RichRun>& runs() const { return runList; }
    const std::vector<RichParaFormat>& paragraphFormats() const { return paragraphs; }
    int paragraphCount() const { return static_cast<int>(paragraphs.size()); }
    // Index of the paragraph that holds position (its '\r' included).
    int paragraphOf(int position) const;
    int paragraphStart(int paragraph) const;
    // End of the paragraph's text, before its '\r' (or the end of the text).
    int paragraphEnd(int paragraph) const;
    // Format of the character at position; past the end, of the last one (or the default).
    const RichCharFormat& formatAt(int position) const;
    const RichCharFormat& baseFormat() const { return defaultFormat; }
    void setBaseFormat(const RichCharFormat& format) { defaultFormat = format; }

    // Appends text in one format; a '\r' in it starts a paragraph with format para
    // (the paragraph being ended gets para too).
    void append(const std::string& piece, const RichCharFormat& format);
    void setParagraphFormat(int paragraph, const RichParaFormat& format);
    // Replaces text[from, to) with insert in format; paragraphs split by an inserted
    // '\r' take the format of the one split, those joined keep the first's.
    void replace(int from, int to, const std::string& insert, const RichCharFormat& format);
    // Text in format `from` takes format `to`, and so does the base format when it is `from`.
    void changeFormat(const RichCharFormat& from, const RichCharFormat& to);
    // The part [from, to) as a document of its own.
    RichDocument slice(int from, int to) const;
    void clear();

    friend bool operator==(const RichDocument& a, const RichDocument& b)
    {
        return a.content == b.content && a.runList == b.runList && a.paragraphs == b.paragraphs;
    }

private:
    void insertRun(int position, int length, const RichCharFormat& format);
    void removeRange(int from, int to);
    void mergeRuns();

    std::string content;
    std::vector<RichRun> runList;
    std::vector<RichParaFormat> paragraphs;  // at least one
    RichCharFormat defaultFormat;
};

// Whether a text is taken as RTF: it begins with "{\rtf".
bool isRtf(const std::string& text);

// Reads RTF. Fonts and colours come from the tables; size, styles, colour,
// alignment and indents from the control words; unknown destinations ("{\*\...}"
// and the known ones that hold no text) are skipped. Groups nested deeper than
// maxRtfDepth end the reading: the rest of the input is shown as it stands. Any
// input reads in time linear in its length; text outside the code page becomes '?'.
constexpr int maxRtfDepth = 100;
RichDocument readRtf(const std::string& rtf, const RichCharFormat& base = {});
// Plain text: CR LF, CR and LF each end a paragraph; control bytes other than tab
// and '\v' are left out.
RichDocument readPlainText(const std::string& text, const RichCharFormat& base = {});

// RTF that readRtf reads back to the same text, runs and paragraph formats.
std::string writeRtf(const RichDocument& document);
// The text with paragraph ends as CR LF and line breaks as themselves.
std::string plainText(const RichDocument& document, int from = 0, int to = -1);

}  // namespace varn::detail
