// A program outside the tree: uses the installed library through its umbrella header.
#include <VarnControls.h>

#include <cstdio>

int main()
{
    AnsiString money = cnvDoubleToMoney(1234567.891);
    std::printf("%s\n", money.c_str());
    return money == "1.234.567,89" ? 0 : 1;
}
