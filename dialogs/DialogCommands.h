// The main-window commands that open the configuration dialog, the archive
// browser, the create-group dialog, the archive information dialog (also as
// the comment editor) and the about box, and their registration with the
// window's plug-in point.
#pragma once

class TMainFormFm;

void Configuration1Click(TMainFormFm &form);
class TFrmBrowse;

// The new browser window, shown and already on its own.
TFrmBrowse *BrowseArchives1Click(TMainFormFm &form);

void EditCreateGroupIcons1Click(TMainFormFm &form);

void ArchiveInformation1Click(TMainFormFm &form);
void AddComment1Click(TMainFormFm &form);
void HelpAboutMnClick(TMainFormFm &form);

void InstallDialogCommands(TMainFormFm &form);
