#include <gtest/gtest.h>

#include "core/numeric.h"
#include "core/runtime_error.h"
#include "targets/place_name.h"
#include "support/test_env.h"

using namespace varnel;

TEST(Numeric, ReadsEntirelyAsANumber) {
    for (const char* yes : {"12", " 12 ", "11.0", "-3", "+4.5", ".5", "5.", "1e3", "2D2", "&H1F", "&o17", "0"})
        EXPECT_TRUE(isNumeric(yes)) << yes;
    for (const char* no : {"", "   ", "12a", "1 2", "Work", "1e", "--1", ".", "&H", "&HZZ", "C:\\", "\t12"})
        EXPECT_FALSE(isNumeric(no)) << no;
}

TEST(Numeric, RoundsHalvesToTheEvenNeighbourAndRefusesOverflow) {
    EXPECT_EQ(toInt32(2.5), 2);
    EXPECT_EQ(toInt32(3.5), 4);
    EXPECT_EQ(toInt32(-2.5), -2);
    EXPECT_EQ(toInt32(2.4999), 2);
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(-2147483648.0), -2147483647 - 1);
    EXPECT_THROW(toInt32(2147483648.0), RuntimeError);
    EXPECT_THROW(toInt32(1e20), RuntimeError);
    EXPECT_EQ(*parseNumber("&HFFFFFFFF"), -1.0);
}

TEST(PlaceDisplayName, TakesTheLastPartOfTheFolderPath) {
    EXPECT_EQ(placeDisplayName(test::sep("/home/me/Projects")), "Projects");
    EXPECT_EQ(placeDisplayName(test::sep("/home/me/")), "");
    EXPECT_EQ(placeDisplayName(test::sep("/")), test::sep("/"));
    EXPECT_EQ(placeDisplayName(test::sep("/srv")), "srv");
    EXPECT_EQ(placeDisplayName(test::sep("abc")), "abc");
    EXPECT_EQ(placeDisplayName(test::sep("5")), "5");
    EXPECT_EQ(placeDisplayName(test::sep("")), "");
    // Without a separator after the first character: everything after it.
    EXPECT_EQ(placeDisplayName(test::sep("Desk")), "esk");
    // A number as last part gets a separator so it stays a text.
    EXPECT_EQ(placeDisplayName(test::sep("/photos/2008")), test::sep("2008/"));
    // Characters, not bytes, decide the length.
    EXPECT_EQ(placeDisplayName(test::sep("/hem/Mölndal")), "Mölndal");
    EXPECT_EQ(placeDisplayName(test::sep("/ö/")), test::sep("/ö/"));
}
