#include "DialogCommands.h"

#include "CommandHost.h"
#include "FrmArchiveInfo.h"
#include "FrmBrowse.h"
#include "FrmConfiguration.h"
#include "FrmCreateGroup.h"
#include "FrmInitial.h"
#include "platform/ModalCursor.h"

#include <QApplication>
#include <QScopeGuard>
#include <QWidget>

void Configuration1Click(TCommandHost &form) {
    {
        TFrmConfiguration dialog(form.CurrentSettings(), &form.Window());
        platform::ExecModal(dialog);
    }
    // After Cancel too: the settings are the one place the session's
    // policies come from.
    form.Session().Configure(form.CurrentSettings());
}

TFrmBrowse *BrowseArchives1Click(TCommandHost &form) {
    auto *browser = new TFrmBrowse(form);
    browser->show();
    return browser;
}

void EditCreateGroupIcons1Click(TCommandHost &form) {
    TFrmCreateGroup dialog(form);
    platform::ExecModal(dialog);
}

void ArchiveInformation1Click(TCommandHost &form) {
    // The dialog reads every entry while it is created: the hourglass shows
    // for that time, the arrow while the dialog is up.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    TFrmArchiveInfo dialog(form);
    dialog.Tag = 0;
    platform::ExecModal(dialog);
}

void AddComment1Click(TCommandHost &form) {
    if (form.RefuseReadOnly())
        return;
    TFrmArchiveInfo dialog(form);
    dialog.Tag = 1;
    platform::ExecModal(dialog);
}

void HelpAboutMnClick(TCommandHost &form) {
    TFrmInitial box(&form.Window());
    platform::ExecModal(box);
}

void InstallDialogCommands(TCommandHost &form) {
    form.SetCommandHandler(QStringLiteral("Configuration1"),
                           [&form] { Configuration1Click(form); });
    form.SetCommandHandler(QStringLiteral("BrowseArchives1"),
                           [&form] { BrowseArchives1Click(form); });
    form.SetCommandHandler(QStringLiteral("EditCreateGroupIcons1"),
                           [&form] { EditCreateGroupIcons1Click(form); });
    form.SetCommandHandler(QStringLiteral("ArchiveInformation1"),
                           [&form] { ArchiveInformation1Click(form); });
    form.SetCommandHandler(QStringLiteral("AddComment1"), [&form] { AddComment1Click(form); });
    form.SetCommandHandler(QStringLiteral("HelpAboutMn"), [&form] { HelpAboutMnClick(form); });
}
