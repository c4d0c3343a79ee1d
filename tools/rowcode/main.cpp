// varn-rowcode [--columns] FORM-FILE GRID-NAME
#include "tools/rowcode/RowCodeTool.h"

#include "grid/VarnGridProperties.h"

#include <iostream>

int main(int argc, char** argv)
{
    return varn::rowcode::run(argc, argv, std::cout, std::cerr);
}
