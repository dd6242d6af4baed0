// The main-window commands that open the configuration dialog, the archive
// browser and the create-group dialog, and their registration with the
// window's plug-in point.
#pragma once

class TMainFormFm;

void Configuration1Click(TMainFormFm &form);
class TFrmBrowse;

// The new browser window, shown and already on its own.
TFrmBrowse *BrowseArchives1Click(TMainFormFm &form);

void EditCreateGroupIcons1Click(TMainFormFm &form);

void InstallDialogCommands(TMainFormFm &form);
