// The window with every command the program installs: no item of the menu
// tables may be left without something to do.
#include "CommandsTest.h"

#include "DialogCommands.h"
#include "InstallCommands.h"
#include "MainForm.h"
#include "MenuTables.h"

#include <QAction>
#include <QMenu>

#include <span>

class InstallCommandsTest : public CommandsTest {};

TEST_F(InstallCommandsTest, EveryMenuItemHasAHandlerOrATwin) {
    // As the program installs them.
    TMainFormFm::SetCommandInstaller([](TMainFormFm &window) {
        InstallCommands(window, window.Session());
        InstallDialogCommands(window);
    });
    auto form = NewForm();
    const auto handled = [&form](const char *name) {
        return form->HasCommandHandler(QString::fromLatin1(name));
    };
    const auto separator = [](const TMenuItemSpec &item) {
        return QLatin1String(item.Caption) == QLatin1String("-");
    };

    for (const std::span<const TMenuItemSpec> table :
         {FileMenuItems(), FixMenuItems(), FileMenuTail(), EditMenuItems(), OptionsMenuItems(),
          HelpMenuItems()}) {
        for (const TMenuItemSpec &item : table) {
            if (separator(item))
                continue;
            const auto *action = form->findChild<QAction *>(QString::fromLatin1(item.Name));
            ASSERT_NE(action, nullptr) << item.Name;
            // A submenu opens, a check mark toggles itself: both do something.
            EXPECT_TRUE(handled(item.Name) || action->menu() || action->isCheckable()) << item.Name;
        }
    }
    for (const TPopupItemSpec &item : PopupMenuItems()) {
        if (separator(item.Item))
            continue;
        EXPECT_TRUE(*item.Twin && handled(item.Twin)) << item.Item.Name;
    }
    for (const TButtonCommand &button : ButtonCommands())
        EXPECT_TRUE(handled(button.Item)) << button.Button;
}
