// The memo: the edit control made multi-line, and its Lines.
//
// Lines keeps no text of its own: each read splits the field's text (again only
// when the text changed), and each change replaces just the characters of the
// line concerned in the field, so the field lays out only that paragraph again.
// Between BeginUpdate and EndUpdate (as when a form description is read) the
// changes gather in a list and the field gets the whole text once at the end.
#include "platform/Memo.h"

#include "platform/Streaming.h"

#include <algorithm>
#include <vector>

namespace {

struct LineSpan {
    int start = 0;
    int length = 0;
    int breakLength = 0;  // 0 for a last line without a break
};

std::vector<LineSpan> splitLines(const AnsiString& text)
{
    std::vector<LineSpan> spans;
    const int n = static_cast<int>(text.size());
    int p = 0;
    while (p < n) {
        int q = p;
        while (q < n && text[static_cast<size_t>(q)] != '\r' && text[static_cast<size_t>(q)] != '\n')
            ++q;
        int breakLength = 0;
        if (q < n)
            breakLength = (text[static_cast<size_t>(q)] == '\r' && q + 1 < n && text[static_cast<size_t>(q) + 1] == '\n') ? 2 : 1;
        spans.push_back({p, q - p, breakLength});
        p = q + breakLength;
    }
    return spans;
}

AnsiString joinLines(const std::vector<AnsiString>& lines)
{
    AnsiString text;
    for (const AnsiString& line : lines)
        text += line + "\r\n";
    return text;
}

}  // namespace

class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* memo) : memo(memo) {}

    AnsiString Get(int Index) const override
    {
        if (batching)
            return batch.at(checked(Index));
        const std::vector<LineSpan>& spans = read();
        const LineSpan& span = spans[static_cast<size_t>(checked(Index))];
        return cachedText.substr(static_cast<size_t>(span.start), static_cast<size_t>(span.length));
    }
    int GetCount() const override { return batching ? static_cast<int>(batch.size()) : static_cast<int>(read().size()); }

    void Put(int Index, const AnsiString& S) override
    {
        if (batching) {
            batch[static_cast<size_t>(checked(Index))] = S;
            return;
        }
        const LineSpan span = read()[static_cast<size_t>(checked(Index))];
        replaceRange(span.start, span.start + span.length, S);
    }

    void Insert(int Index, const AnsiString& S) override
    {
        if (batching) {
            if (Index < 0 || Index > static_cast<int>(batch.size()))
                Error("List index out of bounds (%d)", Index);
            batch.insert(batch.begin() + Index, S);
            return;
        }
        const std::vector<LineSpan> spans = read();
        const int count = static_cast<int>(spans.size());
        if (Index < 0 || Index > count)
            Error("List index out of bounds (%d)", Index);
        if (Index < count) {
            replaceRange(spans[static_cast<size_t>(Index)].start, spans[static_cast<size_t>(Index)].start, S + "\r\n");
            return;
        }
        // At the end: after the final break, or starting one.
        const int end = static_cast<int>(cachedText.size());
        bool endsWithBreak = count == 0 || spans.back().breakLength > 0;
        replaceRange(end, end, endsWithBreak ? S + "\r\n" : "\r\n" + S);
    }

    void Delete(int Index) override
    {
        if (batching) {
            batch.erase(batch.begin() + checked(Index));
            return;
        }
        const LineSpan span = read()[static_cast<size_t>(checked(Index))];
        replaceRange(span.start, span.start + span.length + span.breakLength, AnsiString());
    }

    void Clear() override
    {
        if (batching)
            batch.clear();
        else
            memo->SetText(AnsiString());
    }

    AnsiString Text() const override { return batching ? joinLines(batch) : memo->GetText(); }
    void SetText(const AnsiString& Value) override
    {
        if (batching) {
            TStrings::SetText(Value);
            return;
        }
        memo->SetText(Value);
    }

protected:
    void SetUpdateState(bool Updating) override
    {
        if (Updating) {
            batch.clear();
            const std::vector<LineSpan>& spans = read();
            for (const LineSpan& span : spans)
                batch.push_back(cachedText.substr(static_cast<size_t>(span.start), static_cast<size_t>(span.length)));
            batching = true;
            return;
        }
        batching = false;
        memo->SetText(joinLines(batch));
        batch.clear();
    }

