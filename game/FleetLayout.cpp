#include "FleetLayout.h"

#include "Random.h"

namespace MyGame {

namespace {

// A straight run of cells from (x, y), 0-based, going right or down.
struct Run {
    int x;
    int y;
    int length;
    bool vertical;

    int StepX() const { return vertical ? 0 : 1; }
    int StepY() const { return vertical ? 1 : 0; }
};

bool ShipAt(const Grid& grid, int x, int y)
{
    return OnBoard(x, y) && grid[y * BoardSide + x] != 0;
}

bool RunOnBoard(const Run& run)
{
    return OnBoard(run.x, run.y)
        && OnBoard(run.x + (run.length - 1) * run.StepX(), run.y + (run.length - 1) * run.StepY());
}

// Looks at the run's cells from index 'from' on.
bool ShipOnRun(const Grid& grid, const Run& run, int from)
{
    for (int j = from; j < run.length; ++j) {
        if (ShipAt(grid, run.x + j * run.StepX(), run.y + j * run.StepY()))
            return true;
    }
    return false;
}

// Looks at the cells sharing an edge with the run: one beyond each end and the two lines
// alongside it, as far as they lie on the board.
bool ShipAlongside(const Grid& grid, const Run& run)
{
    const int dx = run.StepX();
    const int dy = run.StepY();
    if (ShipAt(grid, run.x - dx, run.y - dy) || ShipAt(grid, run.x + run.length * dx, run.y + run.length * dy))
        return true;
    for (int j = 0; j < run.length; ++j) {
        const int x = run.x + j * dx;
        const int y = run.y + j * dy;
        if (ShipAt(grid, x - dy, y - dx) || ShipAt(grid, x + dy, y + dx))
            return true;
    }
    return false;
}

bool PlayerRunFits(const Grid& grid, const Run& run)
{
    return run.length > 0 && RunOnBoard(run) && !ShipOnRun(grid, run, 1) && !ShipAlongside(grid, run);
}

}

FleetLayout LayOutFleet()
{
    FleetLayout layout{};
    for (int k = 0; k < FleetShipCount; ++k) {
        const std::uint64_t drawsBefore = RandomDrawCount();
        const int length = ShipLength(k);
        int attempts = 0;
        for (;;) {
            const int x = RandomBetween(1, BoardSide) - 1;
            const int y = RandomBetween(1, BoardSide) - 1;
            const int orientationDraw = RandomDraw();
            // An even draw goes down where the ship fits that way; everything else goes right.
            const Run run{x, y, length, orientationDraw % 2 == 0 && y + length <= BoardSide};
            if (!RunOnBoard(run) || ShipOnRun(layout.grid, run, 0))
                continue;
            if (attempts < SpacingAttemptLimit) {
                ++attempts;
                if (ShipAlongside(layout.grid, run))
                    continue;
            }
            for (int j = 0; j < length; ++j)
                layout.grid[(y + j * run.StepY()) * BoardSide + x + j * run.StepX()] = 1;
            layout.ships[k] = {x, y, length, run.vertical, attempts, orientationDraw,
                               static_cast<int>(RandomDrawCount() - drawsBefore)};
            break;
        }
    }
    return layout;
}

bool FitsHorizontally(const Grid& grid, int column, int row, int length)
{
    return PlayerRunFits(grid, {column - 1, row - 1, length, false});
}

bool FitsVertically(const Grid& grid, int column, int row, int length)
{
    return PlayerRunFits(grid, {column - 1, row - 1, length, true});
}

}
