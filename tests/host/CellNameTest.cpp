#include "CellName.h"

#include <gtest/gtest.h>

#include <ostream>

namespace MyGame {

void PrintTo(const CellName& name, std::ostream* out)
{
    *out << '"' << name.kind << "\" " << name.flag << ' ' << name.column << ' ' << name.row << ' ' << name.ship;
}

namespace {

struct Reading {
    const char* name;
    CellName read;
    bool written; // the game writes this name itself
};

TEST(CellName, ReadsNamesAsTheGameWritesThemAndMalformedOnesAsAtoiWould)
{
    const Reading table[] = {
        {"myarea;1;3;4;17", {"myarea", 1, 3, 4, 17}, true},
        {"myarea;0;10;10;-1", {"myarea", 0, 10, 10, -1}, true},
        {"areanemica;1;1;10;0", {"areanemica", 1, 1, 10, 0}, true},
        {"altrove;1;7;1;32767", {"altrove", 1, 7, 1, 32767}, true},
        {"drag;8", {"drag", 8, -1, -1, -1}, false},
        // A field the name lacks reads -1; a trailing ";" adds none, an empty one reads 0.
        {"", {"", -1, -1, -1, -1}, false},
        {"myarea", {"myarea", -1, -1, -1, -1}, false},
        {"myarea;1;3;4;", {"myarea", 1, 3, 4, -1}, false},
        {";;;4;5;6", {"", 0, 0, 4, 5}, false},
        // Blanks and a sign first, then digits up to the first other character; none reads 0.
        {"myarea;1x;03; +4;-5.9", {"myarea", 1, 3, 4, -5}, false},
        {"myarea;uno;x3;\t7;;8", {"myarea", 0, 0, 7, 0}, false},
    };
    for (const Reading& row : table) {
        EXPECT_EQ(ReadCellName(row.name), row.read) << row.name;
        if (row.written) {
            EXPECT_EQ(BoardCellName(row.read.kind, row.read.HasShip(), row.read.column, row.read.row, row.read.ship),
                      row.name);
        }
    }
    EXPECT_TRUE(ReadCellName("myarea;01;3;4;5").HasShip());
    EXPECT_FALSE(ReadCellName("myarea;11;3;4;5").HasShip());
}

TEST(CellName, WaterAndPicturesAreWrittenAsTheGameRecognisesThem)
{
    EXPECT_EQ(BoardCellName(PlayerCellKind, false, 3, 4, 17), "myarea;0;3;4;-1") << "water holds no ship";
    EXPECT_EQ(BoardCellName(EnemyCellKind, false, 10, 9, -1), "areanemica;0;10;9;-1");
    EXPECT_EQ(ShipPictureName(8), "drag;8");
}

}

}
