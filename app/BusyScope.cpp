#include "BusyScope.h"

#include "MainForm.h"

TBusyScope::TBusyScope(TMainFormFm &form) : form_(form) {
    form_.SetBusy(false);
}

TBusyScope::~TBusyScope() {
    form_.SetBusy(true);
}
