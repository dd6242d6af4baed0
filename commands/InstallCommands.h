#pragma once

class TCommandHost;
class TEngineSession;

// Plugs every archive command into the window: its menu items and buttons
// (SetCommandHandler) and the handlers of the events of `engine`, the
// window's own session, whose component the commands never see. Called
// once by the program right after it creates the window, and by tests the
// same way.
void InstallCommands(TCommandHost &form, TEngineSession &engine);
