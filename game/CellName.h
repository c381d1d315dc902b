#pragma once

#include <string>
#include <string_view>

namespace MyGame {

// Every playing cell of the two boards and every ship picture carries a name, its fields joined
// by ";", by which the game tells which element was pressed and what lies there:
//   a cell of the player's board    myarea;S;C;R;ID     ID: the element id of the ship's picture
//   a cell of the computer's board  areanemica;S;C;R;N  N: the ship's number, 0 to 8
//   a ship picture                  drag;K              K: the ship's number, 0 to 8
// S is 1 where a ship lies, and stays 1 once it is hit; it is 0 on water, where the ship reads
// -1. C and R are the 1-based column and row. A name is recognised by how it begins.
constexpr std::string_view PlayerCellKind = "myarea";
constexpr std::string_view EnemyCellKind = "areanemica";
constexpr std::string_view ShipPictureKind = "drag";

// A name read back. Its numbers read as atoi reads them: decimal, after blanks and a sign, up to
// the first other character, and 0 when no digit comes first. A field the name lacks reads as -1,
// which is neither a ship, nor a position on the board, nor a picture's number.
struct CellName {
    std::string kind; // the first field; empty for an empty name
    int flag = -1;    // a board cell's S
    int column = -1;
    int row = -1;
    int ship = -1;    // a board cell's ID or N

    bool HasShip() const { return flag == 1; }
    // A picture's number takes the place of a board cell's S.
    int PictureNumber() const { return flag; }

    bool operator==(const CellName&) const = default;
};

CellName ReadCellName(const std::string& name);

// The letter the header of a 1-based column shows, and a cell's coordinates as the headers give
// them: "B3" for column 2, row 3.
char ColumnLetter(int column);
std::string CellCoordinates(int column, int row);

// Without a ship the name says -1 for it, whatever 'ship' is.
std::string BoardCellName(std::string_view kind, bool hasShip, int column, int row, int ship);
std::string ShipPictureName(int number);

}
