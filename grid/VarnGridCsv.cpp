// The grid's rows as CSV files: quoting after RFC 4180, the locale's or ISO
// value forms, UTF-8 or the grid's code page, read and written through fixed
// buffers so that memory beyond the rows stays small.
#include "grid/VarnGrid.h"

#include "db/DBDate.h"
#include "grid/VGHead.h"
#include "grid/VGScrollBox.h"
#include "platform/win/Charset.h"
#include "utils/Cnvtools.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>

EVGCsvError::EVGCsvError(int line, const AnsiString& message)
    : Exception(line > 0 ? "line " + IntToStr(line) + ": " + message : message), line(line)
{
}

namespace {

constexpr size_t bufferSize = 1 << 20;
constexpr size_t replacedKept = 1000;

char separatorOf(const TVGCsvOptions& options)
{
    if (options.separator == '"' || options.separator == '\r' || options.separator == '\n')
        throw EVGCsvError(0, "a quote or a line break cannot separate fields");
    if (options.separator)
        return options.separator;
    return FormatSettings.DecimalSeparator == ',' ? ';' : ',';
}

// UTF-8 of every byte of the code page.
const std::array<std::string, 256>& utf8Table()
{
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> t;
        for (int c = 0; c < 256; ++c)
            t[static_cast<size_t>(c)] = AnsiToUtf8(AnsiString(1, static_cast<char>(c)));
        return t;
    }();
    return table;
}

// ---- Values in ISO form --------------------------------------------------------------------------

// "05/03/2006" as stored becomes "2006-03-05"; a text that is no date stays.
AnsiString isoDate(std::string_view stored)
{
    sDB_date date;
    date.setFromText(AnsiString(stored));
    TDateTime unused;
    if (!TryEncodeDate(date.year, date.month, date.day, unused))
        return AnsiString(stored);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buffer;
}

// "1.234,50" as stored becomes "1234.50".
AnsiString isoNumber(std::string_view stored)
{
    AnsiString out;
    out.reserve(stored.size());
    for (char c : stored) {
        if (c == FormatSettings.ThousandSeparator)
            continue;
        out += c == FormatSettings.DecimalSeparator ? '.' : c;
    }
    return out;
}

// The text has a digit wherever the pattern has 9 and the pattern's other
// characters elsewhere.
bool hasDigitsAt(const AnsiString& text, std::string_view pattern)
{
    if (text.size() != pattern.size())
        return false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == '9' ? !digit : text[i] != pattern[i])
            return false;
    }
    return true;
}

// The stored text for a read field, or false when the column cannot take it.
bool storedValue(VGDataType type, bool iso, AnsiString& text)
{
    switch (type) {
    case vgString:
    case vgBoolean: return true;
    case vgDate: {
        if (iso) {
            int y = 0, m = 0, d = 0;
            char end = 0;
            TDateTime unused;
            if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &end) != 3 ||
                !TryEncodeDate(y, m, d, unused))
                return false;
            text = sDB_date{d, m, y}.dateString();
            return true;
        }
        // The grid reads stored dates by fixed positions: other forms the
        // locale accepts (1/2/2000) are stored in the short form.
        TDateTime value;
        if (!TryStrToDate(text, value))
            return false;
        if (!hasDigitsAt(text, "99/99/9999")) {
            int y, m, d;
            DecodeDate(value, y, m, d);
            text = sDB_date{d, m, y}.dateString();
        }
        return true;
    }
    case vgTime: {
        TDateTime value;
        if (!TryStrToTime(text, value))
            return false;
        if (!hasDigitsAt(text, "99:99")) {
            int h, m, sec, ms;
            DecodeTime(value, h, m, sec, ms);
            text = sDB_time{h, m}.toString();
        }
        return true;
    }
    case vgInteger: {
        int value;
        return TryStrToInt(text, value);
    }
    case vgFloat:
    case vgMoney: {
        double value;
        if (iso) {
            AnsiString local = text;
            for (char& c : local)
                if (c == '.')
                    c = FormatSettings.DecimalSeparator;
            if (local.find(FormatSettings.ThousandSeparator) != AnsiString::npos || !TryStrToFloat(local, value))
                return false;
            text = type == vgFloat ? cnvDoubleToStr(value, 2) : cnvDoubleToMoney(value);
            return true;
        }
        if (TryStrToFloat(text, value))
            return true;
        try {
            cnvStrToDouble(text);  // money with thousands marks
            return true;
        } catch (const EConvertError&) {
            return false;
        }
    }
    }
    return false;
}

// ---- Writing ---------------------------------------------------------------------------------

class CsvWriter {
public:
    CsvWriter(std::ostream& out, const TVGCsvOptions& options)
        : out(out), separator(separatorOf(options)), utf8(options.encoding == TVGCsvEncoding::Utf8)
    {
        buffer.reserve(bufferSize + 4096);
    }

