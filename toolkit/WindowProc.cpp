#include "WindowProc.h"

#include "Accessible.h"
#include "Button.h"
#include "Dpi.h"
#include "ElementRegistry.h"
#include "Form.h"
#include "Menu.h"
#include "PanelChildren.h"
#include "Timer.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace TorUtility {

HWND mainWindow = nullptr;
Form* activeForm = nullptr;
PanelChildren* activePanel = nullptr;
PanelChildren* lastPanel = nullptr;
bool mouseTracking = false;
HCURSOR waitShape = nullptr;
HCURSOR handShape = nullptr;
HWND validatedWindow = nullptr;

namespace {

// A message as it reached the procedure, with the element that owns its window (or none). A
// handler may delete that element (a press may replace the very box it was made in), so no route
// reads the element after a call that raises one of its events: what it needs later is taken
// before, or the element is looked up again by its window.
struct Message {
    HWND window;
    UINT id;
    WPARAM wParam;
    LPARAM lParam;
    GUIElement* element;
    // The procedure default processing goes to: the control's own, or the platform's.
    WNDPROC previous;
};

// Default processing, for a route that must act after it.
LRESULT DefaultProcessing(const Message& m)
{
    return m.previous ? CallWindowProcW(m.previous, m.window, m.id, m.wParam, m.lParam)
                      : DefWindowProcW(m.window, m.id, m.wParam, m.lParam);
}

// A route either answers the message or leaves it to default processing.
using Outcome = std::optional<LRESULT>;
constexpr Outcome defaultProcessing = std::nullopt;

struct Point {
    std::int32_t x;
    std::int32_t y;
};

// The element of a window named in a message (its sender, a control, the foreground window). Unlike
// the lookup of the receiving window, an unknown window is nobody's: the fallback to the newest
// element exists only for messages a window receives while its own creation is still running.
GUIElement* ElementOfWindow(HWND window)
{
    return window ? ElementRegistry::LastWithHandle(window) : nullptr;
}

// The mouse's position in a mouse message, in the logical pixels of the element it is for.
Point MousePoint(const Message& m)
{
    const POINT device{static_cast<std::int16_t>(LOWORD(m.lParam)), static_cast<std::int16_t>(HIWORD(m.lParam))};
    const POINT logical = m.element->LogicalPoint(device);
    return {logical.x, logical.y};
}

template <void (GUIElement::*Handler)()>
Outcome Notice(const Message& m)
{
    (m.element->*Handler)();
    return defaultProcessing;
}

template <void (GUIElement::*Handler)(std::int32_t, std::int32_t)>
Outcome MouseButton(const Message& m)
{
    const Point p = MousePoint(m);
    (m.element->*Handler)(p.x, p.y);
    return defaultProcessing;
}

template <void (GUIElement::*Handler)(std::int32_t)>
Outcome Key(const Message& m)
{
    (m.element->*Handler)(static_cast<std::int32_t>(m.wParam));
    return defaultProcessing;
}

Outcome Create(const Message& m)
{
    if (auto* form = dynamic_cast<Form*>(m.element)) {
        // Known before the build handler runs, which lays out every element at this scale.
        form->dpi = WindowDpi(m.window);
        form->AttachWindow(m.window);
    }
    return defaultProcessing;
}

Outcome Destroy(const Message& m)
{
    if (m.element) {
        if (auto* form = dynamic_cast<Form*>(m.element))
            form->UnregisterHotKeys();
        m.element->OnDestroyed();
    }
    if (m.window == mainWindow)
        PostQuitMessage(0);
    return defaultProcessing;
}

// Every handler raised here may delete a form or a panel, so each is looked up again by its window
// after one has run, and the toolkit-wide notes are made before the handler that may undo them.
void ActivateForm(Form* form, HWND window)
{
    lastPanel = nullptr;
    if (GetForegroundWindow() != window) {
        form->UnregisterHotKeys();
        form->OnDeactivated();
        return;
    }
    if (Form* previous = activeForm) {
        previous->UnregisterHotKeys();
        previous->OnDeactivated();
    }
    if (PanelChildren* panel = std::exchange(activePanel, nullptr))
        panel->OnDeactivated();
    form = dynamic_cast<Form*>(ElementOfWindow(window));
    if (!form)
        return;
    form->RegisterHotKeys();
    activeForm = form;
    form->OnActivated();
    // Without SWP_NOACTIVATE the companion would take the activation and hand it back, for ever.
    form = dynamic_cast<Form*>(ElementOfWindow(window));
    Form* companion = form ? form->companion : nullptr;
    if (companion && companion->created)
        SetWindowPos(companion->handle, window, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ActivatePanel(PanelChildren* panel, HWND window)
{
    if (GetForegroundWindow() != window) {
        panel->OnDeactivated();
        return;
    }
    if (PanelChildren* previous = activePanel) {
        previous->OnDeactivated();
        panel = dynamic_cast<PanelChildren*>(ElementOfWindow(window));
        if (!panel)
            return;
    }
    activePanel = panel;
    panel->OnActivated();
}

// A form that is activated gets the focus back where it was: the default processing puts it on
// the form's own window, which takes no keys.
Outcome Activate(const Message& m)
{
    if (auto* form = dynamic_cast<Form*>(m.element)) {
        const bool activated = GetForegroundWindow() == m.window;
        ActivateForm(form, m.window);
        if (!activated)
            return defaultProcessing;
        const LRESULT result = DefaultProcessing(m);
        if (auto* still = dynamic_cast<Form*>(ElementOfWindow(m.window)))
            still->RestoreFocus();
        return result;
    }
    if (auto* panel = dynamic_cast<PanelChildren*>(m.element))
        ActivatePanel(panel, m.window);
    return defaultProcessing;
}

// The form an element lives in notes the element's window as the one to give the focus back to
// when the form is activated again; then the element hears of its focus.
Outcome GainFocus(const Message& m)
{
    if (Form* host = m.element->HostForm(); host && host != m.element)
        host->savedFocus = m.window;
    m.element->OnGotFocus();
    return defaultProcessing;
}

// Once the element of a window of the toolkit's own classes has painted it between BeginPaint and
// EndPaint, nothing is left to paint, and the default processing would only fetch and release a
// device context for nothing. Whether it did is noted by the painting itself: asking the system
// for the update region costs, under Wine, about as much as painting a cell.
Outcome Paint(const Message& m)
{
    validatedWindow = nullptr;
    const bool ownClass = !m.element->previousProc;
    m.element->OnPaint();
    if (ownClass && validatedWindow == m.window)
        return 0;
    return defaultProcessing;
}

// The platform's dialog manager enables a box's owner as the box ends, whatever state it found:
// a form with a box still open over it is shut again.
Outcome Enable(const Message& m)
{
    if (auto* form = dynamic_cast<Form*>(m.element); form && m.wParam)
        form->ApplyInputRule();
    return defaultProcessing;
}

Outcome Close(const Message& m)
{
    return m.element->OnClosing() ? defaultProcessing : Outcome{1};
}

Outcome ShowWindowMessage(const Message& m)
{
    m.element->OnShown();
    m.element->OnResized();
    return defaultProcessing;
}

Outcome SetCursorShape(const Message& m)
{
    if (LOWORD(m.lParam) != HTCLIENT)
        return defaultProcessing;
    if (m.element->IsHandCursor())
        SetCursor(handShape);
    else if (m.element->IsBusyCursor())
        SetCursor(waitShape);
    else
        return defaultProcessing;
    return TRUE;
}

// A reader asks for the object of the window's client area; every other object, and an element
// that leaves its description to the platform, is the platform's.
Outcome ObjectRequest(const Message& m)
{
    if (static_cast<LONG>(m.lParam) != OBJID_CLIENT)
        return defaultProcessing;
    const LRESULT object = AccessibleObjectOf(m.element, m.wParam);
    return object ? Outcome{object} : defaultProcessing;
}

// A window shown or hidden changes its object's state.
Outcome PositionChanged(const Message& m)
{
    const auto* position = reinterpret_cast<const WINDOWPOS*>(m.lParam);
    if (position && (position->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)))
        NoteDescriptionChange(m.element);
    return defaultProcessing;
}

// The default action a reader asked for, now that its request has returned; only while the window
// takes input, as a press would need.
Outcome DefaultAction(const Message& m)
{
    const Description description = DescribeForReader(m.element);
    if (description.perform && AcceptsInput(m.window))
        description.perform(m.element);
    return 0;
}

Outcome DrawItem(const Message& m)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.lParam);
    auto* button = dynamic_cast<Button*>(FindById(static_cast<std::int32_t>(m.wParam)));
    if (!button || !item || item->CtlType != ODT_BUTTON)
        return defaultProcessing;
    button->PaintOwnerDrawn(*item);
    return TRUE;
}

