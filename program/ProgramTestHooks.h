// Environment-driven hooks that let scripts run the program unattended:
// quit after a delay with a report and a picture of the window, and run
// menu commands by name with every question answered.
#pragma once

class TMainFormFm;

// Reads TARNWICK_QUIT_AFTER_MS, TARNWICK_QUIT_REPORT, TARNWICK_GRAB_PNG,
// TARNWICK_RUN_COMMANDS and TARNWICK_ANSWER_PATH; does nothing when
// TARNWICK_QUIT_AFTER_MS is unset.
void InstallTestHooks(TMainFormFm &form);
