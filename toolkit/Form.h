#pragma once

#include "GUIElement.h"

#include <cstdint>
#include <vector>

namespace TorUtility {

class Form;
class PanelChildren;

using HotKeyHandler = void (*)(Form* form, std::uint32_t modifiers, std::uint32_t key);

// Entry n of a form's list (counting from 1) is registered under hot-key identifier n.
struct HotKey {
    std::uint32_t modifiers = 0;
    std::uint32_t key = 0;
    HotKeyHandler handler = nullptr;
};

// A top-level window: the element every other element of a screen lives in.
class Form : public GUIElement {
public:
    explicit Form(HINSTANCE moduleInstance);
    // The dialog-style tool window used by the about box.
    Form(HINSTANCE moduleInstance, bool withDialogFrame);
    ~Form() override;

    void Create() override;
    void OnResized() override;

    void SetClientSize(std::int32_t clientWidth, std::int32_t clientHeight);
    void CenterOnScreen();
    void SetIcon(std::int32_t resourceId);
    // The window has moved to a monitor of another scale: it takes the rectangle the platform
    // suggests, keeps its client area's logical size, and every element in it is laid out again
    // and given fonts made for the new scale.
    void ChangeDpi(UINT newDpi, const RECT& suggested);
    // Puts the window on screen and paints it at once.
    void Show();
    void RegisterHotKeys();
    void UnregisterHotKeys();
    // A box the player must answer first (a message box, a question, an about box) opens over
    // the window, and closes again. While any is open the window takes no input, and once one
    // closes, the one still open, or else the window itself, comes to the front.
    void Hold();
    void Release();
    // The one rule for the window's input: none while a box is open over it, whoever enables it
    // meanwhile (the platform's dialog manager enables a box's owner as the box ends, also an
    // owner that another box still keeps shut); otherwise as the form's own enabled flag says.
    void ApplyInputRule();

    // The keyboard has been used in the window: from now on the focus shows. The platform hears of
    // it too, so that its own controls show their focus as well.
    void ShowKeyboardCues();
    // Follows the platform's own record of whether the focus shows, where it keeps one.
    void FollowKeyboardCues(bool shown);
    // The focus goes back, when the window is activated again, to the window inside it that had
    // it last: a player who answered a box goes on where the focus was.
    void RestoreFocus();

    // The style bits the toolkit asks for; the platform may add its own.
    DWORD WindowStyle() const;
    DWORD ExtendedWindowStyle() const;

    Form* companion = nullptr;
    bool topmost = true;
    bool minimizeBox = true;
    bool resizable = true;
    bool captioned = true;
    bool dialogFrame = false;
    bool modalFrameStyle = false;
    std::vector<HotKey> hotKeys;
    HICON iconHandle = nullptr;
    std::int32_t iconId = 0;
    // Set by an owner that still finishes the window after Create (its icon, font and client
    // size): Create leaves the window hidden and the owner calls Show at the end, so that every
    // window is painted once, at its final size, instead of once before the resize and again after.
    bool showLater = false;
    // The scale of the monitor the window is on: the system's until the window exists, then the
    // window's, and the new one each time the window moves to a monitor of another scale.
    UINT dpi;
    // Boxes open over the window, each between its Hold and its Release.
    std::int32_t boxesOpen = 0;
    // The client area's logical size: the window's at its creation, then the one last asked for.
    // Every scale applies it.
    SIZE clientSize{0, 0};
    // The scale changed while the window was minimised: it takes its size when restored.
    bool layoutPending = false;
    // The focus shows in the window: the keyboard has been used in it, or the user asked the
    // system to show it always.
    bool keyboardCues = false;
    // The window inside this one that had the focus last.
    HWND savedFocus = nullptr;

private:
    std::vector<PanelChildren*> ScrolledPanels() const;
    void ReleaseClass();
    void ForgetEverywhere();

    std::wstring className;
};

// Runs the program's messages until the quit message that the main window's destruction posts.
void RunMessageLoop(Form* mainForm);

}
