#pragma once

#include "CellName.h"
#include "FleetLayout.h"
#include "Form.h"
#include "Targeting.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace TorUtility {
struct Description;
class Button;
class CellControl;
class FontSpec;
class FormAbout;
class Image;
class Menu;
class MenuBar;
class SubMenu;
class TextBox;
class Timer;
}

namespace MyGame {

using TorUtility::CellControl;

// The computer's turn, one for the whole program: ticks counted since it last acted, and the
// cell it has aimed at and will resolve at its next action.
extern int tickCount;
extern bool aimPending;
extern bool aimIsHit;
extern int aimColumn;
extern int aimRow;

// The game's one window: both boards, the ship tray, the buttons, the menus and the timer that
// drives dragging and the computer's turn.
class FormMain : public TorUtility::Form {
public:
    // A board of 11 x 11 cells, row-major, with a header row and a header column.
    static constexpr int boardStride = 11;
    using Board = std::array<CellControl*, boardStride * boardStride>;
    // The client area's size in logical pixels.
    static constexpr std::int32_t clientWidth = 640;
    static constexpr std::int32_t clientHeight = 400;

    FormMain(HINSTANCE moduleInstance, const std::string& title);
    ~FormMain() override;

    HBRUSH ColorChild(HDC dc) override;

    virtual void BuildInterface();
    virtual bool ConfirmClose();
    virtual void OnFormResized();
    virtual void OnTick();
    virtual bool OnFormChar(std::int32_t code);
    virtual bool OnTextBoxChar(TorUtility::TextBox* box, std::int32_t code);
    virtual void OnFormKeyDown(std::int32_t key);
    virtual void OnFormKeyUp(std::int32_t key);
    virtual void OnMenuCommand(TorUtility::SubMenu* item);
    virtual void OnFormReleased(std::int32_t px, std::int32_t py);
    virtual void OnFormPressed(std::int32_t px, std::int32_t py);
    virtual void OnCellPressed(CellControl* cell);
    virtual void OnTextBoxReleased(TorUtility::TextBox* box);
    virtual void OnButtonClicked(TorUtility::Button* button);

    // Board and fleet.
    static bool AnyShipLeft(const Grid& grid);
    void UpdateCounters();
    // Writes the player's cell at 1-based column c and row r together with its grid entry; an
    // empty prefix keeps the one the cell's name already has.
    void SetPlayerCell(int c, int r, std::string_view prefix, bool hasShip, int shipId);
    void RevealFleet(const Grid& grid, const Board& board);
    // cppcheck-suppress CastIntegerToAddressAtReturn ; it takes Board's element type for an integer
    CellControl* PlayerCell(int c, int r) const { return playerCells[r * boardStride + c]; }
    // cppcheck-suppress CastIntegerToAddressAtReturn ; as above
    CellControl* EnemyCell(int c, int r) const { return enemyCells[r * boardStride + c]; }

    // Match.
    // Shows a text on the status line and says it to a screen reader.
    void SetStatus(const std::string& text);
    // Says what happened to a screen reader, through the status line.
    void Announce(const std::string& text);
    void ShowMessage(const std::string& message, const std::string& caption);
    bool AskYesNo(const std::string& question, const std::string& caption);
    void PlayGameSound(int resourceId);

    // The computer's fleet and shots.
    void PlaceComputerFleet();
    void ResetEnemyBoard();
    BoardView ReadPlayerBoard() const;

    // The player's fleet.
    void HandlePlacementClick(CellControl* cell);
    void PlacePendingShip(bool vertical);
    void ResetPlayerBoard();
    void SendShipHome(CellControl* picture);
    CellControl* FindShipPicture(int elementId) const;
    // Index in shipPictures of the picture with this element id; 0 when none has it.
    int ShipIndex(int elementId) const;
    int ShipLength() const;
    int ShipIdAt(int r, int c) const;
    void OpenAboutBox();

    Grid playerGrid{};
    Grid enemyGrid{};
    Board playerCells{};
    Board enemyCells{};
    std::array<CellControl*, FleetShipCount> shipPictures{};
    std::int32_t enemyCellsLeft = 0;
    std::int32_t playerCellsLeft = 0;
    bool playing = false;
    bool matchOver = false;
    bool playerTurn = false;
    // "Vuoi realmente uscire?" is being asked; a second close request meanwhile is refused.
    bool exitQuestionOpen = false;
    Position lastHit = NoPosition;
    std::deque<Position> earlierHits;
    CellControl* draggedShip = nullptr;
    CellControl* pendingShip = nullptr;
    std::int32_t pendingLength = 0;
    std::int32_t pendingRow = 0;
    std::int32_t pendingColumn = 0;
    std::vector<POINT> shipHomes;
    // The keyboard: the cell of each board (the player's first) and the tray picture that the focus
    // comes back to there, each the one tab stop of its group; the ship dragged by keys and where
    // the mouse was when that began, so that the mouse takes over once it moves.
    std::array<CellControl*, 2> boardCursors{};
    CellControl* trayCursor = nullptr;
    bool keyboardDrag = false;
    POINT dragMouse{-1, -1};
    // The press being handled came from a key, not from the mouse.
    bool pressByKey = false;
    std::array<HBITMAP, 3> shipBitmaps{};
    // The same pictures at twice their size, drawn above 100 %.
    std::array<HBITMAP, 3> largeShipBitmaps{};

