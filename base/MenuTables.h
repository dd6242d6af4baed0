// The items of the main menu, the popup menu and the toolbar, as tables: name
// (the objectName), caption, shortcut, help context and hint.
#pragma once

#include <span>

struct TMenuItemSpec {
    const char *Name;
    const char *Caption; // "-" for a separator
    const char *Shortcut;
    int HelpContext;
    const char *Hint;
};

struct TPopupItemSpec {
    TMenuItemSpec Item;
    const char *Twin; // the main-menu item whose enabled state it copies
};

struct TToolButtonSpec {
    const char *Name;
    int X;
    const char *Hint;
};

std::span<const TMenuItemSpec> FileMenuItems(); // before the recent items
std::span<const TMenuItemSpec> FixMenuItems();  // the submenu of FileFixMn
std::span<const TMenuItemSpec> FileMenuTail();  // after the recent items
std::span<const TMenuItemSpec> EditMenuItems();
std::span<const TMenuItemSpec> OptionsMenuItems();
std::span<const TMenuItemSpec> HelpMenuItems();
std::span<const TPopupItemSpec> PopupMenuItems();
std::span<const TToolButtonSpec> ToolButtons();

struct TButtonCommand {
    const char *Button;
    const char *Item; // the menu item (or AbortSb) whose command the button runs
};
std::span<const TButtonCommand> ButtonCommands();
