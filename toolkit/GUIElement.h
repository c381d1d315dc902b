#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TorUtility {

class FontSpec;
class Form;
class GUIElement;
struct Description;

// Event slots: plain function pointers with no bound object. An empty slot is skipped. Slots
// whose result nobody reads return int32 so that handlers of any kind can be plugged in.
using CreatedEvent = void (*)(GUIElement* element, HWND handle);
using MouseEvent = std::int32_t (*)(GUIElement* element, HWND handle, std::int32_t x, std::int32_t y);
using KeyEvent = std::int32_t (*)(GUIElement* element, std::int32_t key);
using CharEvent = bool (*)(GUIElement* element, std::int32_t code);
using ElementEvent = std::int32_t (*)(GUIElement* element);
using ElementAction = void (*)(GUIElement* element);
using ClosingEvent = bool (*)(GUIElement* element);
using PointerEvent = std::int32_t (*)(GUIElement* element, std::int32_t x, std::int32_t y);
using DescribeEvent = void (*)(GUIElement* element, Description& description);

// A field the element registry indexes. It reads as the plain value; every assignment re-files
// the element so that lookups by handle and by identifier stay exact.
template <typename T>
class Indexed {
public:
    Indexed(GUIElement& owner, T initial) : owner(owner), value(initial) {}
    Indexed(const Indexed&) = delete;
    Indexed& operator=(const Indexed&) = delete;
    Indexed& operator=(T newValue);
    operator T() const { return value; }

private:
    GUIElement& owner;
    T value;
};

class GUIElement {
public:
    explicit GUIElement(HINSTANCE moduleInstance);
    GUIElement(const GUIElement&) = delete;
    GUIElement& operator=(const GUIElement&) = delete;

    // The codes OnNotify receives: a header item resized (numbers: the item and its new width), a
    // header item clicked (numbers: the item), a right click on a control (no numbers).
    enum NotifyCode : std::int32_t { notifyHeaderItemChanged = 1, notifyHeaderItemClicked = 2, notifyRightClick = 3 };

    bool visible = true;
    bool destroyed = false;
    bool busyCursor = false;
    bool handCursor = false;
    HWND tooltipHandle = nullptr;
    Indexed<HWND> handle;
    HINSTANCE instance;
    WNDCLASSW windowClass{};
    FontSpec* font = nullptr;
    std::int32_t width = 100;
    std::int32_t height = 50;
    std::int32_t x = 100;
    std::int32_t y = 100;
    bool created = false;
    std::int32_t backColor = -1;
    std::wstring text;
    std::wstring focusText;
    bool backPainted = false;
    bool enabled = true;
    Indexed<std::int32_t> id;
    std::string typeName;
    std::string tooltipText;
    GUIElement* parent = nullptr;
    WNDPROC previousProc = nullptr;
    CreatedEvent onCreated = nullptr;
    bool createdFired = false;
    MouseEvent onLeftUp = nullptr;
    MouseEvent onLeftDown = nullptr;
    MouseEvent onLeftDoubleClick = nullptr;
    MouseEvent onRightUp = nullptr;
    MouseEvent onRightDown = nullptr;
    MouseEvent onRightDoubleClick = nullptr;
    KeyEvent onKeyUp = nullptr;
    KeyEvent onKeyDown = nullptr;
    CharEvent onChar = nullptr;
    ElementEvent onMoved = nullptr;
    ElementEvent onResized = nullptr;
    ElementAction onPaint = nullptr;
    ClosingEvent onClosing = nullptr;
    ElementEvent onDestroyed = nullptr;
    ElementEvent onGotFocus = nullptr;
    ElementAction onLostFocus = nullptr;
    ElementEvent onActivated = nullptr;
    ElementEvent onDeactivated = nullptr;
    ElementEvent onChanged = nullptr;
    PointerEvent onMouseMove = nullptr;
    ElementEvent onMouseHover = nullptr;
    ElementEvent onMouseLeave = nullptr;
    // Says what the element is to assistive technology, over what its kind says.
    DescribeEvent onDescribe = nullptr;
    // What a reader last heard the element called and in what state (the focus aside).
    std::wstring spokenName;
    std::int32_t spokenState = 0;

    virtual void SetBackColor(std::int32_t color);
    virtual void SetEnabled(bool value);
    virtual void SetWideText(const std::wstring& value);
    virtual void SetText(const std::string& value);
    virtual void OnLeftUp(std::int32_t px, std::int32_t py);
    virtual void OnLeftDown(std::int32_t px, std::int32_t py);
    virtual void OnLeftDoubleClick(std::int32_t px, std::int32_t py);
    virtual void OnRightUp(std::int32_t px, std::int32_t py);
    virtual void OnRightDown(std::int32_t px, std::int32_t py);
    virtual void OnRightDoubleClick(std::int32_t px, std::int32_t py);
    virtual void OnKeyUp(std::int32_t key);
    virtual void OnKeyDown(std::int32_t key);
    // False swallows the character.
    virtual bool OnChar(std::int32_t code);
    virtual void OnMouseMove(std::int32_t px, std::int32_t py);
    virtual void OnMouseHover();
    virtual void OnMouseLeave();
    virtual void Focus();
    virtual void OnMoved();
    virtual void OnResized();
    virtual void OnPaint();
    // Answers a child control's colour request with the brush for its background, or none.
    virtual HBRUSH ColorChild(HDC dc);
    // False keeps the window open.
    virtual bool OnClosing();
    virtual void OnDestroyed();
    virtual void OnGotFocus();
    virtual void OnLostFocus();
    virtual void OnActivated();
    virtual void OnDeactivated();
    // Takes the window handle if none is stored yet and raises onCreated the first time.
    virtual void AttachWindow(HWND window);
    virtual void Redraw();
    virtual bool IsBusyCursor();
    virtual bool IsHandCursor();
    virtual void SetBusyCursor(bool value);
    virtual void SetHandCursor(bool value);
    virtual void OnShown();
    virtual void OnNotify(std::int32_t code, std::vector<std::int32_t> numbers, std::vector<std::string> strings);
    virtual void Create() = 0;
    // What the element is to assistive technology: what its kind says, then its onDescribe.
    virtual void Describe(Description& description);

