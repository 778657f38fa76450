#include <gtest/gtest.h>

#include "ui/Types.h"

using ui::StrToInt;

TEST(StrToInt, AcceptsSignedDecimalsAndRefusesEverythingElse) {
    EXPECT_EQ(StrToInt("17"), 17);
    EXPECT_EQ(StrToInt("-1"), -1);
    EXPECT_EQ(StrToInt(" 5 "), 5);
    for (const char* bad : {"", "-", "1a", "x", "99999999999", "1.5", "+"})
        EXPECT_THROW(StrToInt(bad), ui::EConvertError) << bad;
}