private:
    int checked(int index) const
    {
        if (index < 0 || index >= GetCount())
            Error("List index out of bounds (%d)", index);
        return index;
    }

    const std::vector<LineSpan>& read() const
    {
        AnsiString text = memo->GetText();
        if (!valid || text != cachedText) {
            cachedText = std::move(text);
            spans = splitLines(cachedText);
            valid = true;
        }
        return spans;
    }

    // Replaces characters of the text through the field, as typing would, so that
    // it lays out only what changed.
    void replaceRange(int from, int to, const AnsiString& insert)
    {
        HWND field = memo->field();
        if (!field) {
            AnsiString text = memo->GetText();
            text.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), insert);
            memo->SetText(text);
            return;
        }
        SendMessage(field, EM_SETSEL, static_cast<WPARAM>(from), to);
        SendMessage(field, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(insert.c_str()));
    }

    TCustomMemo* memo;
    mutable AnsiString cachedText;
    mutable std::vector<LineSpan> spans;
    mutable bool valid = false;
    bool batching = false;
    std::vector<AnsiString> batch;  // the lines while updating
};

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this))
{
    FAutoSize = false;
    ControlStyle >> csFixedHeight;
    FWidth = 185;
    FHeight = 89;
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::Lines() const { return FLines.get(); }

void TCustomMemo::SetLines(TStrings* Value)
{
    if (Value && Value != FLines.get())
        SetText(Value->Text());
}

void TCustomMemo::CreateParams(TCreateParams& Params)
{
    TCustomEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
    if (FWordWrap)
        Params.Style &= ~ES_AUTOHSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        Params.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
        Params.Style |= WS_HSCROLL;
}

void TCustomMemo::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_GETDLGCODE) {
        TCustomEdit::Dispatch(Message);
        if (FWantTabs)
            Message.Result |= DLGC_WANTTAB;
        else
            Message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
        if (!FWantReturns)
            Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        return;
    }
    TCustomEdit::Dispatch(Message);
}

void TCustomMemo::KeyPress(char& Key)
{
    TCustomEdit::KeyPress(Key);
    if ((Key == '\r' && !FWantReturns) || (Key == '\t' && !FWantTabs))
        Key = 0;
}

void TCustomMemo::SetScrollBars(TScrollStyle Value)
{
    if (FScrollBars == Value)
        return;
    FScrollBars = Value;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value)
{
    if (FWordWrap == Value)
        return;
    FWordWrap = Value;
    RecreateWnd();
}

// As the framework reports it: the selection's start, on the lines shown.
TPoint TCustomMemo::CaretPos()
{
    HWND h = field();
    if (!h)
        return {};
    DWORD start = 0;
    SendMessage(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    auto line = static_cast<int>(SendMessage(h, EM_LINEFROMCHAR, start, 0));
    auto lineStart = static_cast<int>(SendMessage(h, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    return {static_cast<int>(start) - lineStart, line};
}

void TCustomMemo::SetCaretPos(const TPoint& Value)
{
    HWND h = field();
    if (!h)
        return;
    auto lineStart = static_cast<int>(SendMessage(h, EM_LINEINDEX, static_cast<WPARAM>(std::max(0, Value.y)), 0));
    if (lineStart < 0)
        lineStart = GetWindowTextLength(h);
    int position = lineStart + std::max(0, Value.x);
    SendMessage(h, EM_SETSEL, static_cast<WPARAM>(position), position);
}

namespace varn::detail {

void registerMemoClasses()
{
    static const TIdentList scrollStyleIdents = {
        {"ssNone", ssNone}, {"ssHorizontal", ssHorizontal}, {"ssVertical", ssVertical}, {"ssBoth", ssBoth}};
    using M = TCustomMemo;
    RegisterPublishedClass<TCustomMemo>("TCustomMemo", "TCustomEdit")
        .Hide({"AutoSize", "Text"})
        .Object<TStrings>("Lines", &M::Lines)
        .Enumeration("ScrollBars", &M::ScrollBars, &M::SetScrollBars, scrollStyleIdents, std::optional(ssNone))
        .Boolean("WantReturns", &M::WantReturns, &M::SetWantReturns, true)
        .Boolean("WantTabs", &M::WantTabs, &M::SetWantTabs, false)
        .Boolean("WordWrap", &M::WordWrap, &M::SetWordWrap, true);
    RegisterPublishedClass<TMemo>("TMemo", "TCustomMemo");
}

}  // namespace varn::detail
