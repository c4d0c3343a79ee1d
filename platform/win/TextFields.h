// What the edit field and the rich-text field share: the window procedure that
// keeps a field object behind each window, and the word steps of Ctrl+Left and
// Ctrl+Right.
#pragma once

#include "platform/win/Windows.h"

namespace varn::detail {

// Letters and digits of the code page, and '_'.
inline bool isWordCharacter(char c)
{
    auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' ||
           (u >= 0xC0 && u != 0xD7 && u != 0xF7) || u == 0xAA || u == 0xB5 || u == 0xBA;
}

enum class CharClass { Blank, Break, Word, Other };

inline CharClass classOf(char c)
{
    if (c == ' ' || c == '\t')
        return CharClass::Blank;
    if (c == '\r' || c == '\n' || c == '\v')
        return CharClass::Break;
    return isWordCharacter(c) ? CharClass::Word : CharClass::Other;
}

// A word step passes one run of a class (a line break is a run of its own,
// breakWidth characters: CR LF counts as one break) and the blanks after it.
// text(i) gives the character at i of a text n long.
template <class Text, class BreakWidth>
int wordRight(int p, int n, Text text, BreakWidth breakWidth)
{
    if (p >= n)
        return n;
    const CharClass start = classOf(text(p));
    if (start == CharClass::Break) {
        p += breakWidth(p);
    } else if (start != CharClass::Blank) {
        while (p < n && classOf(text(p)) == start)
            ++p;
    }
    while (p < n && classOf(text(p)) == CharClass::Blank)
        ++p;
    return p;
}

// The step back: the blanks before p, then one run (breakWidth(p) for a break
// that ends at p).
template <class Text, class BreakWidth>
int wordLeft(int p, Text text, BreakWidth breakWidth)
{
    while (p > 0 && classOf(text(p - 1)) == CharClass::Blank)
        --p;
    if (p == 0)
        return 0;
    const CharClass before = classOf(text(p - 1));
    if (before == CharClass::Break)
        return p - breakWidth(p);
    while (p > 0 && classOf(text(p - 1)) == before)
        --p;
    return p;
}

// The window procedure of a field class: the field object is made on
// WM_NCCREATE and kept in the window property `property`; it outlives a message
// that destroys its window until that message returns.
template <class Field>
LRESULT fieldWindowProc(const char* property, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* field = static_cast<Field*>(GetProp(hwnd, property));
    if (!field) {
        if (message != WM_NCCREATE || !lParam)
            return DefWindowProc(hwnd, message, wParam, lParam);
        field = new Field(hwnd, *reinterpret_cast<const CREATESTRUCT*>(lParam));
        SetProp(hwnd, property, field);
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
    struct Depth {
        Field* field;
        explicit Depth(Field* f) : field(f) { ++field->depth; }
        ~Depth()
        {
            if (--field->depth == 0 && field->destroyed)
                delete field;
        }
    } depth(field);
    return field->handle(message, wParam, lParam);
}

// Registers a field's window class: double clicks, the I-beam cursor.
inline void registerFieldClass(const char* name, WNDPROC procedure)
{
    WNDCLASS fieldClass;
    fieldClass.style = CS_DBLCLKS;
    fieldClass.lpfnWndProc = procedure;
    fieldClass.hCursor = LoadCursor(nullptr, crIBeam);
    fieldClass.lpszClassName = name;
    RegisterClass(&fieldClass);
}

}  // namespace varn::detail