Outcome Notify(const Message& m)
{
    const auto* header = reinterpret_cast<const NMHDR*>(m.lParam);
    if (!header)
        return defaultProcessing;
    const UINT code = header->code;
    if (code != HDN_ITEMCHANGEDW && code != HDN_ITEMCLICKW && code != NM_RCLICK)
        return defaultProcessing;
    GUIElement* source = ElementOfWindow(header->hwndFrom);
    if (!source)
        return defaultProcessing;
    if (code == NM_RCLICK) {
        source->OnNotify(GUIElement::notifyRightClick, {}, {});
    } else {
        const auto* change = reinterpret_cast<const NMHEADERW*>(header);
        if (code == HDN_ITEMCHANGEDW)
            source->OnNotify(GUIElement::notifyHeaderItemChanged,
                             {change->iItem, change->pitem ? change->pitem->cxy : 0}, {});
        else
            source->OnNotify(GUIElement::notifyHeaderItemClicked, {change->iItem}, {});
    }
    return defaultProcessing;
}

// From the form's own window, which is no tab stop, Tab goes to the first stop and Shift+Tab to
// the last.
void MoveFocusOnTab(const Message& m)
{
    const bool hosted = dynamic_cast<Child*>(m.element) && m.element->parent;
    HWND root = hosted ? static_cast<HWND>(m.element->parent->handle) : m.window;
    const bool backwards = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    HWND next = nullptr;
    if (root != m.window)
        next = GetNextDlgTabItem(root, m.window, backwards);
    else if (HWND first = GetNextDlgTabItem(root, nullptr, FALSE))
        next = backwards ? GetNextDlgTabItem(root, first, TRUE) : first;
    if (GUIElement* target = ElementOfWindow(next))
        target->Focus();
}

