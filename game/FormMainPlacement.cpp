#include "FormMain.h"

#include "CellControl.h"
#include "Menu.h"
#include "Platform.h"

#include <algorithm>
#include <utility>

namespace MyGame {

using namespace TorUtility;

namespace {

// A dragged picture follows the mouse only inside this band of client coordinates, trailing it
// so that a press lands on what lies under the mouse rather than on the picture. Across, it lies
// evenly about the middle of the client area.
constexpr int dragTop = 51;
constexpr int dragBottom = 479;
constexpr int dragLeft = 1;
constexpr int dragRight = FormMain::clientWidth - dragLeft;
constexpr int dragTrail = 10;

void ShowPicture(CellControl* picture)
{
    if (!picture->created)
        picture->Create();
    ShowWindow(picture->handle, SW_SHOWNA);
    picture->visible = true;
}

// The mouse's screen position, when the platform can tell it.
bool ReadCursor(POINT& screen)
{
    CURSORINFO cursor{};
    cursor.cbSize = sizeof cursor;
    if (!platform.getCursorInfo(&cursor))
        return false;
    screen = cursor.ptScreenPos;
    return true;
}

}

POINT FormMain::CursorOnScreen() const
{
    POINT mouse{-1, -1};
    ReadCursor(mouse);
    return mouse;
}

// An unreadable mouse leaves the picture where it is. No stand-in point will do: once converted,
// any of them lands inside the band for some position of the window.
void FormMain::FollowMouse()
{
    POINT screen{};
    // Behind a box the player is answering, the mouse moves over the box, not over the game.
    if (!draggedShip || boxesOpen > 0 || !ReadCursor(screen))
        return;
    // A ship dragged by keys follows the focus until the mouse moves; a mouse at rest is no move.
    if (keyboardDrag) {
        if (screen.x == dragMouse.x && screen.y == dragMouse.y) {
            FollowFocus();
            return;
        }
        keyboardDrag = false;
    }
    const POINT mouse = ClientPoint(screen);
    if (mouse.y < dragTop || mouse.y > dragBottom || mouse.x < dragLeft || mouse.x > dragRight)
        return;
    // A mouse at rest leaves the picture where it is, without repainting it fifty times a second.
    if (draggedShip->x == mouse.x + dragTrail && draggedShip->y == mouse.y + dragTrail)
        return;
    draggedShip->SetPosition(mouse.x + dragTrail, mouse.y + dragTrail);
}

void FormMain::OnFormPressed(std::int32_t, std::int32_t)
{
    PauseTicks();
    if (draggedShip) {
        SendShipHome(draggedShip);
        draggedShip = nullptr;
    }
    ResumeTicks();
}

void FormMain::HandlePlacementClick(CellControl* cell)
{
    const CellName name = ReadCellName(cell->tag);
    const int c = name.column;
    const int r = name.row;
    if (!OnBoard(c - 1, r - 1))
        return;
    if (!draggedShip) {
        if (name.HasShip())
            PickUpShip(name);
        return;
    }
    const int length = ShipLength();
    const bool horizontal = FitsHorizontally(playerGrid, c, r, length);
    const bool vertical = FitsVertically(playerGrid, c, r, length);
    if (name.HasShip() || (!horizontal && !vertical)) {
        platform.messageBeep(simpleBeep);
        Announce("La nave non entra qui.");
        return;
    }
    PauseTicks();
    if (horizontal != vertical) {
        for (int i = 0; i < length; ++i)
            SetPlayerCell(vertical ? c : c + i, vertical ? r + i : r, name.kind, true, draggedShip->id);
        AnnouncePlaced(draggedShip, c, r, vertical, length);
        SendShipHome(draggedShip);
        HidePicture(draggedShip);
        draggedShip = nullptr;
    } else {
        SendShipHome(draggedShip);
        pendingShip = draggedShip;
        pendingLength = length;
        pendingRow = r;
        pendingColumn = c;
        draggedShip = nullptr;
        // Asked by the keyboard, the popup opens at the cell, under its bottom-left corner.
        RECT box{};
        const POINT at = pressByKey && GetWindowRect(cell->handle, &box) ? POINT{box.left, box.bottom} : CursorOnScreen();
        ShowPopup(placementMenu, this, at.x, at.y);
    }
    ResumeTicks();
}

void FormMain::PickUpShip(const CellName& name)
{
    PauseTicks();
    draggedShip = FindShipPicture(name.ship);
    const int length = ShipLength();
    const int c = name.column;
    const int r = name.row;
    auto carries = [&](int row, int column) { return ShipIdAt(row, column) == name.ship; };
    int left = 0;
    while (c - 1 - left >= 1 && carries(r, c - 1 - left))
        ++left;
    int up = 0;
    while (r - 1 - up >= 1 && carries(r - 1 - up, c))
        ++up;
    const bool horizontal = left >= 1 || (c < BoardSide && carries(r, c + 1));
    const bool vertical = !horizontal && (up >= 1 || (r < BoardSide && carries(r + 1, c)));
    for (int i = 0; i < length && (horizontal || vertical); ++i) {
        const int column = horizontal ? c - left + i : c;
        const int row = horizontal ? r : r - up + i;
        if (OnBoard(column - 1, row - 1))
            SetPlayerCell(column, row, name.kind, false, -1);
    }
    ShowPicture(draggedShip);
    ResumeTicks();
}

// The popup's answer places the ship once. A choice that answers no popup, or one left over from
// a dismissed popup after the board or the ship has moved on, must not put a ship over another
// or put the same ship on the board twice.
void FormMain::PlacePendingShip(bool vertical)
{
    CellControl* ship = std::exchange(pendingShip, nullptr);
    if (!ship || !ship->visible || ship == draggedShip || ShipIdAt(pendingRow, pendingColumn) != -1)
        return;
    if (!(vertical ? FitsVertically : FitsHorizontally)(playerGrid, pendingColumn, pendingRow, pendingLength))
        return;
    for (int i = 0; i < pendingLength; ++i) {
        const int column = vertical ? pendingColumn : pendingColumn + i;
        const int row = vertical ? pendingRow + i : pendingRow;
        SetPlayerCell(column, row, "", true, ship->id);
        PlayerCell(column, row)->Redraw();
    }
    AnnouncePlaced(ship, pendingColumn, pendingRow, vertical, pendingLength);
    HidePicture(ship);
}

void FormMain::ResetPlayerBoard()
{
    SetStatus("");
    statusBar->SetEnabled(false);
    for (int c = 1; c <= BoardSide; ++c)
        for (int r = 1; r <= BoardSide; ++r)
            SetPlayerCell(c, r, "", false, -1);
    for (CellControl* picture : shipPictures) {
        SendShipHome(picture);
        ShowPicture(picture);
    }
}

void FormMain::SendShipHome(CellControl* picture)
{
    if (!picture)
        return;
    const int k = ReadCellName(picture->tag).PictureNumber();
    if (k < 0 || static_cast<std::size_t>(k) >= shipHomes.size())
        return;
    picture->SetPosition(shipHomes[static_cast<std::size_t>(k)].x, shipHomes[static_cast<std::size_t>(k)].y);
}

int FormMain::ShipIndex(int elementId) const
{
    for (std::size_t i = 0; i < shipPictures.size(); ++i)
        if (shipPictures[i] && shipPictures[i]->id == elementId)
            return static_cast<int>(i);
    return 0;
}

CellControl* FormMain::FindShipPicture(int elementId) const
{
    return shipPictures[static_cast<std::size_t>(ShipIndex(elementId))];
}

int FormMain::ShipLength() const
{
    const auto found = std::find(shipPictures.begin(), shipPictures.end(), draggedShip);
    return found == shipPictures.end() ? 2 : MyGame::ShipLength(static_cast<int>(found - shipPictures.begin()));
}

int FormMain::ShipIdAt(int r, int c) const
{
    return ReadCellName(PlayerCell(c, r)->tag).ship;
}

}
