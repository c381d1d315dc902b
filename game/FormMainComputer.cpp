#include "FormMain.h"

#include "Button.h"
#include "CellControl.h"
#include "Palette.h"
#include "resource.h"

namespace MyGame {

using namespace TorUtility;

int tickCount = 0;
bool aimPending = false;
bool aimIsHit = false;
int aimColumn = 0;
int aimRow = 0;

namespace {

// The computer acts once every this many ticks of its turn: about two seconds.
constexpr int ticksPerAction = 100;

}

void FormMain::ResetEnemyBoard()
{
    for (int x = 1; x <= BoardSide; ++x) {
        for (int y = 1; y <= BoardSide; ++y) {
            CellControl* cell = EnemyCell(x, y);
            if (cell->created) {
                cell->backPainted = false;
                cell->Redraw();
            }
            cell->ChangeTextColor(static_cast<std::int32_t>(black));
            cell->SetText("");
            cell->tag = BoardCellName(EnemyCellKind, false, x, y, -1);
        }
    }
}

void FormMain::PlaceComputerFleet()
{
    enemyGrid.fill(0);
    ResetEnemyBoard();
    const FleetLayout layout = LayOutFleet();
    enemyGrid = layout.grid;
    for (int k = 0; k < FleetShipCount; ++k) {
        const PlacedShip& ship = layout.ships[static_cast<std::size_t>(k)];
        for (int i = 0; i < ship.length; ++i) {
            const int x = ship.x + (ship.vertical ? 0 : i) + 1;
            const int y = ship.y + (ship.vertical ? i : 0) + 1;
            EnemyCell(x, y)->tag = BoardCellName(EnemyCellKind, true, x, y, k);
        }
    }
}

BoardView FormMain::ReadPlayerBoard() const
{
    BoardView view{};
    for (int y = 0; y < BoardSide; ++y)
        for (int x = 0; x < BoardSide; ++x)
            // cppcheck-suppress containerOutOfBounds ; it reads BoardView's size as BoardSide, not its square
            view[static_cast<std::size_t>(y * BoardSide + x)] = ClassifyCellText(PlayerCell(x + 1, y + 1)->GetText());
    return view;
}

void FormMain::OnTick()
{
    FollowMouse();
    if (!playing || playerTurn)
        return;
    if (++tickCount < ticksPerAction)
        return;
    tickCount = 0;
    PauseTicks();
    if (aimPending)
        ResolveAim();
    else
        AimAtPlayer();
    ResumeTicks();
}

void FormMain::AimAtPlayer()
{
    const Position target = TakeAim(ReadPlayerBoard(), lastHit, earlierHits);
    if (!IsSet(target))
        return;
    CellControl* cell = PlayerCell(target.x + 1, target.y + 1);
    aimIsHit = ReadCellName(cell->tag).HasShip();
    cell->SetBackColor(static_cast<std::int32_t>(aimYellow));
    aimColumn = target.x;
    aimRow = target.y;
    aimPending = true;
    Announce("Il computer mira a " + CellCoordinates(target.x + 1, target.y + 1) + ".");
}

void FormMain::ResolveAim()
{
    CellControl* cell = PlayerCell(aimColumn + 1, aimRow + 1);
    aimPending = false;
    Announce("Il computer spara in " + CellCoordinates(aimColumn + 1, aimRow + 1) + (aimIsHit ? ": colpita." : ": acqua."));
    if (!aimIsHit) {
        cell->SetBackColor(static_cast<std::int32_t>(water));
        cell->ChangeTextColor(static_cast<std::int32_t>(black));
        cell->SetText("X");
        PlayGameSound(IDW_MISS);
        playerTurn = true;
        SetStatus("Ora tocca a te..");
        return;
    }
    RecordHit(lastHit, earlierHits, Position{aimColumn, aimRow});
    cell->SetBackColor(static_cast<std::int32_t>(hitRed));
    cell->ChangeTextColor(static_cast<std::int32_t>(white));
    cell->SetText("#");
    PlayGameSound(IDW_HIT);
    playerGrid[static_cast<std::size_t>(aimRow * BoardSide + aimColumn)] = 0;
    --playerCellsLeft;
    UpdateCounters();
    if (AnyShipLeft(playerGrid)) {
        SetStatus("Sei stato colpito. Tocca ancora al pc..");
        return;
    }
    SetStatus("Peccato.. hai perso");
    ShowMessage(statusBar->GetText(), "Hai perso");
    playing = false;
    matchOver = true;
    RevealFleet(enemyGrid, enemyCells);
    startButton->SetText("Nuova");
}

}
