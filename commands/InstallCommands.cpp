#include "InstallCommands.h"

#include "EngineEvents.h"
#include "MainForm.h"

void InstallCommands(TMainFormFm &form) {
    BindEngineEvents(form);
    TMainFormFm *f = &form;
    form.SetCommandHandler(QStringLiteral("AbortSb"), [f] { AbortSbClick(*f); });
}
