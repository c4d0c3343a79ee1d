// Sorting from the header, copy and paste of rows as tab-separated text,
// type-ahead search and fitting a column to its text.
#include "grid/VarnGrid.h"

#include "db/DBDate.h"
#include "grid/VGHead.h"
#include "grid/VGScrollBox.h"
#include "grid/VarnRow.h"
#include "platform/Clipbrd.h"
#include "platform/Forms.h"
#include "utils/Cnvtools.h"

#include <algorithm>
#include <cstdio>

namespace {

// Type-ahead characters further apart than this start a new search.
constexpr DWORD typeAheadPause = 1000;

// The shown text of a cell without the one-space padding of its alignment.
AnsiString shownText(TVGScrollBox* body, TVarnGrid* grid, int row, int col)
{
    AnsiString text = body->GetCellText(row, col);
    TVarnGrid_rowInfo* info = grid->GetRowInfo(row);
    if (info->unicolumn || col >= grid->Columns()->Count()) {
        if (info->unicolumn && text.starts_with(" "))
            text.erase(0, 1);
        return text;
    }
    switch (grid->Columns()->Items(col)->Alignment()) {
    case taLeftJustify:
        if (text.starts_with(" "))
            text.erase(0, 1);
        break;
    case taRightJustify:
        if (text.ends_with(" "))
            text.pop_back();
        break;
    default: break;
    }
    return text;
}

// A field of tab-separated text, quoted when it holds a tab, a quote or a line break.
void appendField(AnsiString& out, const AnsiString& field)
{
    if (field.find_first_of("\t\"\r\n") == AnsiString::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// Splits tab-separated text into rows of fields: quoted fields may hold tabs,
// line breaks and doubled quotes; CRLF, LF and CR end a row; a last line break
// ends the text.
std::vector<std::vector<AnsiString>> splitTabbed(const AnsiString& text)
{
    std::vector<std::vector<AnsiString>> result;
    std::vector<AnsiString> row;
    AnsiString field;
    size_t i = 0;
    size_t n = text.size();
    bool rowOpen = false;
    while (i < n) {
        rowOpen = true;
        if (text[i] == '"' && field.empty()) {
            // A quoted field, up to the quote that is not doubled.
            size_t j = i + 1;
            AnsiString quoted;
            bool closed = false;
            while (j < n) {
                if (text[j] == '"') {
                    if (j + 1 < n && text[j + 1] == '"') {
                        quoted += '"';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                quoted += text[j++];
            }
            if (closed && (j == n || text[j] == '\t' || text[j] == '\r' || text[j] == '\n')) {
                field = quoted;
                i = j;
                continue;
            }
            // Not a well-formed quoted field: the quote is plain text.
        }
        char c = text[i];
        if (c == '\t') {
            row.push_back(field);
            field.clear();
            ++i;
        } else if (c == '\r' || c == '\n') {
            row.push_back(field);
            field.clear();
            result.push_back(std::move(row));
            row.clear();
            rowOpen = false;
            i += c == '\r' && i + 1 < n && text[i + 1] == '\n' ? 2 : 1;
        } else {
            field += c;
            ++i;
        }
    }
    if (rowOpen) {
        row.push_back(field);
        result.push_back(std::move(row));
    }
    return result;
}

// The stored text of a pasted cell for its column, or false when it does not
// convert. Dates and times are read in the locale's form or ISO form, yes/no
// by the column's shown texts or values, numbers in the locale's form.
bool storedForm(TVGColumn* column, const AnsiString& pasted, AnsiString& stored)
{
    AnsiString text = Trim(pasted);
    switch (column->DataType()) {
    case vgString: stored = pasted; return true;
    case vgDate: {
        TDateTime value;
        int y = 0, m = 0, d = 0;
        if (text.size() == 10 && text[4] == '-' && text[7] == '-' &&
            std::sscanf(text.c_str(), "%4d-%2d-%2d", &y, &m, &d) == 3 && TryEncodeDate(y, m, d, value)) {
        } else if (TryStrToDate(text, value)) {
            DecodeDate(value, y, m, d);
        } else {
            return false;
        }
        stored = sDB_date{d, m, y}.dateString();
        return true;
    }
    case vgTime: {
        TDateTime value;
        if (!TryStrToTime(text, value))
            return false;
        int h, mi, s, ms;
        DecodeTime(value, h, mi, s, ms);
        stored = sDB_time{h, mi}.toString();
        return true;
    }
    case vgBoolean: {
        TStringList* values = column->ComboValues();
        TStringList* texts = column->ComboTexts();
        for (int i = 0; i < values->Count(); ++i) {
            if ((i < texts->Count() && AnsiSameText(texts->Get(i), text)) || AnsiSameText(values->Get(i), text)) {
                stored = values->Get(i);
                return true;
            }
        }
        return false;
    }
    case vgInteger: {
        int value;
        if (!TryStrToInt(text, value))
            return false;
        stored = cnvIntToStr(value);
        return true;
    }
    case vgFloat:
    case vgMoney: {
        double value;
        if (!TryStrToFloat(text, value)) {
            // Money is shown with thousands marks.
            try {
                value = cnvStrToDouble(text);
            } catch (const EConvertError&) {
                return false;
            }
        }
        stored = column->DataType() == vgFloat ? cnvDoubleToStr(value, 2) : cnvDoubleToMoney(value);
        return true;
    }
    }
    return false;
}

}  // namespace

// ---- Sorting from the header -----------------------------------------------------------------

void TVarnGrid::SetSortOnHeaderClick(bool value)
{
    FSortOnHeaderClick = value;
    header->Invalidate();
}

void TVarnGrid::SortByHeader(int col, bool adding)
{
    if (col < 0 || col >= FColumns->Count() || col >= VGCellCount)
        return;
    auto found = std::find_if(headerSortKeys.begin(), headerSortKeys.end(),
                              [col](const TVGSortKey& key) { return key.col == col; });
    if (adding) {
        if (found != headerSortKeys.end())
            found->descending = !found->descending;
        else
            headerSortKeys.push_back({col, false});
    } else {
        bool turn = found == headerSortKeys.begin() && found != headerSortKeys.end();
        bool descending = turn && !found->descending;
        headerSortKeys = {{col, descending}};
    }

    AnsiString keys;
    std::vector<bool> descending;
    for (const TVGSortKey& key : headerSortKeys) {
        if (!keys.empty())
            keys += ",";
        keys += FColumns->Items(key.col)->FieldName();
        descending.push_back(key.descending);
    }
    // The current row is found again by its record, which the sort only moves.
    TVarnGrid_rowInfo* current = RowIndex >= 0 && RowIndex < GetRowCount() ? rows.Get(RowIndex) : nullptr;
    SortBy(keys, descending);
    if (current) {
        for (int i = 0; i < GetRowCount(); ++i) {
            if (rows.Get(i) == current) {
                RowIndex = i;
                EnsureRowVisible(i);
                break;
            }
        }
    }
    header->Invalidate();
}

// ---- Copy and paste ----------------------------------------------------------------------------

AnsiString TVarnGrid::SelectionAsText() const
{
    std::vector<int> copied;
    if (FMultiselect) {
        for (int row = 0; row < GetRowCount(); ++row)
            if (rows.Get(row)->selected)
                copied.push_back(row);
    }
    if (copied.empty() && RowIndex >= 0 && RowIndex < GetRowCount())
        copied.push_back(RowIndex);
    if (copied.empty())
        return AnsiString();

    int columns = std::min(FColumns->Count(), VGCellCount);
    AnsiString out;
    if (FCopyCaptions) {
        for (int col = 0; col < columns; ++col) {
            if (col > 0)
                out += '\t';
            appendField(out, FColumns->Items(col)->Caption());
        }
        out += "\r\n";
    }
    for (int row : copied) {
        bool unicolumn = rows.Get(row)->unicolumn;
        for (int col = 0; col < (unicolumn ? 1 : columns); ++col) {
            if (col > 0)
                out += '\t';
            appendField(out, shownText(body, const_cast<TVarnGrid*>(this), row, col));
        }
        out += "\r\n";
    }
    return out;
}

void TVarnGrid::CopyToClipboard()
{
    AnsiString text = SelectionAsText();
    if (!text.empty())
        Clipboard()->SetAsText(text);
}

int TVarnGrid::PasteText(const AnsiString& text)
{
    std::vector<std::vector<AnsiString>> block = splitTabbed(text);
    if (block.empty() || (RowIndex < 0 && !(FAutoAddRow && GetRowCount() == 0)))
        return 0;
    int firstRow = RowIndex >= 0 ? RowIndex : 0;
    // A current row left past the end by a deletion has no cells to paste into.
    if (firstRow > GetRowCount())
        return 0;
    int firstCol = colIndex >= 0 ? colIndex : 0;
    int columns = std::min(FColumns->Count(), VGCellCount);

    struct Failure {
        int row, col;
        AnsiString text;
    };
    std::vector<Failure> failures;
    TVarnRow writer(this);
    for (size_t r = 0; r < block.size(); ++r) {
        int row = firstRow + static_cast<int>(r);
        if (row >= GetRowCount()) {
            if (!FAutoAddRow)
                break;
            AddRow();
        }
        writer.row = row;
        bool unicolumn = rows.Get(row)->unicolumn;
        for (size_t f = 0; f < block[r].size(); ++f) {
            int col = firstCol + static_cast<int>(f);
            if (col >= columns)
                break;
            TVGColumn* column = FColumns->Items(col);
            const AnsiString& pasted = block[r][f];
            AnsiString stored;
            // A unicolumn row (a title across the columns) takes no cells.
            if (unicolumn || column->ReadOnly() || !storedForm(column, pasted, stored)) {
                failures.push_back({row, col, pasted});
                continue;
            }
            if (Trim(pasted).empty() && column->DataType() != vgString) {
                writer.SetString(col, AnsiString());
                writer.SetNull(col, true);
            } else {
                writer.SetString(col, stored);
            }
            if (row == RowIndex)
                rowModified = true;
            if (OnCellModified)
                OnCellModified(row, col);
        }
    }
    body->UpdateScroll(false);
    body->Invalidate();

    if (!failures.empty()) {
        if (OnPasteError) {
            for (const Failure& failure : failures)
                OnPasteError(failure.row, failure.col, failure.text);
        } else {
            AnsiString message = "No se pegaron estos valores:";
            for (size_t i = 0; i < failures.size() && i < 10; ++i)
                message += "\nfila " + IntToStr(failures[i].row + 1) + ", " + FColumns->Items(failures[i].col)->Caption() +
                           ": '" + failures[i].text + "'";
            if (failures.size() > 10)
                message += "\n...";
            Application->MessageBox(message, "", MB_OK);
        }
    }
    return static_cast<int>(failures.size());
}

void TVarnGrid::PasteFromClipboard()
{
    if (FEditable && Clipboard()->HasFormat(CF_TEXT))
        PasteText(Clipboard()->AsText());
}

void TVarnGrid::clipboardKey(WORD key, TShiftState shift)
{
    if (shift.Contains(ssAlt))
        return;
    bool ctrl = shift.Contains(ssCtrl);
    bool shifted = shift.Contains(ssShift);
    if (ctrl && !shifted && (key == 'C' || key == VK_INSERT))
        CopyToClipboard();
    else if (FEditable && !InEdit() && ((ctrl && !shifted && key == 'V') || (shifted && !ctrl && key == VK_INSERT)))
        PasteFromClipboard();
}

// ---- Type-ahead --------------------------------------------------------------------------------

bool TVarnGrid::SearchTyped(char ch)
{
    int count = GetRowCount();
    if (count == 0)
        return false;
    DWORD now = GetTickCount();
    bool continuing = !typedPrefix.empty() && now - typedAt <= typeAheadPause;
    typedAt = now;
    typedPrefix = continuing ? typedPrefix + ch : AnsiString(1, ch);

    int col = headerSortKeys.empty() ? 0 : headerSortKeys.front().col;
    AnsiString needle = cnvRemoveAccents(AnsiUpperCase(typedPrefix));
    // A longer text may still match the current row; a new one starts after it.
    int start = RowIndex < 0 || RowIndex >= count ? 0 : continuing ? RowIndex : RowIndex + 1;
    for (int k = 0; k < count; ++k) {
        int row = (start + k) % count;
        if (rows.Get(row)->unicolumn)
            continue;
        AnsiString shown = cnvRemoveAccents(AnsiUpperCase(shownText(body, this, row, col)));
        if (shown.starts_with(needle)) {
            if (row != RowIndex)
                SetRowIndex(row);
            EnsureRowVisible(row);
            return true;
        }
    }
    return false;
}

// ---- Fitting a column ----------------------------------------------------------------------

int TVarnGrid::FittedWidth(int col, bool allRows)
{
    if (col < 0 || col >= FColumns->Count())
        return 0;
    // Text is measured on the windows; without them the width stays.
    if (!body->HandleAllocated() || !header->HandleAllocated())
        return FColumns->Items(col)->Width();
    // In the font of the body's canvas, which the cells are drawn with; the
    // canvas gives its device context back when it goes.
    TControlCanvas measure;
    measure.SetControl(body);
    measure.SetFont(body->BodyCanvas()->Font());
    TCanvas* canvas = &measure;
    int space = canvas->TextWidth(" ");
    int widest = 0;
    int first = allRows ? 0 : std::max(GetRowTop(), 0);
    int last = allRows ? GetRowCount() : std::min(GetRowCount(), first + GetNumOfEntireRows() + 1);
    for (int row = first; row < last; ++row) {
        if (rows.Get(row)->unicolumn)
            continue;
        widest = std::max(widest, canvas->TextWidth(shownText(body, this, row, col)));
    }
    TControlCanvas headCanvas;
    headCanvas.SetControl(header);
    headCanvas.SetFont(header->Font());
    widest = std::max(widest, headCanvas.TextWidth(FColumns->Items(col)->Caption()));
    // Cell padding: a space on either side and the grid line.
    int width = widest + 2 * space + 1;
    // The first column also holds the check box and image room.
    if (col == 0)
        width += body->GetCellRect(-1, 0).left - body->ColumnEdge(0);
    return width;
}

void TVarnGrid::AutoFitColumn(int col, bool allRows)
{
    int width = FittedWidth(col, allRows);
    if (width <= 0)
        return;
    // As a header drag does: the filler column takes up the difference afterwards.
    AnsiString filler = FCol100x100;
    SetCol100x100("");
    FColumns->Items(col)->SetWidth(width);
    SetCol100x100(filler);
    Invalidate();
}
