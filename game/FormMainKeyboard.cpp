#include "FormMain.h"

#include "CellControl.h"
#include "ElementRegistry.h"

#include <algorithm>
#include <utility>

namespace MyGame {

using namespace TorUtility;

namespace {

// A ship dragged by keys stands where the mouse's trail would put it over the focused cell.
constexpr int keyTrail = 10;

bool IsPicture(const CellControl* cell)
{
    return cell->tag.starts_with(ShipPictureKind);
}

bool OnPlayersBoard(const CellControl* cell)
{
    return cell->tag.starts_with(PlayerCellKind);
}

}

CellControl* FormMain::FocusedCell() const
{
    auto* cell = dynamic_cast<CellControl*>(ElementRegistry::LastWithHandle(GetFocus()));
    // Only the playing cells and the ship pictures carry a name; headers, counters and the status
    // line take no focus.
    return cell && cell->parent == this && !cell->tag.empty() ? cell : nullptr;
}

// Keys the game does not use pass on unchanged: Tab has moved the focus already, and the menus and
// the buttons' own keys are the platform's.
void FormMain::OnFormKeyDown(std::int32_t key)
{
    CellControl* at = FocusedCell();
    switch (key) {
    case VK_ESCAPE:
        if (draggedShip)
            CancelDragByKey();
        break;
    case VK_RETURN:
    case VK_SPACE:
        if (at)
            PressByKey(at);
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (at && IsPicture(at))
            MoveTrayFocus(at, key == VK_LEFT ? -1 : 1);
        else if (at)
            MoveBoardFocus(at, key);
        break;
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
        if (at && !IsPicture(at))
            MoveBoardFocus(at, key);
        break;
    default:
        break;
    }
}

// Arrows move one cell and stop at the edges; Home and End go to the row's first and last column,
// Page Up and Page Down to the column's first and last row.
void FormMain::MoveBoardFocus(CellControl* from, std::int32_t key)
{
    const CellName name = ReadCellName(from->tag);
    int c = name.column;
    int r = name.row;
    switch (key) {
    case VK_LEFT: c = std::max(1, c - 1); break;
    case VK_RIGHT: c = std::min(BoardSide, c + 1); break;
    case VK_UP: r = std::max(1, r - 1); break;
    case VK_DOWN: r = std::min(BoardSide, r + 1); break;
    case VK_HOME: c = 1; break;
    case VK_END: c = BoardSide; break;
    case VK_PRIOR: r = 1; break;
    case VK_NEXT: r = BoardSide; break;
    default: break;
    }
    if (!OnBoard(c - 1, r - 1))
        return;
    FocusCell(OnPlayersBoard(from) ? PlayerCell(c, r) : EnemyCell(c, r));
}

// Among the pictures still shown, in their order; the ends stop the focus.
void FormMain::MoveTrayFocus(CellControl* from, int step)
{
    const auto here = std::find(shipPictures.begin(), shipPictures.end(), from);
    const auto count = static_cast<int>(shipPictures.size());
    for (int next = static_cast<int>(here - shipPictures.begin()) + step; here != shipPictures.end() && next >= 0 &&
                                                                          next < count;
         next += step) {
        CellControl* picture = shipPictures[static_cast<std::size_t>(next)];
        if (picture->visible) {
            FocusCell(picture);
            return;
        }
    }
}

void FormMain::FocusCell(CellControl* cell)
{
    FollowFocusTo(cell);
    cell->Focus();
}

// Also when a screen reader moves the focus, the Tab key comes back to the cell it went to, and a
// ship dragged by keys follows it there.
void FormMain::FollowFocusTo(CellControl* cell)
{
    if (IsPicture(cell)) {
        trayCursor = cell;
    } else {
        CellControl*& cursor = boardCursors[OnPlayersBoard(cell) ? 0 : 1];
        if (cursor && cursor != cell)
            cursor->SetTabStop(false);
        cursor = cell;
    }
    UpdateTabStops();
    if (keyboardDrag)
        FollowFocus();
}

// The very same press as the mouse's, with the same rules, sounds and boxes. A ship it picks up
// is dragged by the keys from then on, over the player's board.
void FormMain::PressByKey(CellControl* cell)
{
    // The key's character, queued already for the cell, belongs to this press: left in the queue,
    // it would answer the popup the press may open, and close it at once.
    MSG character{};
    PeekMessageW(&character, cell->handle, WM_CHAR, WM_CHAR, PM_REMOVE);
    const CellControl* before = draggedShip;
    const bool picture = IsPicture(cell);
    pressByKey = true;
    OnCellPressed(cell);
    pressByKey = false;
    if (!draggedShip) {
        keyboardDrag = false;
        return;
    }
    if (draggedShip == before)
        return;
    keyboardDrag = true;
    dragMouse = CursorOnScreen();
    if (picture)
        FocusCell(boardCursors[0]);
    else
        FollowFocus();
}

// Escape puts the dragged ship back, as a press on the background does, and the focus goes to it
// in the tray.
void FormMain::CancelDragByKey()
{
    CellControl* ship = draggedShip;
    OnFormPressed(0, 0);
    keyboardDrag = false;
    if (ship && ship->visible && !draggedShip)
        FocusCell(ship);
}

void FormMain::FollowFocus()
{
    CellControl* at = FocusedCell();
    if (!draggedShip || !at || IsPicture(at))
        return;
    const int left = at->x + keyTrail;
    const int top = at->y + keyTrail;
    if (draggedShip->x != left || draggedShip->y != top)
        draggedShip->SetPosition(left, top);
}

CellControl* FormMain::UpdateTabStops()
{
    if (!created || destroyed)
        return nullptr;
    const bool placing = !playing && !matchOver;
    CellControl* stop = placing && trayCursor && trayCursor->visible ? trayCursor : nullptr;
    // The pictures are all made before the form counts as created; a missing one is no stop.
    for (CellControl* picture : shipPictures)
        if (!stop && placing && picture && picture->visible)
            stop = picture;
    if (stop)
        trayCursor = stop;
    for (CellControl* picture : shipPictures)
        if (picture)
            picture->SetTabStop(picture == stop);
    for (CellControl* cursor : boardCursors)
        if (cursor)
            cursor->SetTabStop(true);
    return stop;
}

// A picture hidden with the focus hands it on, to the tray's next stop or else to the player's
// board, instead of leaving it to the game's own window, where no key acts.
void FormMain::HidePicture(CellControl* picture)
{
    if (!picture->created)
        return;
    const bool focused = GetFocus() == picture->handle;
    ShowWindow(picture->handle, SW_HIDE);
    picture->visible = false;
    if (!focused)
        return;
    CellControl* stop = UpdateTabStops();
    (stop ? stop : boardCursors[0])->Focus();
}

}
