// A line-oriented reader for the small tag texts the library writes itself:
// one tag or text run per line, walked line by line. No nesting, no validation.
#pragma once

#include "utils/BlockArray.h"

class TXmlReader : public nStringArray {
public:
    // Kinds of line that NodeType() answers.
    enum : int {
        xmlNone = 0,          // before the first Next(), or past the end
        xmlEmpty = 1,         // an empty line
        xmlText = 2,          // does not begin with "<"
        xmlSpecial = 3,       // "<!" comment or declaration
        xmlEmptyElement = 4,  // contains "/>"
        xmlTag = 5,           // any other start or end tag
    };

    // Cuts the text into lines; the current line index is kept as it was.
    void SetText(const AnsiString& text);
    bool Next();
    int NodeType() const;
    bool HasAttributes() const;
    // Tag name up to the first blank, else ">", else "/>"; end tags keep the slash.
    AnsiString Name() const;
    // Value of name="..." in the current line, matched case-insensitively
    // anywhere in the line; the empty text when absent.
    AnsiString Attribute(const AnsiString& name) const;

private:
    const AnsiString* currentLine() const;

    int current = -1;  // index of the current line; -1 before the first Next()
};
