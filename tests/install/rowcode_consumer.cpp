// A program outside the tree that uses a row class varn-rowcode generated from
// EveryType.form: writes one row through it and reads it back. none_dataRow is
// the class of a grid without columns.
#include <VarnControls.h>

#include "every_dataRow.h"
#include "none_dataRow.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

int failures = 0;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::printf("wrong: %s\n", what);
        ++failures;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::ifstream file(argv[1], std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    std::unique_ptr<TVarnGrid> grid(static_cast<TVarnGrid*>(CreateComponentFromText(text.str(), nullptr)));

    every_dataRow row(grid.get());
    row.Append();
    sDB_date born;
    born.day = 14;
    born.month = 3;
    born.year = 2006;
    sDB_time starts;
    starts.hour = 9;
    starts.minute = 5;
    row.name = "Ana";
    row.born = born;
    row.starts = starts;
    row.active = true;
    row.count = 42;
    row.ratio = 1000.5;
    row.price = 1234567.5;
    row.Write();

    every_dataRow back(grid.get());
    back.Read(0);
    check(back.name.get() == "Ana", "name");
    check(back.born.get() == born, "born");
    check(back.starts.get().totalMinutes() == 9 * 60 + 5, "starts");
    check(back.active.get(), "active");
    check(back.count.get() == 42, "count");
    check(grid->GetString(0, 5) == "1000,50", "ratio");
    check(back.price.get() == 1234567.5, "price");
    check(grid->GetString(0, 6) == "1.234.567,50", "price text");
    none_dataRow empty(grid.get());
    check(empty.grid == grid.get(), "class without members");
    std::printf("%d columns written and read back, %d wrong\n", grid->Columns()->Count(), failures);
    return failures == 0 ? 0 : 1;
}
