#include "BusyScope.h"

#include "ArchiveView.h"

TBusyScope::TBusyScope(TArchiveView &view) : view_(view) {
    view_.SetBusy(false);
}

TBusyScope::~TBusyScope() {
    view_.SetBusy(true);
}
