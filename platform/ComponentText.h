// The parsed form of component text, shared by the reader and the writer.
#pragma once

#include "platform/win/Types.h"

#include <cstdint>
#include <vector>

namespace varn::detail {

struct TTextItem;

// One value as written: its line and its syntactic kind.
struct TTextValue {
    enum Kind { Integer, Float, String, Ident, Set, List, Collection, Binary };
    Kind kind = Integer;
    int line = 0;
    int64_t integer = 0;
    double real = 0;
    AnsiString text;                  // String, Ident, Binary (bytes)
    std::vector<AnsiString> idents;   // Set
    std::vector<TTextValue> list;     // List
    std::vector<TTextItem> items;     // Collection
};

struct TTextProperty {
    AnsiString path;  // dotted
    int line = 0;
    TTextValue value;
};

struct TTextItem {
    int line = 0;
    std::vector<TTextProperty> properties;
};

struct TTextObject {
    enum Kind { Object, Inherited, Inline };
    Kind kind = Object;
    int line = 0;
    AnsiString name;
    AnsiString className;
    std::vector<TTextProperty> properties;
    std::vector<TTextObject> children;
};

// Objects and collections nest at most this deep (the root object is level 1).
// Deeper text is refused on reading and deeper trees on writing, so that nothing
// written cannot be read back and no recursion over the text runs out of stack.
constexpr int maxNestingDepth = 256;

// Parses one object; raises EParserError "Line <n>: ..." for anything malformed.
TTextObject parseComponentText(const AnsiString& text);
// Parses a single value (as after "Name = "), for SetPropText.
TTextValue parseValueText(const AnsiString& text);
// A text value in its written form ('It''s'#13#10).
AnsiString quoteString(const AnsiString& text);

}  // namespace varn::detail
