#include "Menu.h"

#include "Form.h"
#include "Platform.h"
#include "TextUtilities.h"

namespace TorUtility {

MenuBar::MenuBar(GUIElement* host) : Child(nullptr)
{
    parent = host;
    typeName = "menubar";
}

void MenuBar::Create()
{
    if (created || !parent || !parent->handle)
        return;
    menuHandle = CreateMenu();
    for (Menu* menu : items)
        menu->Create();
    SetMenu(parent->handle, menuHandle);
    created = true;
    handle = reinterpret_cast<HWND>(menuHandle);
}

Menu::Menu(const std::string& title, MenuBar* bar) : Child(nullptr)
{
    text = ToWide(title);
    typeName = "menu";
    if (!bar)
        return;
    parent = bar;
    bar->items.push_back(this);
    if (bar->created)
        Menu::Create();
}

void Menu::Create()
{
    auto* bar = dynamic_cast<MenuBar*>(parent);
    if (created || !bar || !bar->menuHandle)
        return;
    menuHandle = CreateMenu();
    for (SubMenu* item : items)
        item->Create();
    AppendMenuW(bar->menuHandle, MF_POPUP, reinterpret_cast<UINT_PTR>(menuHandle), text.c_str());
    handle = reinterpret_cast<HWND>(menuHandle);
    created = true;
}

SubMenu::SubMenu(GUIElement* owner, const std::string& caption) : Child(nullptr)
{
    parent = owner;
    text = ToWide(caption);
    typeName = "submenu";
    TakeNextId();
    if (auto* menu = dynamic_cast<Menu*>(owner)) {
        menu->items.push_back(this);
        if (menu->created)
            SubMenu::Create();
    } else if (auto* item = dynamic_cast<SubMenu*>(owner)) {
        item->items.push_back(this);
        if (item->created)
            SubMenu::Create();
    }
}

HMENU SubMenu::ParentMenu() const
{
    if (auto* menu = dynamic_cast<Menu*>(parent))
        return menu->menuHandle;
    if (auto* item = dynamic_cast<SubMenu*>(parent))
        return item->popupHandle;
    return nullptr;
}

void SubMenu::AppendLeaf(HMENU menu) const
{
    AppendMenuW(menu, itemFlags, static_cast<UINT_PTR>(id), text.empty() ? nullptr : text.c_str());
    if (checkable)
        CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (checkState ? MF_CHECKED : MF_UNCHECKED));
}

void SubMenu::Create()
{
    HMENU menu = ParentMenu();
    if (created || !menu)
        return;
    if (!items.empty()) {
        popupHandle = CreatePopupMenu();
        for (SubMenu* item : items)
            item->Create();
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popupHandle), text.c_str());
    } else {
        AppendLeaf(menu);
    }
    created = true;
    handle = reinterpret_cast<HWND>(popupHandle);
    if (!enabled)
        SubMenu::SetEnabled(false);
}

void SubMenu::SetEnabled(bool value)
{
    enabled = value;
    if (created)
        EnableMenuItem(ParentMenu(), static_cast<UINT>(id), MF_BYCOMMAND | (value ? MF_ENABLED : MF_GRAYED));
}

bool SubMenu::IsChecked()
{
    HMENU menu = ParentMenu();
    if (created && menu)
        checkState = (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
    return checkState;
}

void SubMenu::ApplyCheck()
{
    if (HMENU menu = ParentMenu())
        CheckMenuItem(menu, static_cast<UINT>(id),
                      MF_BYCOMMAND | (checkState && checkable ? MF_CHECKED : MF_UNCHECKED));
}

void SubMenu::AppendTo(HMENU menu)
{
    if (items.empty()) {
        AppendLeaf(menu);
        return;
    }
    HMENU cascade = CreatePopupMenu();
    for (SubMenu* item : items)
        item->AppendTo(cascade);
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(cascade), text.c_str());
}

void ShowPopup(Menu* container, Form* form, int screenX, int screenY)
{
    HMENU popup = CreatePopupMenu();
    if (container)
        for (SubMenu* item : container->items)
            item->AppendTo(popup);
    platform.trackPopupMenu(popup, TPM_RIGHTBUTTON, screenX, screenY, 0, form ? static_cast<HWND>(form->handle) : nullptr,
                            nullptr);
    DestroyMenu(popup);
}

void RouteMenuCommand(std::int32_t commandId)
{
    auto* item = dynamic_cast<SubMenu*>(FindSubMenuById(commandId));
    if (!item)
        return;
    if (item->checkable) {
        item->checkState = !item->IsChecked();
        if (item->created)
            item->ApplyCheck();
    }
    if (item->onCommand)
        item->onCommand(item);
}

}
