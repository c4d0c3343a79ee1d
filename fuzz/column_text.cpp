// Column definition text: any text given to a grid as ColData either builds
// columns or is refused with a conversion error, keeping the columns read before
// the fault. Whatever columns result write out a text that, given back, changes
// nothing, and a row class can always be generated for them.
#include "support/FuzzInput.h"

#include "grid/VarnGrid.h"
#include "platform/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    varn::fuzz::Input input(data, size);
    TVarnGrid grid(nullptr);
    TStringList lines;
    lines.SetText(input.rest());
    try {
        grid.SetColData(&lines);
    } catch (const EConvertError& error) {
        varn::fuzz::refused(error);
    }

    auto written = grid.GenerateColData();
    const AnsiString text = written->Text();
    FUZZ_CHECK(text.rfind("<TVGColumnCollection>\r\n", 0) == 0);
    FUZZ_CHECK(text.size() >= 24 && text.compare(text.size() - 24, 24, "</TVGColumnCollection>\r\n") == 0);

    const int count = grid.Columns()->Count();
    grid.SetColData(written.get());
    FUZZ_CHECK(grid.Columns()->Count() == count);
    FUZZ_CHECK(grid.GenerateColData()->Text() == text);

    auto rowCode = grid.GenerateRowCode();
    FUZZ_CHECK(rowCode->Count() > 0);
    return 0;
}
