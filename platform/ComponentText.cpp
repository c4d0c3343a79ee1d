// Tokenizer and parser of component text.
#include "platform/ComponentText.h"

#include "platform/Streaming.h"

#include <cctype>
#include <charconv>
#include <cstdlib>

namespace varn::detail {
namespace {

struct TToken {
    enum Kind { End, Symbol, Ident, String, Integer, Float, Binary };
    Kind kind = End;
    int line = 1;
    char symbol = 0;
    AnsiString text;  // identifier, string, binary bytes, or the number as written
    int64_t integer = 0;
    double real = 0;
};

[[noreturn]] void fail(int line, const AnsiString& message)
{
    throw EParserError(Sprintf("Line %d: %s", line, message.c_str()));
}

AnsiString describe(const TToken& t)
{
    switch (t.kind) {
    case TToken::End: return "end of file";
    case TToken::Symbol: return Sprintf("'%c'", t.symbol);
    case TToken::String: return "a string";
    case TToken::Binary: return "binary data";
    default: return "'" + t.text + "'";
    }
}

bool isIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class TTokenizer {
public:
    explicit TTokenizer(const AnsiString& text) : text(text) { advance(); }

    const TToken& current() const { return token; }
    int line() const { return token.line; }

    void advance()
    {
        skipBlanks();
        token = TToken();
        token.line = lineNo;
        if (pos >= text.size())
            return;
        char c = text[pos];
        if (isIdentStart(c)) {
            size_t start = pos;
            while (pos < text.size() && isIdentChar(text[pos]))
                ++pos;
            token.kind = TToken::Ident;
            token.text = text.substr(start, pos - start);
        } else if (c == '\'' || c == '#') {
            readString();
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '$' ||
                   (c == '-' && pos + 1 < text.size() &&
                    (std::isdigit(static_cast<unsigned char>(text[pos + 1])) || text[pos + 1] == '$'))) {
            readNumber();
        } else if (c == '{') {
            readBinary();
        } else {
            token.kind = TToken::Symbol;
            token.symbol = c;
            ++pos;
        }
    }

private:
    void skipBlanks()
    {
        while (pos < text.size()) {
            char c = text[pos];
            if (c == '\n')
                ++lineNo;
            if (c == '\n' || c == '\r' || c == ' ' || c == '\t' || c == '\f') {
                ++pos;
                continue;
            }
            break;
        }
    }

    // 'abc'#13#10'def': quoted runs and character codes without separators.
    void readString()
    {
        token.kind = TToken::String;
        while (pos < text.size()) {
            char c = text[pos];
            if (c == '\'') {
                ++pos;
                for (;;) {
                    if (pos >= text.size() || text[pos] == '\n' || text[pos] == '\r')
                        fail(token.line, "Unterminated string");
                    if (text[pos] == '\'') {
                        if (pos + 1 < text.size() && text[pos + 1] == '\'') {
                            token.text += '\'';
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        break;
                    }
                    token.text += text[pos++];
                }
            } else if (c == '#') {
                ++pos;
                size_t start = pos;
                int code = 0;
                if (pos < text.size() && text[pos] == '$') {
                    ++pos;
                    start = pos;
                    while (pos < text.size() && hexDigit(text[pos]) >= 0 && pos - start < 4)
                        code = code * 16 + hexDigit(text[pos++]);
                } else {
                    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) && pos - start < 5)
                        code = code * 10 + (text[pos++] - '0');
                }
                if (pos == start)
                    fail(token.line, "Invalid character code in string");
                // Codes up to 255 are the bytes themselves, as texts have always been
                // written; larger ones are characters of the code page (#8364: the euro sign).
                int byte = code <= 255 ? code : UnicodeToAnsiChar(static_cast<char32_t>(code));
                if (byte < 0)
                    fail(token.line, Sprintf("Character #%d is not in the Windows-1252 code page", code));
                token.text += static_cast<char>(byte);
            } else {
                break;
            }
        }
    }

