#include "FormMain.h"

#include "Button.h"
#include "CellControl.h"
#include "Drawing.h"
#include "FormAbout.h"
#include "Image.h"
#include "Menu.h"
#include "Palette.h"
#include "Platform.h"
#include "Product.h"
#include "TextBox.h"
#include "Timer.h"
#include "resource.h"

namespace MyGame {

using namespace TorUtility;

FormMain::FormMain(HINSTANCE moduleInstance, const std::string& title)
    : Form(moduleInstance), formFont(std::make_unique<FontSpec>("Lucida Console", 14))
{
    width = clientWidth;
    height = clientHeight;
    SetText(title);
    minimizeBox = true;
    resizable = false;
    showLater = true;
    onCreated = BuildOnCreated<FormMain, &FormMain::BuildInterface>;
    onClosing = AskOnClosing<FormMain, &FormMain::ConfirmClose>;
    onResized = CallOnForm<FormMain, &FormMain::OnFormResized>;
    onChar = CharAdaptor;
    onKeyDown = PassKeyToForm<FormMain, &FormMain::OnFormKeyDown>;
    onKeyUp = PassKeyToForm<FormMain, &FormMain::OnFormKeyUp>;
    onLeftUp = LeftUpAdaptor;
    onLeftDown = LeftDownAdaptor;
    SetBackColor(static_cast<std::int32_t>(formBackground));
    // The class icon is the game's too, so that the task bar and Alt+Tab show it.
    iconId = IDI_TIREMOLA;
    Create();
    SetIcon(IDI_TIREMOLA);
    SetFont(formFont.get());
    SetClientSize(clientWidth, clientHeight);
    Show();
    if (!mainFormInstance)
        mainFormInstance = this;
}

FormMain::~FormMain()
{
    delete tickTimer;
    tickTimer = nullptr;
    if (created && !destroyed) {
        // The window goes whatever the player would answer, so nobody is asked.
        onClosing = nullptr;
        SendMessageW(handle, WM_CLOSE, 0, 0);
        // The window goes now, while every element it routes messages to still exists.
        // cppcheck-suppress knownConditionTrueFalse ; WM_CLOSE runs the window procedure, which may destroy the window
        if (!destroyed)
            DestroyWindow(handle);
    }
    delete aboutBox;
    for (SubMenu* item : {exitItem, guideItem, homeItem, horizontalItem, verticalItem})
        delete item;
    for (Menu* menu : {fileMenu, helpMenu, placementMenu})
        delete menu;
    delete menuBar;
    for (Button* button : {startButton, infoButton, closeButton})
        delete button;
    delete logoImage;
    for (const Board* board : {&playerCells, &enemyCells})
        for (CellControl* cell : *board)
            delete cell;
    for (CellControl* picture : shipPictures)
        delete picture;
    Unmake(controlBrush);
    for (const auto* bitmaps : {&shipBitmaps, &largeShipBitmaps})
        for (HBITMAP bitmap : *bitmaps)
            Unmake(bitmap);
    delete statusBar;
    delete playerPicture;
    delete enemyPicture;
    delete playerCounter;
    delete enemyCounter;
    if (mainFormInstance == this)
        mainFormInstance = nullptr;
}

HBRUSH FormMain::ColorChild(HDC dc)
{
    Unmake(controlBrush);
    SelectObject(dc, formFont->GetFont(Dpi()));
    const bool start = startButton && WindowFromDC(dc) == startButton->handle;
    const COLORREF background = start ? hitRed : controlGreen;
    SetBkColor(dc, background);
    controlBrush = Made(CreateSolidBrush(background));
    SetTextColor(dc, start ? white : black);
    return controlBrush;
}

void FormMain::OnFormResized()
{
}

bool FormMain::OnFormChar(std::int32_t)
{
    return true;
}

bool FormMain::OnTextBoxChar(TextBox*, std::int32_t code)
{
    return code != VK_TAB && code != VK_RETURN;
}

void FormMain::OnFormKeyUp(std::int32_t)
{
}

void FormMain::OnFormReleased(std::int32_t, std::int32_t)
{
}

void FormMain::OnTextBoxReleased(TextBox* box)
{
    if (box->created)
        SendMessageW(box->handle, EM_SETSEL, 0, -1);
}

bool FormMain::CharAdaptor(GUIElement* element, std::int32_t code)
{
    if (auto* box = dynamic_cast<TextBox*>(element)) {
        auto* form = HostingForm<FormMain>(box);
        return form ? form->OnTextBoxChar(box, code) : true;
    }
    auto* form = FormItself<FormMain>(element);
    return form ? form->OnFormChar(code) : true;
}

std::int32_t FormMain::LeftUpAdaptor(GUIElement* element, HWND, std::int32_t px, std::int32_t py)
{
    if (auto* box = dynamic_cast<TextBox*>(element)) {
        if (auto* form = HostingForm<FormMain>(box))
            form->OnTextBoxReleased(box);
    } else if (auto* form = FormItself<FormMain>(element)) {
        form->OnFormReleased(px, py);
    }
    return 0;
}

std::int32_t FormMain::LeftDownAdaptor(GUIElement* element, HWND, std::int32_t px, std::int32_t py)
{
    if (auto* cell = dynamic_cast<CellControl*>(element)) {
        if (auto* form = HostingForm<FormMain>(cell))
            form->OnCellPressed(cell);
    } else if (auto* form = FormItself<FormMain>(element)) {
        form->OnFormPressed(px, py);
    }
    return 0;
}

void FormMain::ButtonAdaptor(GUIElement* element)
{
    auto* button = dynamic_cast<Button*>(element);
    if (auto* form = HostingForm<FormMain>(element); form && button)
        form->OnButtonClicked(button);
}

void FormMain::MenuAdaptor(GUIElement* element)
{
    auto* item = dynamic_cast<SubMenu*>(element);
    if (auto* form = FormAboveMenuItem<FormMain>(item); form && item)
        form->OnMenuCommand(item);
}

void FormMain::HearKeys(GUIElement* element)
{
    element->onKeyDown = PassKeyToForm<FormMain, &FormMain::OnFormKeyDown>;
    element->onKeyUp = PassKeyToForm<FormMain, &FormMain::OnFormKeyUp>;
}

void FormMain::TickAdaptor(Timer* timer)
{
    if (auto* form = HostingForm<FormMain>(timer))
        form->OnTick();
}

int RunGame(HINSTANCE moduleInstance)
{
    const auto form = std::make_unique<FormMain>(moduleInstance, std::string(productName) + " " + copyrightNotice);
    if (!IsWindow(form->handle)) {
        platform.messageBox(nullptr, "Impossibile aprire la finestra del gioco.", productName,
                            MB_OK | MB_ICONERROR | MB_TASKMODAL);
        return 1;
    }
    RunMessageLoop(form.get());
    return 0;
}

}