    TorUtility::Image* logoImage = nullptr;
    TorUtility::Button* startButton = nullptr;
    TorUtility::Button* infoButton = nullptr;
    TorUtility::Button* closeButton = nullptr;
    TorUtility::Image* playerPicture = nullptr;
    TorUtility::Image* enemyPicture = nullptr;
    CellControl* playerCounter = nullptr;
    CellControl* enemyCounter = nullptr;
    CellControl* statusBar = nullptr;
    TorUtility::Timer* tickTimer = nullptr;
    TorUtility::MenuBar* menuBar = nullptr;
    TorUtility::Menu* fileMenu = nullptr;
    TorUtility::SubMenu* exitItem = nullptr;
    TorUtility::Menu* helpMenu = nullptr;
    TorUtility::SubMenu* guideItem = nullptr;
    TorUtility::SubMenu* homeItem = nullptr;
    TorUtility::Menu* placementMenu = nullptr;
    TorUtility::SubMenu* horizontalItem = nullptr;
    TorUtility::SubMenu* verticalItem = nullptr;
    std::unique_ptr<TorUtility::FontSpec> formFont;
    HBRUSH controlBrush = nullptr;
    TorUtility::FormAbout* aboutBox = nullptr;

private:
    int ShowBox(const std::string& text, const std::string& caption, UINT type);
    // Every handler that changes the game holds the ticks while it works.
    void PauseTicks();
    void ResumeTicks();
    void BuildMenus();
    void BuildBoard(Board& board, int left, int top, int side, bool playersBoard);
    void BuildShipPictures();
    void StartOrEndMatch();
    void ShootAt(CellControl* cell);
    void AimAtPlayer();
    void ResolveAim();
    void FollowMouse();
    void PickUpShip(const CellName& name);
    POINT CursorOnScreen() const;
    // The cell or ship picture of this window that has the keyboard focus, if one has.
    CellControl* FocusedCell() const;
    // The focus goes to a cell or a picture, which becomes its group's cursor and tab stop.
    void FocusCell(CellControl* cell);
    void MoveBoardFocus(CellControl* from, std::int32_t key);
    void MoveTrayFocus(CellControl* from, int step);
    void PressByKey(CellControl* cell);
    void CancelDragByKey();
    // A ship dragged by keys stands where the mouse rule would put it over the focused cell.
    void FollowFocus();
    // The tray is a tab stop only while placing and while it shows a picture; answers the tray's
    // stop, if it has one.
    CellControl* UpdateTabStops();
    // Hides a placed ship's picture; with the focus on it, the focus moves on.
    void HidePicture(CellControl* picture);
    // The focus reached a cell or a picture, by whatever means: it becomes its group's cursor.
    void FollowFocusTo(CellControl* cell);
    // What a cell, picture, counter or the status line is to a screen reader.
    void DescribeCell(CellControl* cell, TorUtility::Description& description);
    // A ship was put on the board from the given first cell.
    void AnnouncePlaced(const CellControl* ship, int column, int row, bool vertical, int length);

    static bool CharAdaptor(TorUtility::GUIElement* element, std::int32_t code);
    static std::int32_t LeftUpAdaptor(TorUtility::GUIElement* element, HWND window, std::int32_t px, std::int32_t py);
    static std::int32_t LeftDownAdaptor(TorUtility::GUIElement* element, HWND window, std::int32_t px,
                                        std::int32_t py);
    static void ButtonAdaptor(TorUtility::GUIElement* element);
    static void MenuAdaptor(TorUtility::GUIElement* element);
    static void TickAdaptor(TorUtility::Timer* timer);
    // The keys pressed on an element reach the form's own key handlers.
    static void HearKeys(TorUtility::GUIElement* element);
    static void DescribeAdaptor(TorUtility::GUIElement* element, TorUtility::Description& description);
    // A reader's default action on a cell or a picture: the press its Enter key makes.
    static void PressAdaptor(TorUtility::GUIElement* element);
    static std::int32_t FocusAdaptor(TorUtility::GUIElement* element);
};

// The program: the game's window, its messages until it is closed, and the exit code, which is 0,
// or 1 when the window could not be made (the player is told so, and no message loop waits for a
// window that does not exist).
int RunGame(HINSTANCE moduleInstance);

}
