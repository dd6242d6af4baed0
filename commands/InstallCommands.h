#pragma once

class TCommandHost;

// Plugs every archive command into the window: its menu items and buttons
// (SetCommandHandler) and the handlers of MainZip's events. Called once by
// the program right after it creates the window, and by tests the same way.
void InstallCommands(TCommandHost &form);
