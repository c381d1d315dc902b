#pragma once

#include "Button.h"
#include "CellControl.h"
#include "FormMain.h"
#include "Menu.h"
#include "Platform.h"
#include "TestSupport.h"
#include "TextUtilities.h"
#include "Timer.h"

#include <mmsystem.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

namespace GameTest {

using TestSupport::Hex;

// What the stand-ins for the platform's calls answer the game. What it asked of them goes to
// the test's log, one entry a call, the first three with whether the game's ticks ran then:
//   box CAPTION: TEXT (TYPE, over OWNER, running|held)
//   beep TYPE (running|held)
//   sound ID ([flags F[ from elsewhere], ]running|held), the flags named only when the sound is
//       not the program's own resource played asynchronously with no default in its place
//   shell VERB TARGET (SHOW, over OWNER)
//   popup ..., as TestSupport::PopupStandIn writes it
struct Seams {
    // The answer every message box gets.
    int answer = IDYES;
    INT_PTR shellAnswer = 42;
    POINT cursor{0, 0};
    bool cursorReadable = true;
};

inline Seams seams;

inline std::string Ticks()
{
    auto* game = dynamic_cast<MyGame::FormMain*>(TorUtility::mainFormInstance);
    return game && game->tickTimer && game->tickTimer->running ? "running" : "held";
}

// A message box's type by the names of its parts: buttons, icon (when it has one) and modality.
inline std::string BoxType(UINT type)
{
    const auto part = [type](UINT mask, std::initializer_list<std::pair<UINT, const char*>> names) -> std::string {
        for (const auto& [value, name] : names)
            if ((type & mask) == value)
                return name;
        return Hex(type & mask);
    };
    std::string named = part(MB_TYPEMASK, {{MB_OK, "MB_OK"}, {MB_YESNO, "MB_YESNO"}});
    if (type & MB_ICONMASK)
        named += "|" + part(MB_ICONMASK, {{MB_ICONERROR, "MB_ICONERROR"}, {MB_ICONQUESTION, "MB_ICONQUESTION"}});
    named += "|" + part(MB_MODEMASK, {{MB_APPLMODAL, "MB_APPLMODAL"}, {MB_TASKMODAL, "MB_TASKMODAL"}});
    if (const UINT others = type & ~static_cast<UINT>(MB_TYPEMASK | MB_ICONMASK | MB_MODEMASK))
        named += "|" + Hex(others);
    return named;
}

inline HINSTANCE WINAPI ShellStandIn(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT show)
{
    TestSupport::log.Record("shell " + (verb ? TorUtility::ToNarrow(verb) : "(no verb)") + " " +
                            TorUtility::ToNarrow(file) + " (" +
                            (show == SW_SHOW ? "SW_SHOW" : Hex(static_cast<unsigned>(show))) + ", over " +
                            TestSupport::WindowName(owner) + ")");
    return reinterpret_cast<HINSTANCE>(seams.shellAnswer);
}

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
        TorUtility::platform.messageBox = [](HWND owner, LPCSTR text, LPCSTR caption, UINT type) -> int {
            TestSupport::log.Record("box " + std::string(caption) + ": " + text + " (" + BoxType(type) + ", over " +
                                    TestSupport::WindowName(owner) + ", " + Ticks() + ")");
            return seams.answer;
        };
        TorUtility::platform.messageBeep = [](UINT type) -> BOOL {
            TestSupport::log.Record("beep " + Hex(type) + " (" + Ticks() + ")");
            return TRUE;
        };
        TorUtility::platform.playSound = [](LPCWSTR sound, HMODULE module, DWORD flags) -> BOOL {
            std::string way;
            if (module != GetModuleHandleW(nullptr) || flags != (SND_RESOURCE | SND_ASYNC | SND_NODEFAULT))
                way = "flags " + Hex(flags) + (module == GetModuleHandleW(nullptr) ? "" : " from elsewhere") + ", ";
            TestSupport::log.Record("sound " + std::to_string(reinterpret_cast<std::uintptr_t>(sound)) + " (" + way +
                                    Ticks() + ")");
            return TRUE;
        };
        TorUtility::platform.shellExecute = ShellStandIn;
        TorUtility::platform.trackPopupMenu = TestSupport::PopupStandIn;
        TorUtility::platform.getCursorInfo = [](PCURSORINFO info) -> BOOL {
            info->ptScreenPos = seams.cursor;
            return seams.cursorReadable;
        };
        form = MakeGame();
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

    // The game window the test plays in; a test may make one that notes its handlers' calls.
    virtual std::unique_ptr<MyGame::FormMain> MakeGame()
    {
        return std::make_unique<MyGame::FormMain>(GetModuleHandleW(nullptr), "Tiremola");
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
        TestSupport::popups.choice = vertical ? form->verticalItem->id : form->horizontalItem->id;
        Press(form->PlayerCell(c, r));
        TestSupport::popups.choice = 0;
    }

    // The log's entry for the orientation popup shown at a screen point.
    std::string OrientationPopup(POINT at) const
    {
        return "popup at " + std::to_string(at.x) + "," + std::to_string(at.y) + " (either button, over Tiremola): " +
               std::to_string(form->horizontalItem->id) + " Posizionamento orizzontale, " +
               std::to_string(form->verticalItem->id) + " Posizionamento verticale";
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
    TorUtility::PlatformCalls saved{};
};

}
