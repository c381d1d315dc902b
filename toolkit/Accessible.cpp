#include "Accessible.h"

#include "ElementRegistry.h"
#include "Platform.h"

#include <oleacc.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <utility>
#include <vector>

namespace TorUtility {

namespace {

// The states a description takes from the element's window, as it is when a reader asks.
constexpr std::int32_t windowStates = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE;

// The announcements kept, the newest in place of the oldest: each is the child of its speaker's
// object whose identifier is its place here plus one.
struct Announcement {
    HWND speaker = nullptr;
    std::wstring text;
};
std::array<Announcement, 32> announcements;
std::size_t nextAnnouncement = 0;

const Announcement* AnnouncementOf(HWND speaker, const VARIANT& child)
{
    if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > static_cast<LONG>(announcements.size()))
        return nullptr;
    const Announcement& announcement = announcements[static_cast<std::size_t>(child.lVal - 1)];
    return announcement.speaker == speaker ? &announcement : nullptr;
}

bool IsSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The element a reader's object stands for, while its window lives; a reader may hold the object
// long after the window has gone, and then nothing of the element is ever read.
GUIElement* LiveElement(HWND window)
{
    GUIElement* element = IsWindow(window) ? ElementRegistry::LastWithHandle(window) : nullptr;
    return element && !element->destroyed ? element : nullptr;
}

HRESULT GiveText(const std::wstring& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = Accessibility()->sysAllocString(text.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT GiveNumber(std::int32_t number, VARIANT* out)
{
    if (!out)
        return E_POINTER;
    out->vt = VT_I4;
    out->lVal = number;
    return S_OK;
}

HRESULT GiveNothing(VARIANT* out)
{
    if (!out)
        return E_POINTER;
    out->vt = VT_EMPTY;
    return S_FALSE;
}

HRESULT GiveLocation(const RECT& box, long* left, long* top, long* width, long* height)
{
    if (!left || !top || !width || !height)
        return E_POINTER;
    *left = box.left;
    *top = box.top;
    *width = box.right - box.left;
    *height = box.bottom - box.top;
    return S_OK;
}

RECT ScreenRect(HWND window)
{
    RECT box{};
    GetWindowRect(window, &box);
    return box;
}

// What every object of the toolkit shares: its references, the interfaces it answers, and no
// help, shortcut or description of its own. A reader reaches the properties through the
// interface's own methods, never through IDispatch's names.
class AccessibleObject : public IAccessible {
public:
    AccessibleObject() = default;
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;
    virtual ~AccessibleObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (interfaceId == __uuidof(IUnknown) || interfaceId == __uuidof(IDispatch) ||
            interfaceId == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override
    {
        if (topic)
            *topic = 0;
        return Nothing(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selected) override
    {
        return Connected() ? GiveNothing(selected) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override
    {
        if (end)
            end->vt = VT_EMPTY;
        return Connected() ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

protected:
    // The object still stands for something on the screen.
    virtual bool Connected() const = 0;

private:
    HRESULT Nothing(BSTR* text) const
    {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        return Connected() ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }

    std::atomic<ULONG> references{1};
};

// An element's window, as its description says; the announcements it made are its children.
class ElementObject : public AccessibleObject {
public:
    explicit ElementObject(HWND window) : window(window) {}

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!count)
            return E_POINTER;
        *count = static_cast<long>(std::count_if(announcements.begin(), announcements.end(),
                                                 [this](const Announcement& a) { return a.speaker == window; }));
        return LiveElement(window) ? S_OK : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (!LiveElement(window))
            return CO_E_OBJNOTCONNECTED;
        // An announcement is a simple child, read through its speaker's object.
        return AnnouncementOf(window, child) ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return Read(child, name, &Description::name, [](const Announcement& a) { return a.text; });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return Read(child, value, &Description::value, [](const Announcement&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return Read(child, action, &Description::action, [](const Announcement&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return ReadNumber(child, role, &Description::role, ROLE_SYSTEM_ALERT);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return ReadNumber(child, state, &Description::state, STATE_SYSTEM_READONLY);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focused) override
    {
        if (!LiveElement(window))
            return CO_E_OBJNOTCONNECTED;
        return GetFocus() == window ? GiveNumber(CHILDID_SELF, focused) : GiveNothing(focused);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        GUIElement* element = LiveElement(window);
        if (!element)
            return CO_E_OBJNOTCONNECTED;
        if (!IsSelf(child) || flags != SELFLAG_TAKEFOCUS)
            return DISP_E_MEMBERNOTFOUND;
        if (!(DescribeForReader(element).state & STATE_SYSTEM_FOCUSABLE) || !AcceptsInput(window))
            return E_FAIL;
        element->Focus();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        if (!LiveElement(window))
            return CO_E_OBJNOTCONNECTED;
        if (!IsSelf(child) && !AnnouncementOf(window, child))
            return E_INVALIDARG;
        return GiveLocation(ScreenRect(window), left, top, width, height);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* found) override
    {
        if (!LiveElement(window))
            return CO_E_OBJNOTCONNECTED;
        const RECT box = ScreenRect(window);
        return PtInRect(&box, POINT{x, y}) ? GiveNumber(CHILDID_SELF, found) : GiveNothing(found);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        GUIElement* element = LiveElement(window);
        if (!element)
            return CO_E_OBJNOTCONNECTED;
        if (!IsSelf(child) || !DescribeForReader(element).perform)
            return DISP_E_MEMBERNOTFOUND;
        if (!AcceptsInput(window))
            return E_FAIL;
        return PostMessageW(window, defaultActionMessage, 0, 0) ? S_OK : E_FAIL;
    }

protected:
    bool Connected() const override { return LiveElement(window) != nullptr; }

private:
    template <typename FromAnnouncement>
    HRESULT Read(const VARIANT& child, BSTR* out, std::wstring Description::*field, FromAnnouncement fromAnnouncement)
    {
        if (out)
            *out = nullptr;
        GUIElement* element = LiveElement(window);
        if (!element)
            return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child))
            return GiveText(DescribeForReader(element).*field, out);
        const Announcement* announcement = AnnouncementOf(window, child);
        return announcement ? GiveText(fromAnnouncement(*announcement), out) : E_INVALIDARG;
    }

    HRESULT ReadNumber(const VARIANT& child, VARIANT* out, std::int32_t Description::*field, std::int32_t ofAnnouncement)
    {
        GUIElement* element = LiveElement(window);
        if (!element)
            return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child))
            return GiveNumber(DescribeForReader(element).*field, out);
        return AnnouncementOf(window, child) ? GiveNumber(ofAnnouncement, out) : E_INVALIDARG;
    }

    HWND window;
};

// A group of elements of one window (a board's cells): an object with no window of its own, whose
// children are its members' objects in the order of their positions.
class GroupObject : public AccessibleObject {
public:
    GroupObject(HWND container, std::int32_t role, std::wstring name)
        : container(container), role(role), name(std::move(name))
    {
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        return Accessibility()->accessibleObjectFromWindow(container, static_cast<DWORD>(OBJID_CLIENT),
                                                           __uuidof(IDispatch), reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!count)
            return E_POINTER;
        *count = static_cast<long>(Members().size());
        return Connected() ? S_OK : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        const std::vector<HWND> members = Members();
        if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > static_cast<LONG>(members.size()))
            return E_INVALIDARG;
        *object = new ElementObject(members[static_cast<std::size_t>(child.lVal - 1)]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* text) override { return Own(child, text, name); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* text) override { return Own(child, text, {}); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override { return Own(child, text, {}); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override { return OwnNumber(child, out, role); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override
    {
        return OwnNumber(child, out, STATE_SYSTEM_READONLY);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focused) override
    {
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        const std::vector<HWND> members = Members();
        HWND focus = GetFocus();
        return GiveMember(std::find(members.begin(), members.end(), focus) != members.end() ? focus : nullptr, focused);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override
    {
        return Connected() ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        if (!IsSelf(child))
            return E_INVALIDARG;
        return GiveLocation(Bounds(), left, top, width, height);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* found) override
    {
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        const POINT point{x, y};
        for (HWND member : Members()) {
            const RECT box = ScreenRect(member);
            if (PtInRect(&box, point))
                return GiveMember(member, found);
        }
        const RECT bounds = Bounds();
        return PtInRect(&bounds, point) ? GiveNumber(CHILDID_SELF, found) : GiveNothing(found);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override
    {
        return Connected() ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }

protected:
    bool Connected() const override { return LiveElement(container) != nullptr; }

private:
    // The container's child windows whose elements say they belong to this group, by position.
    std::vector<HWND> Members() const
    {
        std::vector<std::pair<std::int32_t, HWND>> found;
        for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            GUIElement* element = LiveElement(child);
            if (!element)
                continue;
            Description description;
            element->Describe(description);
            if (description.groupRole == role && description.groupName == name)
                found.emplace_back(description.groupPosition, child);
        }
        std::sort(found.begin(), found.end());
        std::vector<HWND> members;
        members.reserve(found.size());
        for (const auto& member : found)
            members.push_back(member.second);
        return members;
    }

    RECT Bounds() const
    {
        RECT bounds{};
        for (HWND member : Members()) {
            const RECT box = ScreenRect(member);
            UnionRect(&bounds, &bounds, &box);
        }
        return bounds;
    }

    static HRESULT GiveMember(HWND member, VARIANT* out)
    {
        if (!member)
            return GiveNothing(out);
        if (!out)
            return E_POINTER;
        out->vt = VT_DISPATCH;
        out->pdispVal = new ElementObject(member);
        return S_OK;
    }

    HRESULT Own(const VARIANT& child, BSTR* out, const std::wstring& text) const
    {
        if (out)
            *out = nullptr;
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        return IsSelf(child) ? GiveText(text, out) : E_INVALIDARG;
    }

    HRESULT OwnNumber(const VARIANT& child, VARIANT* out, std::int32_t number) const
    {
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        return IsSelf(child) ? GiveNumber(number, out) : E_INVALIDARG;
    }

    HWND container;
    std::int32_t role;
    std::wstring name;
};

HRESULT STDMETHODCALLTYPE ElementObject::get_accParent(IDispatch** parent)
{
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    GUIElement* element = LiveElement(window);
    if (!element)
        return CO_E_OBJNOTCONNECTED;
    const Description description = DescribeForReader(element);
    HWND container = GetParent(window);
    if (description.groupName.empty() || !container) {
        // The window's own object, as the platform makes it for a window's client area.
        return Accessibility()->accessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW),
                                                           __uuidof(IDispatch), reinterpret_cast<void**>(parent));
    }
    *parent = new GroupObject(container, description.groupRole, description.groupName);
    return S_OK;
}

void Fire(DWORD event, HWND window, LONG child)
{
    NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

}

Description DescribeForReader(GUIElement* element)
{
    Description description;
    element->Describe(description);
    HWND window = element->handle;
    description.state &= ~windowStates;
    if (GetFocus() == window)
        description.state |= STATE_SYSTEM_FOCUSED;
    // The window's own visibility: a window hidden with its form, as at its creation, is still
    // the form's.
    if (!(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE))
        description.state |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(window))
        description.state |= STATE_SYSTEM_UNAVAILABLE;
    return description;
}

LRESULT AccessibleObjectOf(GUIElement* element, WPARAM flags)
{
    const AccessibilityCalls* calls = Accessibility();
    if (!calls || DescribeForReader(element).role == 0)
        return 0;
    auto* object = new ElementObject(element->handle);
    const LRESULT answer = calls->lresultFromObject(__uuidof(IAccessible), flags, object);
    object->Release();
    return answer > 0 ? answer : 0;
}

void RememberDescription(GUIElement* element)
{
    if (!element->handle)
        return;
    const Description description = DescribeForReader(element);
    element->spokenName = description.name;
    element->spokenState = description.state & ~STATE_SYSTEM_FOCUSED;
}

void NoteDescriptionChange(GUIElement* element)
{
    if (!element->created || !element->handle)
        return;
    const Description description = DescribeForReader(element);
    if (description.role == 0)
        return;
    // The focus has events of its own, which the platform fires.
    const std::int32_t state = description.state & ~STATE_SYSTEM_FOCUSED;
    const bool renamed = description.name != element->spokenName;
    const bool changed = state != element->spokenState;
    element->spokenName = description.name;
    element->spokenState = state;
    if (renamed)
        Fire(EVENT_OBJECT_NAMECHANGE, element->handle, CHILDID_SELF);
    if (changed)
        Fire(EVENT_OBJECT_STATECHANGE, element->handle, CHILDID_SELF);
}

void Announce(GUIElement* speaker, const std::wstring& text)
{
    if (!speaker || !speaker->created || text.empty())
        return;
    const std::size_t place = nextAnnouncement;
    nextAnnouncement = (nextAnnouncement + 1) % announcements.size();
    announcements[place] = {speaker->handle, text};
    const auto child = static_cast<LONG>(place + 1);
    Fire(EVENT_SYSTEM_ALERT, speaker->handle, child);
    Fire(EVENT_OBJECT_NAMECHANGE, speaker->handle, child);
}

bool AcceptsInput(HWND window)
{
    return IsWindowEnabled(window) && IsWindowEnabled(GetAncestor(window, GA_ROOT));
}

}