    virtual ~GUIElement();

    std::wstring GetWideText();
    std::string GetText();
    // Top-left corner in the parent's client coordinates (screen coordinates for a form).
    POINT GetPosition();
    void SetPosition(std::int32_t left, std::int32_t top);
    // The scale of the monitor the element's form is on: the form's own, which follows its window
    // from monitor to monitor; the system's for an element outside any form.
    UINT Dpi() const;
    // The form the element lives in: itself for a form, else the first form above it; none for an
    // element outside any form.
    Form* HostForm() const;
    // The element has the keyboard focus and its form shows where the focus is: once the keyboard
    // has been used in it, or always when the user asked the system for that.
    bool ShowsFocus() const;
    // The client area's size; the stored size while there is no window.
    SIZE GetClientSize() const;
    // A point of the screen, as the platform reports the mouse's, in this window's client area.
    POINT ClientPoint(POINT screen) const;
    // A point of this window's client area in device pixels, as the platform reports the mouse's,
    // in logical pixels: every device pixel of the window maps inside its logical rectangle.
    POINT LogicalPoint(POINT client) const;
    // Places the window again at its form's current scale and gives it the font made for it.
    void Rescale();
    void SetFont(FontSpec* fontSpec);
    // cppcheck-suppress returnByReference ; a copy, as every other text the elements give out
    std::string GetTooltipText() const;
    void CreateTooltip(HWND owner);
    void UpdateTooltip();

protected:
    // Draws the next identifier from idCounter into id.
    void TakeNextId();
    // Sends font to the window right after creation.
    void ApplyFont();
    // The stored position and size in the device pixels of the element's scale.
    RECT DeviceRect() const;
    // Registers windowClass. A class the platform refuses never owns the brush made for it, so
    // that brush is deleted here.
    void RegisterWindowClass();

private:
    template <typename T>
    friend class Indexed;
    friend class ElementRegistry;
    std::uint64_t registrySerial = 0;
};

// An element hosted by a form (or a panel); only concrete kinds can be made.
class Child : public GUIElement {
public:
    using GUIElement::GUIElement;
    void Create() override = 0;

protected:
    // The steps every standard control shares: an identifier, the window inside the parent's,
    // and the toolkit's window procedure in front of the control's own.
    HWND MakeControlWindow(const wchar_t* className, DWORD style, DWORD extendedStyle);
    void Subclass();
    void AttachTooltipAndFont();
};

// Second base of the kinds that issue commands.
class CommandElement {
public:
    ElementAction onCommand = nullptr;
};

// Identifiers are 1, 2, 3, ... across all kinds, in the order they are drawn.
extern std::int32_t idCounter;

// The first game form constructed; menu items fall back to it when no form is found above them.
extern GUIElement* mainFormInstance;

// Last element whose window is `window`; else the newest element if it has no window yet.
GUIElement* FindByHandle(HWND window);
// First element, in construction order, with this identifier.
GUIElement* FindById(std::int32_t identifier);
GUIElement* FindSubMenuById(std::int32_t identifier);

// Adaptors find the form that handles an element's event in one of three ways.
template <typename F>
F* FormItself(GUIElement* element)
{
    return dynamic_cast<F*>(element);
}

template <typename F>
F* HostingForm(GUIElement* element)
{
    return dynamic_cast<Child*>(element) ? dynamic_cast<F*>(element->parent) : nullptr;
}

// Adaptors for the slots a form installs on itself: each finds the form and calls one of its
// handlers, so that a form needs no hand-written function per slot.
template <typename F, void (F::*Handler)()>
void BuildOnCreated(GUIElement* element, HWND)
{
    if (F* form = FormItself<F>(element))
        (form->*Handler)();
}

template <typename F, bool (F::*Handler)()>
bool AskOnClosing(GUIElement* element)
{
    F* form = FormItself<F>(element);
    return form ? (form->*Handler)() : true;
}

template <typename F, void (F::*Handler)()>
std::int32_t CallOnForm(GUIElement* element)
{
    if (F* form = FormItself<F>(element))
        (form->*Handler)();
    return 0;
}

// The form's key handlers hear the keys pressed in the form's own window and in the windows of
// the elements it hosts that it hands them on from.
template <typename F, void (F::*Handler)(std::int32_t)>
std::int32_t PassKeyToForm(GUIElement* element, std::int32_t key)
{
    F* form = FormItself<F>(element);
    if (!form)
        form = HostingForm<F>(element);
    if (form)
        (form->*Handler)(key);
    return 0;
}

template <typename F>
F* FormAboveMenuItem(GUIElement* item)
{
    for (GUIElement* above = item ? item->parent : nullptr; above; above = above->parent)
        if (F* form = dynamic_cast<F*>(above))
            return form;
    return dynamic_cast<F*>(mainFormInstance);
}

}
