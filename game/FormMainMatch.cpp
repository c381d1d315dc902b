#include "FormMain.h"

#include "Button.h"
#include "CellControl.h"
#include "Palette.h"
#include "Platform.h"
#include "Timer.h"
#include "resource.h"

#include <mmsystem.h>

#include <algorithm>

namespace MyGame {

using namespace TorUtility;

namespace {

constexpr int fleetCells = 27;

bool Visible(const CellControl* picture)
{
    return picture->visible;
}

}

void FormMain::PauseTicks()
{
    if (tickTimer)
        tickTimer->Stop();
}

void FormMain::ResumeTicks()
{
    if (tickTimer)
        tickTimer->Start();
}

// Owned by the game window, so that the box stays in front of it; the game takes no input until
// the box is answered.
int FormMain::ShowBox(const std::string& text, const std::string& caption, UINT type)
{
    Hold();
    const int answer = platform.messageBox(handle, text.c_str(), caption.c_str(), type);
    Release();
    return answer;
}

void FormMain::ShowMessage(const std::string& message, const std::string& caption)
{
    ShowBox(message, caption, MB_OK | MB_TASKMODAL);
}

bool FormMain::AskYesNo(const std::string& question, const std::string& caption)
{
    return ShowBox(question, caption, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

void FormMain::PlayGameSound(int resourceId)
{
    platform.playSound(MAKEINTRESOURCEW(resourceId), instance, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

void FormMain::OnButtonClicked(Button* button)
{
    if (button->id == closeButton->id)
        OnMenuCommand(exitItem);
    else if (button->id == startButton->id)
        StartOrEndMatch();
    else if (button->id == infoButton->id)
        OpenAboutBox();
    UpdateTabStops();
}

void FormMain::StartOrEndMatch()
{
    if (!playing && !matchOver) {
        if (std::any_of(shipPictures.begin(), shipPictures.end(), Visible)) {
            ShowMessage("Devi prima posizionare le navi nella tua area.", "Attenzione");
            return;
        }
        startButton->SetText("Abbandona");
        earlierHits.clear();
        lastHit = NoPosition;
        // An aim left over from an abandoned match belongs to the old board.
        aimPending = false;
        tickCount = 0;
        playerCellsLeft = fleetCells;
        enemyCellsLeft = fleetCells;
        UpdateCounters();
        PlaceComputerFleet();
        statusBar->SetEnabled(true);
        SetStatus("Colpisci la nave nemica. Clicca sull'area nemica.");
        playerTurn = true;
    } else {
        ResetPlayerBoard();
        startButton->SetText("Inizia");
        RevealFleet(enemyGrid, enemyCells);
    }
    if (matchOver)
        matchOver = false;
    else
        playing = !playing;
}

void FormMain::OnCellPressed(CellControl* cell)
{
    if (matchOver)
        return;
    const std::string& name = cell->tag;
    if (!playing) {
        if (name.starts_with(PlayerCellKind)) {
            HandlePlacementClick(cell);
        } else if (name.starts_with(ShipPictureKind)) {
            PauseTicks();
            if (draggedShip) {
                SendShipHome(draggedShip);
                draggedShip = nullptr;
            }
            draggedShip = cell;
            ResumeTicks();
        }
        UpdateTabStops();
        return;
    }
    if (playerTurn && name.starts_with(EnemyCellKind))
        ShootAt(cell);
}

void FormMain::ShootAt(CellControl* cell)
{
    if (!cell->GetText().empty()) {
        platform.messageBeep(simpleBeep);
        return;
    }
    const CellName name = ReadCellName(cell->tag);
    const int x = name.column;
    const int y = name.row;
    if (!OnBoard(x - 1, y - 1))
        return;
    PauseTicks();
    if (name.HasShip()) {
        cell->SetBackColor(static_cast<std::int32_t>(hitRed));
        cell->ChangeTextColor(static_cast<std::int32_t>(white));
        cell->SetText("#");
        PlayGameSound(IDW_HIT);
        enemyGrid[static_cast<std::size_t>((y - 1) * BoardSide + (x - 1))] = 0;
        --enemyCellsLeft;
        UpdateCounters();
        if (AnyShipLeft(enemyGrid)) {
            SetStatus("Colpita la nave nemica. Tocca ancora a te..");
        } else {
            SetStatus("Bravo.. hai vinto");
            ShowMessage(statusBar->GetText(), "Hai vinto");
            playing = false;
            matchOver = true;
            startButton->SetText("Nuova");
        }
    } else {
        PlayGameSound(IDW_MISS);
        cell->ChangeTextColor(static_cast<std::int32_t>(black));
        cell->SetText("X");
        playerTurn = false;
        SetStatus("Ora tocca al pc..");
    }
    ResumeTicks();
}

bool FormMain::ConfirmClose()
{
    // One question at a time: the computer plays on behind it, so a request can still arrive.
    if (exitQuestionOpen)
        return false;
    UnregisterHotKeys();
    HWND focus = GetFocus();
    exitQuestionOpen = true;
    const bool leave = AskYesNo("Vuoi realmente uscire?", "Uscita");
    exitQuestionOpen = false;
    if (!leave) {
        RegisterHotKeys();
        // The box still open over the game, or else the game, is in front again; once the game
        // takes input, the focus goes back where it was.
        if (focus && IsChild(handle, focus) && IsWindowEnabled(handle))
            SetFocus(focus);
        return false;
    }
    PauseTicks();
    return true;
}

}
