#pragma once

#include <array>
#include <cstdint>

namespace MyGame {

constexpr int BoardSide = 10;
constexpr int FleetShipCount = 9;
// The computer stops insisting that its ships keep apart after this many edge-contact tests.
constexpr int SpacingAttemptLimit = 30;

// A board, one entry per cell at [y * BoardSide + x]: 1 where a ship lies, 0 for water.
using Grid = std::array<std::int32_t, BoardSide * BoardSide>;

// Ships 0-2 are two cells long, 3-5 three and 6-8 four: 27 cells in all.
constexpr int ShipLength(int ship)
{
    return ship / 3 + 2;
}

// For 0-based column x and row y.
constexpr bool OnBoard(int x, int y)
{
    return x >= 0 && x < BoardSide && y >= 0 && y < BoardSide;
}

struct PlacedShip {
    int x; // top or left cell, 0-based
    int y;
    int length;
    bool vertical;
    // Edge-contact tests made for this ship, the accepted candidate's included; at
    // SpacingAttemptLimit the test is no longer made and the ship may touch another along an edge.
    int spacingAttempts;
    int orientationDraw; // the draw that chose the accepted candidate's orientation
    int randomDraws;     // draws consumed while placing this ship
};

struct FleetLayout {
    Grid grid;
    std::array<PlacedShip, FleetShipCount> ships;
};

// Places the computer's nine ships in order at random cells, each straight, on the board and
// clear of the others, and kept from touching them along an edge while the limit allows.
FleetLayout LayOutFleet();

// Whether the player may put a ship of the given length with its first cell at the 1-based column
// and row, running right or down. Ships may touch only at a corner. The first cell itself is left
// to the caller to check.
bool FitsHorizontally(const Grid& grid, int column, int row, int length);
bool FitsVertically(const Grid& grid, int column, int row, int length);

}