    void readNumber()
    {
        size_t start = pos;
        bool negative = text[pos] == '-';
        if (negative)
            ++pos;
        if (pos < text.size() && text[pos] == '$') {
            ++pos;
            size_t digits = pos;
            uint64_t value = 0;
            while (pos < text.size() && hexDigit(text[pos]) >= 0) {
                if (pos - digits >= 16)
                    fail(token.line, "Number out of range");
                value = value * 16 + static_cast<uint64_t>(hexDigit(text[pos++]));
            }
            if (pos == digits)
                fail(token.line, "Invalid number");
            // Hex digits are a 64-bit pattern ($FFFFFFFFFFFFFFFF is -1); the sign
            // negates in unsigned arithmetic, so -$8000000000000000 is the lowest value.
            token.kind = TToken::Integer;
            token.integer = static_cast<int64_t>(negative ? 0 - value : value);
        } else {
            bool isFloat = false;
            while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
                ++pos;
            if (pos + 1 < text.size() && text[pos] == '.' && std::isdigit(static_cast<unsigned char>(text[pos + 1]))) {
                isFloat = true;
                ++pos;
                while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
                    ++pos;
            }
            if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
                size_t mark = pos++;
                if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
                    ++pos;
                if (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
                    isFloat = true;
                    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
                        ++pos;
                } else {
                    pos = mark;
                }
            }
            const char* first = text.data() + start;
            const char* last = text.data() + pos;
            if (isFloat) {
                token.kind = TToken::Float;
                auto [end, ec] = std::from_chars(first, last, token.real);
                if (ec != std::errc() || end != last)
                    fail(token.line, "Invalid number");
            } else {
                token.kind = TToken::Integer;
                auto [end, ec] = std::from_chars(first, last, token.integer);
                if (ec != std::errc() || end != last)
                    fail(token.line, "Number out of range");
            }
            if (pos < text.size() && isIdentChar(text[pos]))
                fail(token.line, "Invalid number");
        }
        token.text = text.substr(start, pos - start);
    }

    void readBinary()
    {
        token.kind = TToken::Binary;
        ++pos;
        int high = -1;
        for (;;) {
            if (pos >= text.size())
                fail(lineNo, "Unexpected end of file in binary data");
            char c = text[pos++];
            if (c == '}')
                break;
            if (c == '\n')
                ++lineNo;
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
                continue;
            int d = hexDigit(c);
            if (d < 0)
                fail(lineNo, "Invalid binary value");
            if (high < 0) {
                high = d;
            } else {
                token.text += static_cast<char>(high * 16 + d);
                high = -1;
            }
        }
        if (high >= 0)
            fail(lineNo, "Invalid binary value: odd number of digits");
    }

    const AnsiString& text;
    size_t pos = 0;
    int lineNo = 1;
    TToken token;
};

class TParser {
public:
    explicit TParser(const AnsiString& text) : tokens(text) {}

    TTextObject parseDocument()
    {
        TTextObject root = parseObject();
        if (tokens.current().kind != TToken::End)
            fail(tokens.line(), "Text after the end of the object: " + describe(tokens.current()));
        return root;
    }

    TTextValue parseSingleValue()
    {
        TTextValue v = parseValue();
        if (tokens.current().kind != TToken::End)
            fail(tokens.line(), "Unexpected " + describe(tokens.current()));
        return v;
    }

private:
    const TToken& cur() const { return tokens.current(); }

    bool isKeyword(const char* word) const { return cur().kind == TToken::Ident && AnsiSameText(cur().text, word); }
    bool isSymbol(char c) const { return cur().kind == TToken::Symbol && cur().symbol == c; }

    [[noreturn]] void expected(const AnsiString& what)
    {
        if (cur().kind == TToken::End)
            fail(cur().line, "Unexpected end of file, " + what + " expected");
        fail(cur().line, what + " expected but " + describe(cur()) + " found");
    }

    AnsiString ident()
    {
        if (cur().kind != TToken::Ident)
            expected("Identifier");
        AnsiString s = cur().text;
        tokens.advance();
        return s;
    }

    void symbol(char c)
    {
        if (!isSymbol(c))
            expected(Sprintf("'%c'", c));
        tokens.advance();
    }

    // [n] after a class name or item: the creation order, which reading does not need.
    void skipOrderIndex()
    {
        if (!isSymbol('['))
            return;
        tokens.advance();
        if (cur().kind != TToken::Integer)
            expected("Number");
        tokens.advance();
        symbol(']');
    }

    // Counts the objects and collections open around the parser; each level is a
    // recursion of its own.
    class TNestingLevel {
    public:
        TNestingLevel(int& depth, int line) : depth(depth)
        {
            if (depth >= maxNestingDepth)
                fail(line, Sprintf("Objects and collections nested deeper than %d levels", maxNestingDepth));
            ++depth;
        }
        ~TNestingLevel() { --depth; }
        TNestingLevel(const TNestingLevel&) = delete;
        TNestingLevel& operator=(const TNestingLevel&) = delete;

    private:
        int& depth;
    };

