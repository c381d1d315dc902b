#include "CellName.h"

#include <gtest/gtest.h>

#include <utility>

namespace MyGame {
namespace {

TEST(CellName, ReadsEachFieldAsAtoiDoesAndAFieldTheNameLacksAsMinusOne)
{
    const std::pair<const char*, CellName> table[] = {
        {"myarea;1;3;4;17", {"myarea", 1, 3, 4, 17}},
        {"areanemica;0;10;10;-1", {"areanemica", 0, 10, 10, -1}},
        {"drag;8", {"drag", 8, -1, -1, -1}},
        {"", {"", -1, -1, -1, -1}},
        {"myarea;1;3;4;", {"myarea", 1, 3, 4, -1}},
        {";;;4;5;6", {"", 0, 0, 4, 5}},
        {"myarea;1x;03; +4;-5.9", {"myarea", 1, 3, 4, -5}},
        {"myarea;uno;x3;\t7;;8", {"myarea", 0, 0, 7, 0}},
    };
    for (const auto& [name, read] : table)
        EXPECT_EQ(ReadCellName(name), read) << name;
    EXPECT_TRUE(ReadCellName("myarea;01;3;4;5").HasShip());
    EXPECT_FALSE(ReadCellName("myarea;11;3;4;5").HasShip());
}

TEST(CellName, WaterIsWrittenWithoutAShipAndCoordinatesAsTheHeadersShowThem)
{
    EXPECT_EQ(BoardCellName(PlayerCellKind, true, 3, 4, 17), "myarea;1;3;4;17");
    EXPECT_EQ(BoardCellName(EnemyCellKind, false, 10, 9, 5), "areanemica;0;10;9;-1");
    EXPECT_EQ(ShipPictureName(8), "drag;8");
    // Coordinates as the boards' headers show them.
    EXPECT_EQ(CellCoordinates(1, 1), "A1");
    EXPECT_EQ(CellCoordinates(2, 3), "B3");
    EXPECT_EQ(CellCoordinates(10, 10), "J10");
}

}
}
