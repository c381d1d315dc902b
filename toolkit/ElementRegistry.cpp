#include "ElementRegistry.h"

#include "Menu.h"

#include <map>
#include <unordered_map>

namespace TorUtility {

namespace {

// Elements keyed by their construction serial, so that first and last are the ends of a map.
using Ordered = std::map<std::uint64_t, GUIElement*>;

struct Registry {
    std::uint64_t nextSerial = 1;
    Ordered all;
    std::unordered_map<HWND, Ordered> byHandle;
    std::unordered_map<std::int32_t, Ordered> byId;
};

Registry& State()
{
    static Registry registry;
    return registry;
}

template <typename Key>
void Unfile(std::unordered_map<Key, Ordered>& index, Key key, std::uint64_t serial)
{
    auto bucket = index.find(key);
    if (bucket == index.end())
        return;
    bucket->second.erase(serial);
    if (bucket->second.empty())
        index.erase(bucket);
}

}

void ElementRegistry::Add(GUIElement& element)
{
    Registry& r = State();
    element.registrySerial = r.nextSerial++;
    r.all.emplace(element.registrySerial, &element);
    r.byHandle[element.handle].emplace(element.registrySerial, &element);
    r.byId[element.id].emplace(element.registrySerial, &element);
}

void ElementRegistry::Remove(GUIElement& element)
{
    Registry& r = State();
    r.all.erase(element.registrySerial);
    Unfile<HWND>(r.byHandle, element.handle, element.registrySerial);
    Unfile<std::int32_t>(r.byId, element.id, element.registrySerial);
    element.registrySerial = 0;
}

void ElementRegistry::Refile(GUIElement& element, HWND oldHandle, HWND newHandle)
{
    Registry& r = State();
    Unfile(r.byHandle, oldHandle, element.registrySerial);
    r.byHandle[newHandle].emplace(element.registrySerial, &element);
}

void ElementRegistry::Refile(GUIElement& element, std::int32_t oldId, std::int32_t newId)
{
    Registry& r = State();
    Unfile(r.byId, oldId, element.registrySerial);
    r.byId[newId].emplace(element.registrySerial, &element);
}

GUIElement* ElementRegistry::LastWithHandle(HWND window)
{
    Registry& r = State();
    auto bucket = r.byHandle.find(window);
    return bucket == r.byHandle.end() ? nullptr : bucket->second.rbegin()->second;
}

GUIElement* ElementRegistry::FirstWithId(std::int32_t identifier)
{
    Registry& r = State();
    auto bucket = r.byId.find(identifier);
    return bucket == r.byId.end() ? nullptr : bucket->second.begin()->second;
}

GUIElement* ElementRegistry::FirstSubMenuWithId(std::int32_t identifier)
{
    Registry& r = State();
    auto bucket = r.byId.find(identifier);
    if (bucket == r.byId.end())
        return nullptr;
    for (const auto& entry : bucket->second)
        if (dynamic_cast<SubMenu*>(entry.second))
            return entry.second;
    return nullptr;
}

GUIElement* ElementRegistry::Newest()
{
    const Registry& r = State();
    return r.all.empty() ? nullptr : r.all.rbegin()->second;
}

std::vector<GUIElement*> ElementRegistry::Elements()
{
    std::vector<GUIElement*> elements;
    elements.reserve(State().all.size());
    for (const auto& entry : State().all)
        elements.push_back(entry.second);
    return elements;
}

std::size_t ElementRegistry::Count()
{
    return State().all.size();
}

template <typename T>
Indexed<T>& Indexed<T>::operator=(T newValue)
{
    const T oldValue = value;
    value = newValue;
    if (oldValue != newValue && owner.registrySerial != 0)
        ElementRegistry::Refile(owner, oldValue, newValue);
    return *this;
}

template class Indexed<HWND>;
template class Indexed<std::int32_t>;

GUIElement* FindByHandle(HWND window)
{
    if (GUIElement* element = ElementRegistry::LastWithHandle(window))
        return element;
    GUIElement* newest = ElementRegistry::Newest();
    return newest && !newest->handle ? newest : nullptr;
}

GUIElement* FindById(std::int32_t identifier)
{
    return ElementRegistry::FirstWithId(identifier);
}

GUIElement* FindSubMenuById(std::int32_t identifier)
{
    return ElementRegistry::FirstSubMenuWithId(identifier);
}

}
