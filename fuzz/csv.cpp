// CSV reading: any bytes given to LoadFromCSV, with any options, are either
// refused with EVGCsvError, leaving the grid's rows as they were, or added as
// rows. Rows that were read write a file that reads back to the same cells and
// null flags, and that file writes out again byte for byte.
#include "support/FuzzInput.h"

#include "grid/VarnGrid.h"
#include "platform/SysUtils.h"

#include <sstream>
#include <string>

namespace {

void addColumns(TVarnGrid& grid, varn::fuzz::Input& input, int count)
{
    for (int i = 0; i < count; ++i) {
        TVGColumn* column = grid.Columns()->Add();
        column->SetFieldName("f" + std::to_string(i));
        column->SetCaption("F" + std::to_string(i));
        column->SetDataType(static_cast<VGDataType>(input.range(vgString, vgMoney)));
    }
}

std::string written(const TVarnGrid& grid, const TVGCsvOptions& options)
{
    std::ostringstream out;
    grid.SaveToCSV(out, options);
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    varn::fuzz::Input input(data, size);
    TVGCsvOptions options;
    const char separators[] = {0, ',', ';', '\t', '|', '"'};
    options.separator = separators[input.range(0, 5)];
    options.header = input.flag();
    options.isoForms = input.flag();
    options.encoding = input.flag() ? TVGCsvEncoding::Latin1 : TVGCsvEncoding::Utf8;
    int columns = input.range(1, 6);

    TVarnGrid grid(nullptr);
    addColumns(grid, input, columns);
    grid.AddRow("before");  // a row that was there, marked in its item data
    std::istringstream in(input.rest());
    try {
        TVGCsvReport report = grid.LoadFromCSV(in, options);
        FUZZ_CHECK(report.rows == grid.GetRowCount() - 1);
        FUZZ_CHECK(report.replacedCount >= static_cast<int>(report.replaced.size()));
    } catch (const EVGCsvError& error) {
        varn::fuzz::refused(error);
        FUZZ_CHECK(grid.GetRowCount() == 1 && grid.GetRowData(0) == "before");
        return 0;
    }

    const std::string text = written(grid, options);
    TVarnGrid copy(nullptr);
    for (int i = 0; i < columns; ++i) {
        TVGColumn* column = copy.Columns()->Add();
        column->SetCaption(grid.Columns()->Items(i)->Caption());
        column->SetDataType(grid.Columns()->Items(i)->DataType());
    }
    std::istringstream back(text);
    copy.LoadFromCSV(back, options);  // a file the grid wrote is never refused
    FUZZ_CHECK(copy.GetRowCount() == grid.GetRowCount());
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        for (int col = 0; col < columns; ++col) {
            FUZZ_CHECK(copy.GetRowInfo(row)->isNull[col] == grid.GetRowInfo(row)->isNull[col]);
            FUZZ_CHECK(copy.GetString(row, col) == grid.GetString(row, col));
        }
    }
    FUZZ_CHECK(written(copy, options) == text);
    return 0;
}
