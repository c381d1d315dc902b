#include "FormMain.h"

#include "Button.h"
#include "CellControl.h"
#include "Drawing.h"
#include "Image.h"
#include "Menu.h"
#include "Palette.h"
#include "TextUtilities.h"
#include "Timer.h"
#include "resource.h"

namespace MyGame {

using namespace TorUtility;

namespace {

// The player's board and the status line keep this far from the left edge, the status line and
// the last button as far from the right one.
constexpr int sideMargin = 10;
constexpr int boardTop = 67;
constexpr int boardLeft = sideMargin;
// "Inizia" stands on its own; "Info" and "Chiudi" stand side by side at the right.
constexpr int buttonWidth = 100;
constexpr int buttonHeight = 40;
constexpr int buttonTop = 15;
constexpr int buttonGap = 10;
constexpr int startButtonLeft = 265;
// Between the boards, one above the other: the arrow to the player's board level with the boards'
// top, the two counters, the arrow to the computer's board.
constexpr int arrowWidth = 99;
constexpr int arrowHeight = 87;
constexpr int counterWidth = 30;
constexpr int counterHeight = 22;
constexpr int counterTop = 167;
constexpr int enemyArrowTop = 217;
constexpr int shipPictureWidth = 64;
constexpr int shipPictureHeight = 50;
constexpr int trayMargin = 5;
constexpr int tickInterval = 20;
constexpr int shipBitmapIds[] = {IDB_SHIP2, IDB_SHIP3, IDB_SHIP4};
constexpr int largeShipBitmapIds[] = {IDB_SHIP2_2X, IDB_SHIP3_2X, IDB_SHIP4_2X};

}

void FormMain::BuildInterface()
{
    BuildMenus();
    const SIZE client = GetClientSize();
    width = client.cx;
    height = client.cy;
    const int w = width;
    const int h = height;

    logoImage = new Image(this, IDB_LOGO);
    logoImage->largeResourceId = IDB_LOGO_2X;
    logoImage->width = 200;
    logoImage->height = 60;
    logoImage->SetPosition(10, 10);
    logoImage->Create();

    const int closeButtonLeft = w - sideMargin - buttonWidth;
    const int buttonLeft[] = {startButtonLeft, closeButtonLeft - buttonGap - buttonWidth, closeButtonLeft};
    Button** buttons[] = {&startButton, &infoButton, &closeButton};
    const char* captions[] = {"Inizia", "Info", "Chiudi"};
    for (int i = 0; i < 3; ++i) {
        Button* button = *buttons[i] = new Button(this, captions[i]);
        button->width = buttonWidth;
        button->height = buttonHeight;
        button->SetPosition(buttonLeft[i], buttonTop);
        button->onCommand = ButtonAdaptor;
        HearKeys(button);
        button->ownerDrawn = true;
        button->Create();
    }

    const int side = h - 140;
    BuildBoard(playerCells, boardLeft, boardTop, side, true);
    BuildBoard(enemyCells, w - side - 5, boardTop, side, false);
    // The column between the boards starts where the square the player's board is laid out in ends.
    const int arrowLeft = boardLeft + side;

    playerPicture = new Image(this, IDB_ARROW_PLAYER);
    enemyPicture = new Image(this, IDB_ARROW_ENEMY);
    playerPicture->largeResourceId = IDB_ARROW_PLAYER_2X;
    enemyPicture->largeResourceId = IDB_ARROW_ENEMY_2X;
    for (auto [picture, top] : {std::pair{playerPicture, boardTop}, std::pair{enemyPicture, enemyArrowTop}}) {
        picture->width = arrowWidth;
        picture->height = arrowHeight;
        picture->SetPosition(arrowLeft, top);
        picture->Create();
    }

    playerCounter = new CellControl(this);
    enemyCounter = new CellControl(this);
    // Under the arrows' two ends.
    for (auto [counter, left] :
         {std::pair{playerCounter, arrowLeft}, std::pair{enemyCounter, arrowLeft + arrowWidth - counterWidth}}) {
        counter->SetText("0");
        counter->onDescribe = DescribeAdaptor;
        counter->width = counterWidth;
        counter->height = counterHeight;
        counter->SetPosition(left, counterTop);
        counter->Create();
    }

    statusBar = new CellControl(this);
    statusBar->SetBackColor(static_cast<std::int32_t>(white));
    statusBar->width = w - 2 * sideMargin;
    statusBar->height = 60;
    statusBar->SetPosition(sideMargin, h - 70);
    statusBar->SetFont(formFont.get());
    statusBar->onDescribe = DescribeAdaptor;
    statusBar->Create();
    statusBar->SetEnabled(false);

    static_assert(std::size(shipBitmapIds) == std::tuple_size_v<decltype(shipBitmaps)>);
    static_assert(std::size(largeShipBitmapIds) == std::tuple_size_v<decltype(largeShipBitmaps)>);
    for (std::size_t i = 0; i < std::size(shipBitmapIds); ++i) {
        shipBitmaps[i] = LoadPicture(instance, shipBitmapIds[i]);
        largeShipBitmaps[i] = LoadPicture(instance, largeShipBitmapIds[i]);
    }
    BuildShipPictures();
    trayCursor = shipPictures.front();

    tickTimer = new Timer(this);
    tickTimer->interval = tickInterval;
    tickTimer->onTick = TickAdaptor;
    tickTimer->Start();
}

void FormMain::BuildMenus()
{
    menuBar = new MenuBar(this);
    fileMenu = new Menu("&File", menuBar);
    exitItem = new SubMenu(fileMenu, "&Esci");
    helpMenu = new Menu("&?", menuBar);
    guideItem = new SubMenu(helpMenu, "&Guida");
    homeItem = new SubMenu(helpMenu, "&Home");
    menuBar->Create();
    placementMenu = new Menu("&Posizionamento", nullptr);
    horizontalItem = new SubMenu(placementMenu, "Posizionamento orizzontale");
    verticalItem = new SubMenu(placementMenu, "Posizionamento verticale");
    for (SubMenu* item : {exitItem, guideItem, homeItem, horizontalItem, verticalItem})
        item->onCommand = MenuAdaptor;
}

void FormMain::BuildBoard(Board& board, int left, int top, int side, bool playersBoard)
{
    const int cellSide = side / boardStride;
    for (int i = 0; i < boardStride * boardStride; ++i) {
        const int r = i / boardStride;
        const int c = i % boardStride;
        auto* cell = new CellControl(this);
        cell->border = true;
        board[static_cast<std::size_t>(i)] = cell;
        cell->width = cellSide;
        cell->height = cellSide;
        cell->SetPosition(left + cellSide * c, top + cellSide * r);
        cell->ChangeTextColor(static_cast<std::int32_t>(black));
        cell->SetFont(formFont.get());
        if (r == 0 || c == 0) {
            cell->SetBackColor(static_cast<std::int32_t>(headerGrey));
            cell->SetText(r == 0 ? std::string(1, ColumnLetter(c)) : ToText(r));
        } else {
            cell->SetBackColor(static_cast<std::int32_t>(water));
            if (playersBoard) {
                SetPlayerCell(c, r, PlayerCellKind, false, -1);
            } else {
                cell->ChangeTextColor(static_cast<std::int32_t>(black));
                cell->tag = BoardCellName(EnemyCellKind, false, c, r, -1);
            }
            cell->onLeftDown = LeftDownAdaptor;
            // A quick second press arrives as a double-click; it is a press all the same.
            cell->onLeftDoubleClick = LeftDownAdaptor;
            HearKeys(cell);
            cell->onDescribe = DescribeAdaptor;
            cell->onGotFocus = FocusAdaptor;
            // The board is one stop of the Tab key, at its first cell until the focus moves on.
            if (c == 1 && r == 1) {
                cell->tabStop = true;
                boardCursors[playersBoard ? 0 : 1] = cell;
            }
        }
        cell->Create();
    }
}

void FormMain::BuildShipPictures()
{
    POINT corner = statusBar->GetPosition();
    for (int k = 0; k < FleetShipCount; ++k) {
        auto* picture = new CellControl(this);
        shipPictures[static_cast<std::size_t>(k)] = picture;
        picture->width = shipPictureWidth;
        picture->height = shipPictureHeight;
        picture->SetBackColor(static_cast<std::int32_t>(white));
        picture->SetPosition(corner.x + trayMargin, corner.y + trayMargin);
        picture->picture = shipBitmaps[static_cast<std::size_t>(k / 3)];
        picture->largePicture = largeShipBitmaps[static_cast<std::size_t>(k / 3)];
        picture->pictureAlign = Drawing::alignCenter;
        picture->pictureWidth = shipPictureWidth;
        picture->pictureHeight = shipPictureHeight;
        picture->Redraw();
        picture->onLeftDown = LeftDownAdaptor;
        picture->onLeftDoubleClick = LeftDownAdaptor;
        picture->tag = ShipPictureName(k);
        picture->SetHandCursor(true);
        HearKeys(picture);
        picture->onDescribe = DescribeAdaptor;
        picture->onGotFocus = FocusAdaptor;
        // The tray is one stop of the Tab key, at its first picture until the focus moves on.
        picture->tabStop = k == 0;
        picture->Create();
        corner = picture->GetPosition();
        shipHomes.push_back(corner);
        corner.x += shipPictureWidth;
        corner.y -= trayMargin;
    }
}

}
