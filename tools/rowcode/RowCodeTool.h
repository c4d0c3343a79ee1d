// varn-rowcode: prints the row class (or the column text) of a grid stored in a
// form description, so that programs can generate it at build time.
#pragma once

#include "grid/VarnGrid.h"

#include <iosfwd>
#include <memory>

namespace varn::rowcode {

// A form that cannot be read or holds no such grid; the message says which.
class ERowCodeError : public Exception {
    using Exception::Exception;
};

// A grid named like the one called gridName (letter case ignored) in the form
// description, with that grid's columns. Nothing else of the form is built, so
// handlers and other components need not exist.
std::unique_ptr<TVarnGrid> loadGrid(const AnsiString& formText, const AnsiString& gridName);

// The whole program: arguments as main receives them; returns the exit status
// (0 done, 1 the form or grid could not be read, 2 wrong arguments).
int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace varn::rowcode