    TTextObject parseObject()
    {
        TNestingLevel level(depth, cur().line);
        TTextObject obj;
        obj.line = cur().line;
        if (isKeyword("object"))
            obj.kind = TTextObject::Object;
        else if (isKeyword("inherited"))
            obj.kind = TTextObject::Inherited;
        else if (isKeyword("inline"))
            obj.kind = TTextObject::Inline;
        else
            expected("'object'");
        tokens.advance();
        AnsiString first = ident();
        if (isSymbol(':')) {
            tokens.advance();
            obj.name = first;
            obj.className = ident();
        } else {
            obj.className = first;
        }
        skipOrderIndex();
        for (;;) {
            if (isKeyword("end")) {
                tokens.advance();
                return obj;
            }
            if (isKeyword("object") || isKeyword("inherited") || isKeyword("inline"))
                obj.children.push_back(parseObject());
            else if (cur().kind == TToken::Ident)
                obj.properties.push_back(parseProperty());
            else
                expected("Property name or 'end'");
        }
    }

    TTextProperty parseProperty()
    {
        TTextProperty p;
        p.line = cur().line;
        p.path = ident();
        while (isSymbol('.')) {
            tokens.advance();
            p.path += "." + ident();
        }
        symbol('=');
        p.value = parseValue();
        return p;
    }

    TTextValue parseValue()
    {
        TTextValue v;
        v.line = cur().line;
        switch (cur().kind) {
        case TToken::End:
            expected("Value");
        case TToken::Integer:
            v.kind = TTextValue::Integer;
            v.integer = cur().integer;
            tokens.advance();
            return v;
        case TToken::Float:
            v.kind = TTextValue::Float;
            v.real = cur().real;
            tokens.advance();
            return v;
        case TToken::String:
            v.kind = TTextValue::String;
            v.text = cur().text;
            tokens.advance();
            while (isSymbol('+')) {
                tokens.advance();
                if (cur().kind != TToken::String)
                    expected("String");
                v.text += cur().text;
                tokens.advance();
            }
            return v;
        case TToken::Ident:
            v.kind = TTextValue::Ident;
            v.text = cur().text;
            tokens.advance();
            return v;
        case TToken::Binary:
            v.kind = TTextValue::Binary;
            v.text = cur().text;
            tokens.advance();
            return v;
        case TToken::Symbol:
            break;
        }
        if (isSymbol('[')) {
            v.kind = TTextValue::Set;
            tokens.advance();
            if (!isSymbol(']')) {
                v.idents.push_back(ident());
                while (isSymbol(',')) {
                    tokens.advance();
                    v.idents.push_back(ident());
                }
            }
            symbol(']');
            return v;
        }
        if (isSymbol('(')) {
            v.kind = TTextValue::List;
            tokens.advance();
            while (!isSymbol(')')) {
                if (cur().kind == TToken::End || cur().kind == TToken::Symbol)
                    expected("')'");
                v.list.push_back(parseValue());
            }
            tokens.advance();
            return v;
        }
        if (isSymbol('<')) {
            TNestingLevel level(depth, cur().line);
            v.kind = TTextValue::Collection;
            tokens.advance();
            while (!isSymbol('>')) {
                TTextItem item;
                item.line = cur().line;
                if (!isKeyword("item"))
                    expected("'item' or '>'");
                tokens.advance();
                skipOrderIndex();
                while (!isKeyword("end")) {
                    if (cur().kind != TToken::Ident)
                        expected("Property name or 'end'");
                    item.properties.push_back(parseProperty());
                }
                tokens.advance();
                v.items.push_back(std::move(item));
            }
            tokens.advance();
            return v;
        }
        expected("Value");
    }

    TTokenizer tokens;
    int depth = 0;  // objects and collections being parsed
};

}  // namespace

TTextObject parseComponentText(const AnsiString& text)
{
    return TParser(text).parseDocument();
}

TTextValue parseValueText(const AnsiString& text)
{
    return TParser(text).parseSingleValue();
}

AnsiString quoteString(const AnsiString& text)
{
    if (text.empty())
        return "''";
    AnsiString out;
    bool quoted = false;
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c >= 32 && c < 127) {
            if (!quoted) {
                out += '\'';
                quoted = true;
            }
            if (c == '\'')
                out += '\'';
            out += ch;
        } else {
            if (quoted) {
                out += '\'';
                quoted = false;
            }
            out += Sprintf("#%d", static_cast<int>(AnsiCharToUnicode(ch)));
        }
    }
    if (quoted)
        out += '\'';
    return out;
}

}  // namespace varn::detail
