// Published properties of TDBVarnGrid, in declaration order. All are stored and
// have no declared default, so a form description always carries the texts.
#include "grid/DBVarnGridProperties.h"

#include "grid/DBVarnGrid.h"
#include "grid/VarnGridProperties.h"
#include "platform/Streaming.h"

namespace {

// The SQL texts are plain fields of the grid.
template <AnsiString TDBVarnGrid::*member>
AnsiString getText(TDBVarnGrid* grid)
{
    return grid->*member;
}

template <AnsiString TDBVarnGrid::*member>
void setText(TDBVarnGrid* grid, const AnsiString& value)
{
    grid->*member = value;
}

}  // namespace

bool varn::detail::registerDBVarnGridClasses()
{
    static const bool done = [] {
        registerGridClasses();
        RegisterPublishedClass<TDBVarnGrid>("TDBVarnGrid", "TVarnGrid")
            .String("SeparatorField", &TDBVarnGrid::getSeparatorField, &TDBVarnGrid::setSeparatorField, nullptr)
            .Event("OnSeparator", &TDBVarnGrid::OnSeparator)
            .Event("OnFillFieldSP", &TDBVarnGrid::OnFillFieldSP)
            .Event("OnFillRow", &TDBVarnGrid::OnFillRow)
            .String("SQLTableName", &getText<&TDBVarnGrid::SQLTableName>, &setText<&TDBVarnGrid::SQLTableName>,
                    nullptr)
            .String("SQLWhere", &getText<&TDBVarnGrid::SQLWhere>, &setText<&TDBVarnGrid::SQLWhere>, nullptr)
            .String("SQLOrderBy", &getText<&TDBVarnGrid::SQLOrderBy>, &setText<&TDBVarnGrid::SQLOrderBy>, nullptr);
        return true;
    }();
    return done;
}