    void field(std::string_view text, bool first)
    {
        if (!first)
            buffer += separator;
        bool quoted = text.empty();
        for (char c : text) {
            if (c == separator || c == '"' || c == '\r' || c == '\n') {
                quoted = true;
                break;
            }
        }
        if (quoted)
            buffer += '"';
        const auto& table = utf8Table();
        for (char c : text) {
            if (c == '"')
                buffer += '"';
            if (utf8 && static_cast<unsigned char>(c) >= 0x80)
                buffer += table[static_cast<unsigned char>(c)];
            else
                buffer += c;
        }
        if (quoted)
            buffer += '"';
    }
    void nullField(bool first)
    {
        if (!first)
            buffer += separator;
    }
    void endRecord()
    {
        buffer += "\r\n";
        if (buffer.size() >= bufferSize)
            flush();
    }
    void flush()
    {
        out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        buffer.clear();
        if (!out)
            throw EVGCsvError(0, "the CSV file could not be written");
    }

private:
    std::ostream& out;
    char separator;
    bool utf8;
    std::string buffer;
};

// ---- Reading ---------------------------------------------------------------------------------

// Splits the stream into records of fields, checking the quoting.
class CsvReader {
public:
    CsvReader(std::istream& in, const TVGCsvOptions& options)
        : in(in), separator(separatorOf(options)), utf8(options.encoding == TVGCsvEncoding::Utf8)
    {
        buffer.resize(bufferSize);
    }

    // The next record, false at the end. fields[i] is null when nulls[i].
    bool next(std::vector<AnsiString>& fields, std::vector<bool>& nulls, int& startLine);
    // The line where the current record started.
    int line = 1;

private:
    int get()
    {
        if (pos == filled) {
            if (eof)
                return -1;
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            filled = static_cast<size_t>(in.gcount());
            pos = 0;
            if (filled == 0) {
                eof = true;
                return -1;
            }
            if (firstRead) {
                firstRead = false;
                // A UTF-8 byte-order mark is not text.
                if (utf8 && filled >= 3 && std::memcmp(buffer.data(), "\xEF\xBB\xBF", 3) == 0)
                    pos = 3;
                if (pos == filled)
                    return get();
            }
        }
        return static_cast<unsigned char>(buffer[pos++]);
    }
    int peek()
    {
        int c = get();
        if (c != -1)
            --pos;
        return c;
    }
    bool decode(AnsiString& field, int fieldLine);

    std::istream& in;
    char separator;
    bool utf8;
    std::vector<char> buffer;
    size_t pos = 0;
    size_t filled = 0;
    bool eof = false;
    bool firstRead = true;

public:
    // Per field of the last record: characters outside the code page were replaced.
    std::vector<bool> replaced;
};

