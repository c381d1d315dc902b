#pragma once

#include "GUIElement.h"

#include <cstdint>
#include <string>
#include <vector>

namespace TorUtility {

class Form;
class Menu;
class SubMenu;

// A form's menu bar; its handle is the platform menu once created.
class MenuBar : public Child {
public:
    explicit MenuBar(GUIElement* host);

    void Create() override;

    std::vector<Menu*> items;
    HMENU menuHandle = nullptr;
};

// A drop-down title on a bar, or, without a bar, a container of items for popup menus.
class Menu : public Child {
public:
    Menu(const std::string& title, MenuBar* bar);

    void Create() override;

    std::vector<SubMenu*> items;
    HMENU menuHandle = nullptr;
};

// One item; with nested items it opens a cascade.
class SubMenu : public Child, public CommandElement {
public:
    SubMenu(GUIElement* owner, const std::string& caption);

    void Create() override;
    void SetEnabled(bool value) override;

    bool IsChecked();
    void ApplyCheck();
    // Adds the item as a new entry of a menu that is not its own parent.
    void AppendTo(HMENU menu);

    std::vector<SubMenu*> items;
    HMENU popupHandle = nullptr;
    UINT itemFlags = MF_STRING;
    bool checkable = false;
    bool checkState = false;

private:
    HMENU ParentMenu() const;
    void AppendLeaf(HMENU menu) const;
};

// Shows a container's items as a context menu at a screen point; the choice arrives afterwards
// as an ordinary menu command.
void ShowPopup(Menu* container, Form* form, int screenX, int screenY);

// A menu choice reported by the platform with its command identifier.
void RouteMenuCommand(std::int32_t commandId);

}
