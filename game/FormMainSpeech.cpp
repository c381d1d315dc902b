#include "FormMain.h"

#include "Accessible.h"
#include "CellControl.h"
#include "Palette.h"
#include "TextUtilities.h"

#include <oleacc.h>

namespace MyGame {

using namespace TorUtility;

namespace {

// What a cell shows, in the words a reader says.
constexpr char seaWord[] = "mare";
constexpr char shipWord[] = "nave";
constexpr char hitWord[] = "colpita";
constexpr char missWord[] = "acqua";
constexpr char unknownWord[] = "sconosciuta";
constexpr char hitMark[] = "#";
constexpr char missMark[] = "X";
constexpr wchar_t pickUpAction[] = L"Prendi";
// The boards, in the words of the arrows that point at them.
constexpr wchar_t playerBoardName[] = L"La tua area";
constexpr wchar_t enemyBoardName[] = L"Area nemica";

// What a playing cell shows: its mark, else on the player's board a ship's number or the sea, and
// on the computer's a ship only once its fleet is shown, in the hit colour without a mark.
std::string ShownWord(const CellControl* cell, bool playersBoard)
{
    const std::string shown = ToNarrow(cell->text);
    if (shown == hitMark)
        return hitWord;
    if (shown == missMark)
        return missWord;
    if (playersBoard)
        return shown.empty() ? std::string(seaWord) : std::string(shipWord) + " " + shown;
    return cell->backPainted && cell->backColor == static_cast<std::int32_t>(hitRed) ? shipWord : unknownWord;
}

// The number a counter shows, without its sign.
std::string Unsigned(const std::wstring& shown)
{
    const std::string number = ToNarrow(shown);
    return number.starts_with('-') ? number.substr(1) : number;
}

}

void FormMain::DescribeCell(CellControl* cell, Description& description)
{
    if (cell == statusBar) {
        description.role = ROLE_SYSTEM_STATUSBAR;
        return;
    }
    if (cell == playerCounter || cell == enemyCounter) {
        description.name = ToWide((cell == playerCounter ? "Tua flotta: " : "Flotta nemica: ") + Unsigned(cell->text) +
                                  " caselle intatte");
        return;
    }
    const CellName name = ReadCellName(cell->tag);
    if (name.kind == ShipPictureKind) {
        const int number = name.PictureNumber();
        description.role = ROLE_SYSTEM_PUSHBUTTON;
        description.name = ToWide("Nave " + ToText(number + 1) + " da " + ToText(MyGame::ShipLength(number)) +
                                  " caselle");
        description.state = STATE_SYSTEM_FOCUSABLE;
        description.action = pickUpAction;
        description.perform = PressAdaptor;
        return;
    }
    const bool playersBoard = name.kind == PlayerCellKind;
    if (!playersBoard && name.kind != EnemyCellKind)
        return;
    const std::string word = ShownWord(cell, playersBoard);
    description.role = ROLE_SYSTEM_CELL;
    description.name = ToWide(CellCoordinates(name.column, name.row) + ", " + word);
    description.value = ToWide(word);
    description.state = STATE_SYSTEM_FOCUSABLE;
    description.action = pressAction;
    description.perform = PressAdaptor;
    description.groupRole = ROLE_SYSTEM_TABLE;
    description.groupName = playersBoard ? playerBoardName : enemyBoardName;
    description.groupPosition = (name.row - 1) * BoardSide + name.column;
}

void FormMain::SetStatus(const std::string& text)
{
    statusBar->SetText(text);
    Announce(text);
}

void FormMain::Announce(const std::string& text)
{
    TorUtility::Announce(statusBar, ToWide(text));
}

void FormMain::AnnouncePlaced(const CellControl* ship, int column, int row, bool vertical, int length)
{
    const int last = length - 1;
    Announce("Nave " + ToText(ShipIndex(ship->id) + 1) + " posizionata da " + CellCoordinates(column, row) + " a " +
             CellCoordinates(vertical ? column : column + last, vertical ? row + last : row) + ".");
}

void FormMain::DescribeAdaptor(GUIElement* element, Description& description)
{
    auto* cell = dynamic_cast<CellControl*>(element);
    if (FormMain* form = HostingForm<FormMain>(element); form && cell)
        form->DescribeCell(cell, description);
}

void FormMain::PressAdaptor(GUIElement* element)
{
    auto* cell = dynamic_cast<CellControl*>(element);
    if (FormMain* form = HostingForm<FormMain>(element); form && cell)
        form->PressByKey(cell);
}

std::int32_t FormMain::FocusAdaptor(GUIElement* element)
{
    auto* cell = dynamic_cast<CellControl*>(element);
    if (FormMain* form = HostingForm<FormMain>(element); form && cell)
        form->FollowFocusTo(cell);
    return 0;
}

}
