#include "ZipResult.h"

#include "EngineResultText.h"
#include "engine_contract.h"

TZipResultReport ZipResultReportFor(int code, const QString &verb, bool quietOpen) {
    if (code <= ENGINE_OK)
        return {};
    const TEngineResultText result = EngineResultText(code, verb);
    if (!result.Listed && quietOpen)
        return TZipResultReport{QString(), TZipResultBox::None, ResultNothing, true};
    // A warning and an abort are news, not errors.
    TZipResultBox box = TZipResultBox::Error;
    if (result.Text.isEmpty())
        box = TZipResultBox::None;
    else if (result.ResultClass == ResultWarning || code == ENGINE_ABORTED)
        box = TZipResultBox::Information;
    return TZipResultReport{result.Text, box, result.ResultClass, true};
}
