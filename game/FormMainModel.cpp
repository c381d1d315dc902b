#include "FormMain.h"

#include "CellControl.h"
#include "Palette.h"
#include "TextUtilities.h"

#include <algorithm>

namespace MyGame {

using namespace TorUtility;

bool FormMain::AnyShipLeft(const Grid& grid)
{
    return std::any_of(grid.begin(), grid.end(), [](std::int32_t value) { return value != 0; });
}

void FormMain::UpdateCounters()
{
    playerCounter->SetText(ToText(-static_cast<std::int64_t>(playerCellsLeft)));
    enemyCounter->SetText(ToText(-static_cast<std::int64_t>(enemyCellsLeft)));
}

void FormMain::SetPlayerCell(int c, int r, std::string_view prefix, bool hasShip, int shipId)
{
    CellControl* cell = PlayerCell(c, r);
    const std::string kind = prefix.empty() ? ReadCellName(cell->tag).kind : std::string(prefix);
    cell->tag = BoardCellName(kind, hasShip, c, r, shipId);
    std::int32_t& entry = playerGrid[static_cast<std::size_t>((r - 1) * BoardSide + (c - 1))];
    if (!hasShip) {
        if (cell->created) {
            cell->backPainted = false;
            cell->Redraw();
        }
        entry = 0;
        cell->ChangeTextColor(static_cast<std::int32_t>(black));
        cell->SetText("");
        return;
    }
    cell->SetBackColor(static_cast<std::int32_t>(shipBlue));
    cell->ChangeTextColor(static_cast<std::int32_t>(white));
    cell->SetText(ToText(ShipIndex(shipId) + 1));
    entry = 1;
}

void FormMain::RevealFleet(const Grid& grid, const Board& board)
{
    for (int y = 1; y <= BoardSide; ++y) {
        for (int x = 1; x <= BoardSide; ++x) {
            // cppcheck-suppress containerOutOfBounds ; it reads Grid's size as BoardSide, not its square
            if (grid[static_cast<std::size_t>((y - 1) * BoardSide + (x - 1))] == 0)
                continue;
            CellControl* cell = board[static_cast<std::size_t>(y * boardStride + x)];
            const std::string shown = cell->GetText();
            cell->SetBackColor(static_cast<std::int32_t>(hitRed));
            if (!shown.empty())
                cell->SetText(shown);
        }
    }
}

}