// UTF-8 bytes of a field become the code page's; characters it lacks become '?'.
bool CsvReader::decode(AnsiString& field, int fieldLine)
{
    bool replacedChars = false;
    size_t i = 0;
    while (i < field.size() && static_cast<unsigned char>(field[i]) < 0x80)
        ++i;
    if (i == field.size())
        return false;
    AnsiString out(field, 0, i);
    while (i < field.size()) {
        unsigned char c = static_cast<unsigned char>(field[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        int length = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        if (length == 0 || i + length > field.size())
            throw EVGCsvError(fieldLine, "the text is not UTF-8");
        char32_t code = length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
        for (int k = 1; k < length; ++k) {
            unsigned char more = static_cast<unsigned char>(field[i + k]);
            if ((more & 0xC0) != 0x80)
                throw EVGCsvError(fieldLine, "the text is not UTF-8");
            code = (code << 6) | (more & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
            throw EVGCsvError(fieldLine, "the text is not UTF-8");
        int byte = UnicodeToAnsiChar(code);
        if (byte < 0) {
            out += '?';
            replacedChars = true;
        } else {
            out += static_cast<char>(byte);
        }
        i += static_cast<size_t>(length);
    }
    field = std::move(out);
    return replacedChars;
}

bool CsvReader::next(std::vector<AnsiString>& fields, std::vector<bool>& nulls, int& startLine)
{
    fields.clear();
    nulls.clear();
    replaced.clear();
    int c = get();
    if (c == -1)
        return false;
    startLine = line;
    AnsiString field;
    for (;;) {
        // One field, c its first character.
        field.clear();
        bool quotedField = false;
        if (c == '"') {
            quotedField = true;
            int quoteLine = line;
            for (;;) {
                c = get();
                if (c == -1)
                    throw EVGCsvError(quoteLine, "a quoted field is not closed");
                if (c == '"') {
                    if (peek() == '"') {
                        get();
                        field += '"';
                        continue;
                    }
                    c = get();
                    break;
                }
                if (c == '\n')
                    ++line;
                field += static_cast<char>(c);
            }
            if (c != -1 && c != separator && c != '\r' && c != '\n')
                throw EVGCsvError(line, "text after the closing quote of a field");
        } else {
            while (c != -1 && c != separator && c != '\r' && c != '\n') {
                if (c == '"')
                    throw EVGCsvError(line, "a quote inside a field that does not start with one");
                field += static_cast<char>(c);
                c = get();
            }
        }
        replaced.push_back(utf8 && decode(field, line));
        nulls.push_back(!quotedField && field.empty());
        fields.push_back(field);
        if (c == separator) {
            c = get();
            continue;
        }
        // End of the record: CRLF, LF, CR or the end of the file.
        if (c == '\r' && peek() == '\n')
            get();
        if (c != -1)
            ++line;
        return true;
    }
}

}  // namespace

// ---- The grid's side ------------------------------------------------------------------------------

void TVarnGrid::SaveToCSV(std::ostream& out, const TVGCsvOptions& options) const
{
    CsvWriter writer(out, options);
    int columns = std::min(FColumns->Count(), VGCellCount);
    if (options.header && columns > 0) {
        for (int col = 0; col < columns; ++col)
            writer.field(FColumns->Items(col)->Caption(), col == 0);
        writer.endRecord();
    }
    std::vector<VGDataType> types;
    for (int col = 0; col < columns; ++col)
        types.push_back(FColumns->Items(col)->DataType());
    AnsiString converted;
    for (int row = 0; row < GetRowCount(); ++row) {
        const TVarnGrid_rowInfo* info = rows.Get(row);
        for (int col = 0; col < columns; ++col) {
            if (info->isNull[col] || (info->unicolumn && col > 0)) {
                writer.nullField(col == 0);
                continue;
            }
            std::string_view text = info->cellView(col);
            if (options.isoForms && !text.empty() && !info->unicolumn) {
                switch (types[static_cast<size_t>(col)]) {
                case vgDate: converted = isoDate(text); text = converted; break;
                case vgFloat:
                case vgMoney: converted = isoNumber(text); text = converted; break;
                default: break;
                }
            }
            writer.field(text, col == 0);
        }
        writer.endRecord();
    }
    writer.flush();
    out.flush();
    if (!out)
        throw EVGCsvError(0, "the CSV file could not be written");
}

void TVarnGrid::SaveToCSV(const AnsiString& fileName, const TVGCsvOptions& options) const
{
    std::ofstream out(AnsiToUtf8(fileName), std::ios::binary | std::ios::trunc);
    if (!out)
        throw EVGCsvError(0, "cannot create the file " + fileName);
    SaveToCSV(out, options);
}

TVGCsvReport TVarnGrid::LoadFromCSV(std::istream& in, const TVGCsvOptions& options)
{
    CsvReader reader(in, options);
    int columns = std::min(FColumns->Count(), VGCellCount);
    std::vector<VGDataType> types;
    for (int col = 0; col < columns; ++col)
        types.push_back(FColumns->Items(col)->DataType());

    TVGCsvReport report;
    int before = rows.Count();
    std::vector<AnsiString> fields;
    std::vector<bool> nulls;
    int line = 0;
    try {
        bool skipHeader = options.header;
        while (reader.next(fields, nulls, line)) {
            if (skipHeader) {
                skipHeader = false;
                continue;
            }
            if (static_cast<int>(fields.size()) > columns)
                throw EVGCsvError(line, IntToStr(static_cast<long long>(fields.size())) + " fields, the grid has " +
                                            IntToStr(columns) + " columns");
            TVarnGrid_rowInfo* info = rows.Add();
            for (size_t f = 0; f < fields.size(); ++f) {
                if (nulls[f])
                    continue;
                int col = static_cast<int>(f);
                AnsiString& text = fields[f];
                if (!text.empty() && !storedValue(types[f], options.isoForms, text))
                    throw EVGCsvError(line, "'" + text + "' is not a value of column " + IntToStr(col + 1) + " (" +
                                                FColumns->Items(col)->Caption() + ")");
                info->setCells(col, text);
                info->isNull[col] = false;
                if (reader.replaced[f]) {
                    if (report.replaced.size() < replacedKept)
                        report.replaced.push_back({line, col, text});
                    ++report.replacedCount;
                }
            }
            ++report.rows;
        }
    } catch (...) {
        while (rows.Count() > before)
            rows.Delete(rows.Count() - 1);
        body->UpdateScroll(true);
        throw;
    }
    if (!FCol100x100.empty() && Visible())
        UpdateColumns();
    body->UpdateScroll(false);
    body->Invalidate();
    return report;
}

TVGCsvReport TVarnGrid::LoadFromCSV(const AnsiString& fileName, const TVGCsvOptions& options)
{
    std::ifstream in(AnsiToUtf8(fileName), std::ios::binary);
    if (!in)
        throw EVGCsvError(0, "cannot open the file " + fileName);
    return LoadFromCSV(in, options);
}
