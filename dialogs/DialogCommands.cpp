#include "DialogCommands.h"

#include "FrmBrowse.h"
#include "FrmConfiguration.h"
#include "FrmCreateGroup.h"
#include "MainForm.h"
#include "platform/ModalCursor.h"

void Configuration1Click(TMainFormFm &form) {
    {
        TFrmConfiguration dialog(form.Settings, form.MainZip, &form);
        platform::ExecModal(dialog);
    }
    // After Cancel too: the setting is the one place the engine's policy comes from.
    ApplyOverwriteSetting(form.Settings.Overwrite, form.MainZip);
}

TFrmBrowse *BrowseArchives1Click(TMainFormFm &form) {
    auto *browser = new TFrmBrowse(form);
    browser->show();
    return browser;
}

void EditCreateGroupIcons1Click(TMainFormFm &form) {
    TFrmCreateGroup dialog(form);
    platform::ExecModal(dialog);
}

void InstallDialogCommands(TMainFormFm &form) {
    form.SetCommandHandler(QStringLiteral("Configuration1"),
                           [&form] { Configuration1Click(form); });
    form.SetCommandHandler(QStringLiteral("BrowseArchives1"),
                           [&form] { BrowseArchives1Click(form); });
    form.SetCommandHandler(QStringLiteral("EditCreateGroupIcons1"),
                           [&form] { EditCreateGroupIcons1Click(form); });
}
