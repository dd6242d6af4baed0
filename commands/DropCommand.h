#pragma once

class TCommandHost;

// Files dropped on the main window (FileDrag1's OnDrop): added to the open
// archive, or, with none open, to a new one if the user wants it.
void FileDrag1Drop(TCommandHost &form);
