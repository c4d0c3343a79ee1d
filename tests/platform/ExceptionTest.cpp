#include "platform/SysUtils.h"

#include <gtest/gtest.h>

TEST(Exceptions, ListIndexErrorNamesTheIndex)
{
    try {
        ListIndexError(-3);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (-3)");
        EXPECT_STREQ(e.what(), "List index out of bounds (-3)");
    }
    EXPECT_EQ(Sprintf("%04i/%02i", 6, 3), "0006/03");
    EXPECT_EQ(Sprintf("%s", ""), "");
}
