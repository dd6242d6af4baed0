// The main-window commands that open the configuration dialog, the archive
// browser, the create-group dialog, the archive information dialog (also as
// the comment editor) and the about box, and their registration with the
// window's plug-in point.
#pragma once

class TCommandHost;

void Configuration1Click(TCommandHost &form);
class TFrmBrowse;

// The new browser window, shown and already on its own.
TFrmBrowse *BrowseArchives1Click(TCommandHost &form);

void EditCreateGroupIcons1Click(TCommandHost &form);

void ArchiveInformation1Click(TCommandHost &form);
void AddComment1Click(TCommandHost &form);
void HelpAboutMnClick(TCommandHost &form);

void InstallDialogCommands(TCommandHost &form);
