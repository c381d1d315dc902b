#pragma once

#include "Button.h"
#include "CellControl.h"
#include "FormMain.h"
#include "Menu.h"
#include "Platform.h"
#include "TestSupport.h"
#include "TextUtilities.h"
#include "Timer.h"

#include <memory>
#include <string>
#include <vector>

namespace GameTest {

// What the game asked of the platform calls that tests stand in for.
struct Seams {
    struct Box {
        std::string text;
        std::string caption;
        UINT type;
        HWND owner;
        bool ticksRunning;
    };
    std::vector<Box> boxes;
    // The answer every message box gets.
    int answer = IDYES;
    int beeps = 0;
    std::vector<int> sounds;
    // What the shell was asked to open, as "verb target show-command", and what it answers.
    std::vector<std::string> opened;
    // The window that owned each request.
    std::vector<HWND> shellOwners;
    INT_PTR shellAnswer = 42;
    // The item texts of each popup shown, and the screen point it was shown at.
    std::vector<std::vector<std::string>> popups;
    std::vector<POINT> popupPoints;
    // The command a popup posts to its owner as if the player chose it; 0 dismisses it.
    int popupChoice = 0;
    POINT cursor{0, 0};
    bool cursorReadable = true;
};

inline Seams seams;

// The real FormMain, built as the program builds it, with message boxes, beeps, sounds, the
// shell, popup menus and the mouse position answered by the test. Its timer is given an interval
// long enough never to fire, so that ticks come only when a test sends them.
class GameTest : public TestSupport::ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        seams = Seams{};
        saved = TorUtility::platform;
        TorUtility::platform.messageBox = MessageBoxSeam;
        TorUtility::platform.messageBeep = [](UINT type) -> BOOL {
            EXPECT_EQ(type, 0xFFFFFFFFu) << "the simple beep";
            return ++seams.beeps, TRUE;
        };
        TorUtility::platform.playSound = [](LPCWSTR sound, HMODULE, DWORD) -> BOOL {
            seams.sounds.push_back(static_cast<int>(reinterpret_cast<std::uintptr_t>(sound)));
            return TRUE;
        };
        TorUtility::platform.shellExecute = [](HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT show) -> HINSTANCE {
            seams.shellOwners.push_back(owner);
            seams.opened.push_back((verb ? TorUtility::ToNarrow(verb) : "(no verb)") + " " + TorUtility::ToNarrow(file) +
                                   " " + std::to_string(show));
            return reinterpret_cast<HINSTANCE>(seams.shellAnswer);
        };
        TorUtility::platform.trackPopupMenu = PopupSeam;
        TorUtility::platform.getCursorInfo = [](PCURSORINFO info) -> BOOL {
            info->ptScreenPos = seams.cursor;
            return seams.cursorReadable;
        };
        form = std::make_unique<MyGame::FormMain>(GetModuleHandleW(nullptr), "Tiremola");
        form->tickTimer->Stop();
        form->tickTimer->interval = 0x7FFFFFFF;
        form->tickTimer->Start();
        TestSupport::PumpMessages();
    }

    void TearDown() override
    {
        seams.answer = IDYES;
        form.reset();
        TorUtility::platform = saved;
        MyGame::tickCount = 0;
        MyGame::aimPending = false;
        ToolkitTest::TearDown();
    }

    MyGame::FormMain& Game() { return *form; }

    // A left-button press on an element's window, through the window procedure.
    static void Press(TorUtility::GUIElement* element, int x = 5, int y = 5)
    {
        SendMessageW(element->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(element->handle, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        TestSupport::PumpMessages();
    }

    // A click on one of the form's buttons as the button reports it to the form.
    void Click(TorUtility::Button* button)
    {
        SendMessageW(form->handle, WM_COMMAND, MAKEWPARAM(button->id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(static_cast<HWND>(button->handle)));
        TestSupport::PumpMessages();
    }

    // A menu choice as the menu bar or a popup reports it.
    void Choose(TorUtility::SubMenu* item)
    {
        SendMessageW(form->handle, WM_COMMAND, MAKEWPARAM(item->id, 0), 0);
        TestSupport::PumpMessages();
    }

    // Ticks of tickTimer as the platform delivers them.
    void Tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            SendMessageW(form->handle, WM_TIMER, static_cast<WPARAM>(form->tickTimer->id), 0);
    }

    // Puts the mouse, as the game reads it, at a point of the form's client area.
    void MouseAt(int clientX, int clientY)
    {
        POINT point{clientX, clientY};
        ClientToScreen(form->handle, &point);
        seams.cursor = point;
    }

    // Drops ship picture k with its first cell at 1-based column c and row r, running the way
    // given when the drop leaves the choice to the player.
    void PlaceShip(int k, int c, int r, bool vertical = false)
    {
        Press(form->shipPictures[static_cast<std::size_t>(k)]);
        seams.popupChoice = vertical ? form->verticalItem->id : form->horizontalItem->id;
        Press(form->PlayerCell(c, r));
        seams.popupChoice = 0;
    }

    // All nine ships, horizontally, on rows 1, 3, 5, ... so that none touches another.
    void PlaceFleet()
    {
        const int spots[9][2] = {{1, 1}, {5, 1}, {8, 1}, {1, 3}, {6, 3}, {1, 5}, {6, 5}, {1, 7}, {6, 7}};
        for (int k = 0; k < 9; ++k)
            PlaceShip(k, spots[k][0], spots[k][1]);
    }

    std::unique_ptr<MyGame::FormMain> form;

private:
    static int WINAPI MessageBoxSeam(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
    {
        auto* game = dynamic_cast<MyGame::FormMain*>(TorUtility::mainFormInstance);
        const bool running = game && game->tickTimer && game->tickTimer->running;
        seams.boxes.push_back(Seams::Box{text ? text : "", caption ? caption : "", type, owner, running});
        return seams.answer;
    }

    static BOOL WINAPI PopupSeam(HMENU menu, UINT, int x, int y, int, HWND owner, const RECT*)
    {
        std::vector<std::string> items;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t caption[256] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), caption, 256, MF_BYPOSITION);
            items.push_back(TorUtility::ToNarrow(caption));
        }
        seams.popups.push_back(items);
        seams.popupPoints.push_back(POINT{x, y});
        if (seams.popupChoice != 0)
            PostMessageW(owner, WM_COMMAND, static_cast<WPARAM>(seams.popupChoice), 0);
        return TRUE;
    }

    TorUtility::PlatformCalls saved{};
};

}