// A key pressed in a form's window or in any window inside it: from now on the form shows where
// the focus is.
void NoteKeyboardUse(const Message& m)
{
    if (Form* form = m.element->HostForm())
        form->ShowKeyboardCues();
}

Outcome KeyDown(const Message& m)
{
    NoteKeyboardUse(m);
    GUIElement* element = m.element;
    if (m.wParam == VK_TAB) {
        MoveFocusOnTab(m);
        // Moving the focus runs the focus handlers, which may have deleted the element.
        element = ElementOfWindow(m.window);
    }
    if (element)
        element->OnKeyDown(static_cast<std::int32_t>(m.wParam));
    return defaultProcessing;
}

// Alt, for the menus, is keyboard use too; the key itself is the platform's.
Outcome SystemKeyDown(const Message& m)
{
    NoteKeyboardUse(m);
    return defaultProcessing;
}

// The platform's own record of whether the focus shows, on the platforms that keep one.
Outcome UpdateUiState(const Message& m)
{
    auto* form = dynamic_cast<Form*>(m.element);
    if (form && (HIWORD(m.wParam) & UISF_HIDEFOCUS)) {
        if (LOWORD(m.wParam) == UIS_SET)
            form->FollowKeyboardCues(false);
        else if (LOWORD(m.wParam) == UIS_CLEAR)
            form->FollowKeyboardCues(true);
    }
    return defaultProcessing;
}

// A panel that has the focus takes the arrows and the characters itself, also where a dialog
// manager would move the focus with them.
Outcome DialogCode(const Message& m)
{
    if (dynamic_cast<PanelChildren*>(m.element))
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    return defaultProcessing;
}

Outcome Character(const Message& m)
{
    return m.element->OnChar(static_cast<std::int32_t>(m.wParam)) ? defaultProcessing : Outcome{1};
}

Outcome Command(const Message& m)
{
    const int code = HIWORD(m.wParam);
    const int identifier = LOWORD(m.wParam);
    if (m.lParam == 0) {
        if (code == 0)
            RouteMenuCommand(identifier);
        return defaultProcessing;
    }
    auto* source = ElementOfWindow(reinterpret_cast<HWND>(m.lParam));
    // Only a click is a command: an owner-drawn button also reports the second press of a
    // double-click, which must not act a second time.
    auto* command = dynamic_cast<CommandElement*>(source);
    if (command && command->onCommand && code == BN_CLICKED)
        command->onCommand(source);
    return defaultProcessing;
}

