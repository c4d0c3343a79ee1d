// Options and results of the grid's CSV files (TVarnGrid::SaveToCSV, LoadFromCSV).
#pragma once

#include "platform/SysUtils.h"

#include <vector>

enum class TVGCsvEncoding { Utf8, Latin1 };

struct TVGCsvOptions {
    // Field separator; 0 picks ';' where the decimal mark is a comma, else ','.
    char separator = 0;
    // A first line of captions: written, and skipped when reading.
    bool header = true;
    // ISO forms instead of the locale's: dates 2006-03-05, numbers with a
    // decimal point and no thousands marks (times and yes/no are the same).
    bool isoForms = false;
    // The file's characters: UTF-8 (a leading byte-order mark is skipped when
    // reading), or the grid's own 8-bit code page.
    TVGCsvEncoding encoding = TVGCsvEncoding::Utf8;
};

// A cell read from UTF-8 with characters the grid's code page lacks; they were
// replaced by '?'.
struct TVGCsvReplaced {
    int line = 0;  // 1-based line of the file where the record starts
    int col = 0;
    AnsiString text;  // as stored
};

struct TVGCsvReport {
    int rows = 0;  // rows added
    int replacedCount = 0;
    std::vector<TVGCsvReplaced> replaced;  // the first 1000
};

// A file the grid refuses: malformed quoting, a value its column cannot take,
// more fields than columns, bytes that are not UTF-8. Nothing of it was added.
class EVGCsvError : public Exception {
public:
    EVGCsvError(int line, const AnsiString& message);
    int Line() const { return line; }

private:
    int line;
};
