#include "MenuRules.h"

TFileMenuEnabling FileMenuEnabling(const TArchiveViewState &state) {
    TFileMenuEnabling e;
    e.Close = state.ArchiveOpen;
    // Test and Fix pick a closed archive themselves.
    e.Test = !state.ArchiveOpen;
    e.Fix = !state.ArchiveOpen && !state.Multidisk;
    return e;
}

TEditMenuEnabling EditMenuEnabling(const TArchiveViewState &state) {
    TEditMenuEnabling e;
    e.Add = state.ArchiveOpen && (!state.Multidisk || state.Rows == 0);
    e.Delete = state.Selected > 0 && !state.Multidisk;
    e.ExtractView = state.Selected > 0;
    e.Update = state.ArchiveOpen && !state.Multidisk;
    e.UpdateDate = state.Rows > 0 && !state.Multidisk;
    e.RowsPresent = state.Rows > 0;
    return e;
}

TToolbarEnabling ToolbarEnabling(const TArchiveViewState &state) {
    return TToolbarEnabling{state.ArchiveOpen, state.Selected > 0};
}
