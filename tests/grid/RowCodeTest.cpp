#include "grid/VarnGrid.h"

#include <gtest/gtest.h>

namespace {

void addColumn(TVarnGrid& grid, const AnsiString& field, VGDataType type)
{
    TVGColumn* column = grid.Columns()->Add();
    column->SetFieldName(field);
    column->SetDataType(type);
}

}  // namespace

TEST(RowCode, ClassHasOneTypedMemberPerColumnInColumnOrder)
{
    TVarnGrid grid(nullptr);
    grid.SetName("grid");
    addColumn(grid, "a", vgString);
    addColumn(grid, "b", vgInteger);
    addColumn(grid, "c", vgDate);
    addColumn(grid, "d", vgString);
    addColumn(grid, "e", vgFloat);
    EXPECT_EQ(grid.RowCodeText(),
              "\tclass grid_dataRow : public TVarnRow\r\n"
              "\t{\r\n"
              "\tpublic:\r\n"
              "\t\tgrid_dataRow( TVarnGrid*grid ) : TVarnRow( grid ), a(this,0),b(this,1),c(this,2),d(this,3),e(this,4)\r\n"
              "\t\t{}\r\n"
              "\t\tTVarnDataCol_string   a;\r\n"
              "\t\tTVarnDataCol_integer  b;\r\n"
              "\t\tTVarnDataCol_date     c;\r\n"
              "\t\tTVarnDataCol_string   d;\r\n"
              "\t\tTVarnDataCol_float    e;\r\n"
              "\t};\r\n");
}

TEST(RowCode, EveryTypeHasItsAccessorAndMoneyUsesTheFloatOne)
{
    TVarnGrid grid(nullptr);
    grid.SetName("g");
    addColumn(grid, "t", vgTime);
    addColumn(grid, "y", vgBoolean);
    addColumn(grid, "m", vgMoney);
    auto list = grid.GenerateRowCode();
    ASSERT_EQ(list->Count(), 9);
    EXPECT_EQ(list->Strings(3), "\t\tg_dataRow( TVarnGrid*grid ) : TVarnRow( grid ), t(this,0),y(this,1),m(this,2)");
    EXPECT_EQ(list->Strings(5), "\t\tTVarnDataCol_time     t;");
    EXPECT_EQ(list->Strings(6), "\t\tTVarnDataCol_boolean  y;");
    EXPECT_EQ(list->Strings(7), "\t\tTVarnDataCol_float    m;");
}

TEST(RowCode, GridWithoutColumnsGivesAClassWithoutMembersOrTrailingSeparator)
{
    TVarnGrid grid(nullptr);
    grid.SetName("empty");
    EXPECT_EQ(grid.RowCodeText(),
              "\tclass empty_dataRow : public TVarnRow\r\n"
              "\t{\r\n"
              "\tpublic:\r\n"
              "\t\tempty_dataRow( TVarnGrid*grid ) : TVarnRow( grid )\r\n"
              "\t\t{}\r\n"
              "\t};\r\n");
}

TEST(RowCode, EachReadGivesANewListWithEqualText)
{
    TVarnGrid grid(nullptr);
    grid.SetName("grid");
    addColumn(grid, "a", vgString);
    auto first = grid.GenerateRowCode();
    auto second = grid.GenerateRowCode();
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->Text(), second->Text());
    EXPECT_EQ(first->Text(), grid.RowCodeText());
    first->Clear();
    EXPECT_EQ(second->Text(), grid.RowCodeText());
}