// Only a running timer ticks: a WM_TIMER that anyone may send for a stopped one, also inside a
// handler that stopped it while it works, is not its tick.
Outcome TimerTick(const Message& m)
{
    auto* timer = dynamic_cast<Timer*>(FindById(static_cast<std::int32_t>(m.wParam)));
    if (timer && timer->onTick && timer->running)
        timer->onTick(timer);
    return defaultProcessing;
}

Outcome Scroll(const Message& m)
{
    GUIElement* target = m.element;
    const auto control = static_cast<LONG_PTR>(m.lParam);
    if (control > 0 && LOWORD(m.wParam) == TB_ENDTRACK)
        target = ElementOfWindow(reinterpret_cast<HWND>(m.lParam));
    auto* panel = dynamic_cast<PanelChildren*>(target);
    const bool vertical = m.id == WM_VSCROLL;
    if (!panel || !(vertical ? panel->verticalScroll : panel->horizontalScroll))
        return defaultProcessing;
    panel->OnScrollRequest(vertical ? SB_VERT : SB_HORZ, LOWORD(m.wParam));
    return 0;
}

Outcome ControlColour(const Message& m)
{
    HBRUSH brush = m.element->ColorChild(reinterpret_cast<HDC>(m.wParam));
    return brush ? Outcome{reinterpret_cast<LRESULT>(brush)} : defaultProcessing;
}

Outcome MouseMove(const Message& m)
{
    const Point p = MousePoint(m);
    m.element->OnMouseMove(p.x, p.y);
    if (!mouseTracking) {
        TRACKMOUSEEVENT tracking{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m.window, HOVER_DEFAULT};
        mouseTracking = TrackMouseEvent(&tracking) != FALSE;
    }
    return defaultProcessing;
}

Outcome LeftButtonDown(const Message& m)
{
    const Point p = MousePoint(m);
    m.element->OnLeftDown(p.x, p.y);
    lastPanel = dynamic_cast<PanelChildren*>(ElementOfWindow(m.window));
    return defaultProcessing;
}

// A double-click on a button is one click: its second press is kept from the control, which
// would otherwise take it as a further press.
Outcome LeftDoubleClick(const Message& m)
{
    const Point p = MousePoint(m);
    const bool button = dynamic_cast<Button*>(m.element) != nullptr;
    // The route runs only with an element: a cast that fails says nothing about the pointer.
    // NOLINTNEXTLINE(clang-analyzer-core.CallAndMessage)
    m.element->OnLeftDoubleClick(p.x, p.y);
    return button ? Outcome{0} : defaultProcessing;
}

Outcome MouseWheel(const Message& m)
{
    auto* panel = dynamic_cast<PanelChildren*>(m.element);
    if (!panel)
        panel = lastPanel;
    if (!panel || !panel->verticalScroll)
        return defaultProcessing;
    panel->OnWheel(GET_WHEEL_DELTA_WPARAM(m.wParam));
    return 0;
}

Outcome MouseLeave(const Message& m)
{
    mouseTracking = false;
    if (m.element)
        m.element->OnMouseLeave();
    return defaultProcessing;
}

Outcome DpiChanged(const Message& m)
{
    auto* form = dynamic_cast<Form*>(m.element);
    const auto* suggested = reinterpret_cast<const RECT*>(m.lParam);
    const UINT scale = LOWORD(m.wParam);
    if (!form || !suggested || scale < lowestDpi || scale > highestDpi)
        return defaultProcessing;
    form->ChangeDpi(scale, *suggested);
    return 0;
}

Outcome HotKeyPressed(const Message& m)
{
    auto* form = dynamic_cast<Form*>(m.element);
    // The whole identifier counts: one that only agrees with an entry in its low bits is another.
    const WPARAM n = m.wParam;
    if (!form || n < 1 || n > form->hotKeys.size())
        return defaultProcessing;
    const HotKey& entry = form->hotKeys[n - 1];
    HWND foreground = GetForegroundWindow();
    if (foreground == m.window) {
        if (entry.handler)
            entry.handler(form, entry.modifiers, entry.key);
        return defaultProcessing;
    }
    // Hot keys are system-wide: hand it to the form in front if it has the same combination.
    auto* front = dynamic_cast<Form*>(ElementOfWindow(foreground));
    if (!front)
        return defaultProcessing;
    for (const HotKey& candidate : front->hotKeys) {
        if (candidate.modifiers == entry.modifiers && candidate.key == entry.key) {
            if (candidate.handler)
                candidate.handler(front, candidate.modifiers, candidate.key);
            break;
        }
    }
    return defaultProcessing;
}

