#pragma once

#include "FleetLayout.h"

#include <array>
#include <deque>
#include <string_view>

namespace MyGame {

enum class Shot { None, Hit, Miss };

// The player's board as the computer sees it, one entry per cell at [y * BoardSide + x].
using BoardView = std::array<Shot, BoardSide * BoardSide>;

// A 0-based cell; NoPosition stands for none.
struct Position {
    int x;
    int y;

    bool operator==(const Position&) const = default;
};

constexpr Position NoPosition{-1, -1};

// Both coordinates differ from -1.
constexpr bool IsSet(Position position)
{
    return position.x != -1 && position.y != -1;
}

// A cell reading exactly "#" was hit and one reading exactly "X" was missed; any other text marks
// a cell not yet shot.
Shot ClassifyCellText(std::string_view text);

// Each of the four orthogonal neighbours is off the board or a miss.
bool IsBoxedInByMisses(const BoardView& view, int x, int y);
// The cell is on the board and neither hit nor missed.
bool IsUnshot(const BoardView& view, int x, int y);
// At least one orthogonal neighbour on the board is a hit.
bool TouchesHit(const BoardView& view, int x, int y);

// Picks a cell at random, passing over cells boxed in by misses and, for the first 20 such draws,
// cells next to a hit, and cells whose neighbours are all off the board, shot or next to a hit.
// The cell may already have been shot; the caller rejects it then. The number of draws passed
// over for touching a hit is reported through 'hitNeighbourRejections' when given.
Position ChooseRandomTarget(const BoardView& view, int* hitNeighbourRejections = nullptr);

// The neighbour of the hit 'origin' to try next when following a ship: an unshot neighbour that
// touches no other hit, kept in line with a run of two or more hits through the origin, tried in
// the order left, down, up, right. NoPosition when there is none or the run already spans four.
Position NextHuntTarget(const BoardView& view, Position origin);

// Chooses the computer's next shot: it follows up 'lastHit' while that leads anywhere, then the
// hits waiting in 'earlierHits' oldest first, and otherwise searches at random. The result is
// always an unshot cell, or NoPosition when every cell of the view has been shot.
Position TakeAim(const BoardView& view, Position& lastHit, std::deque<Position>& earlierHits);

// Makes 'hit' the cell the hunt follows from, queueing the one it followed until now.
void RecordHit(Position& lastHit, std::deque<Position>& earlierHits, Position hit);

}
