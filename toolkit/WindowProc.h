#pragma once

#include <windows.h>

namespace TorUtility {

class Form;
class PanelChildren;

// The one window procedure of every form class, every panel class and every subclassed control.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window of the first form created; its destruction ends the message loop.
extern HWND mainWindow;
// The form activated last; not cleared on deactivation.
extern Form* activeForm;
extern PanelChildren* activePanel;
// The panel that last took a left-button press or a vertical scroll: the mouse wheel's target.
extern PanelChildren* lastPanel;
// Hover and leave tracking has been asked for and has not ended yet.
extern bool mouseTracking;
extern HCURSOR waitShape;
extern HCURSOR handShape;
// The window whose update region the toolkit's own painting validated last, with BeginPaint and
// EndPaint; the paint message compares it with its own window.
extern HWND validatedWindow;

}