struct RouteEntry {
    UINT message;
    Outcome (*route)(const Message&);
    bool needsElement;
};

constexpr auto routes = std::to_array<RouteEntry>({
    {WM_CREATE, Create, true},
    {WM_DESTROY, Destroy, false},
    {WM_MOVE, Notice<&GUIElement::OnMoved>, true},
    {WM_SIZE, Notice<&GUIElement::OnResized>, true},
    {WM_ACTIVATE, Activate, true},
    {WM_SETFOCUS, GainFocus, true},
    {WM_KILLFOCUS, Notice<&GUIElement::OnLostFocus>, true},
    {WM_ENABLE, Enable, true},
    {WM_PAINT, Paint, true},
    {WM_CLOSE, Close, true},
    {WM_SHOWWINDOW, ShowWindowMessage, true},
    {WM_SETCURSOR, SetCursorShape, true},
    {WM_DRAWITEM, DrawItem, true},
    {WM_GETOBJECT, ObjectRequest, true},
    {WM_WINDOWPOSCHANGED, PositionChanged, true},
    {WM_NOTIFY, Notify, true},
    {WM_GETDLGCODE, DialogCode, true},
    {WM_KEYDOWN, KeyDown, true},
    {WM_KEYUP, Key<&GUIElement::OnKeyUp>, true},
    {WM_CHAR, Character, true},
    {WM_SYSKEYDOWN, SystemKeyDown, true},
    {WM_COMMAND, Command, true},
    {WM_TIMER, TimerTick, true},
    {WM_HSCROLL, Scroll, true},
    {WM_VSCROLL, Scroll, true},
    {WM_UPDATEUISTATE, UpdateUiState, true},
    {WM_CTLCOLOREDIT, ControlColour, true},
    {WM_CTLCOLORBTN, ControlColour, true},
    {WM_CTLCOLORSTATIC, ControlColour, true},
    {WM_MOUSEMOVE, MouseMove, true},
    {WM_LBUTTONDOWN, LeftButtonDown, true},
    {WM_LBUTTONUP, MouseButton<&GUIElement::OnLeftUp>, true},
    {WM_LBUTTONDBLCLK, LeftDoubleClick, true},
    {WM_RBUTTONDOWN, MouseButton<&GUIElement::OnRightDown>, true},
    {WM_RBUTTONUP, MouseButton<&GUIElement::OnRightUp>, true},
    {WM_RBUTTONDBLCLK, MouseButton<&GUIElement::OnRightDoubleClick>, true},
    {WM_MOUSEWHEEL, MouseWheel, true},
    {WM_MOUSEHOVER, Notice<&GUIElement::OnMouseHover>, true},
    {WM_MOUSELEAVE, MouseLeave, false},
    {WM_DPICHANGED, DpiChanged, true},
    {WM_HOTKEY, HotKeyPressed, true},
    {defaultActionMessage, DefaultAction, true},
});

static_assert(std::is_sorted(routes.begin(), routes.end(),
                             [](const RouteEntry& a, const RouteEntry& b) { return a.message < b.message; }));

const RouteEntry* FindRoute(UINT message)
{
    auto found = std::lower_bound(routes.begin(), routes.end(), message,
                                  [](const RouteEntry& entry, UINT wanted) { return entry.message < wanted; });
    return found != routes.end() && found->message == message ? &*found : nullptr;
}

}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    GUIElement* element = FindByHandle(window);
    if (!waitShape)
        waitShape = LoadCursorW(nullptr, IDC_WAIT);
    if (!handShape)
        handShape = LoadCursorW(nullptr, IDC_HAND);
    const WNDPROC previous = element ? element->previousProc : nullptr;

    const Message m{window, message, wParam, lParam, element, previous};
    if (const RouteEntry* entry = FindRoute(message); entry && (element || !entry->needsElement)) {
        if (Outcome answer = entry->route(m))
            return *answer;
    }
    return DefaultProcessing(m);
}

}
