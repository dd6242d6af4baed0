// ExtractFiles: an extraction as the window runs it, with its busy state,
// its status text and its result shown. Extract, View, dragging entries out
// and Create Group all extract through it.
#pragma once

#include "ArchiveSession.h"

#include <QString>

class TArchiveView;
struct TSettings;

// The request of the settings: UsePaths from ExtractPath, the method from
// ExtractMethod.
TExtractRequest ExtractRequestFor(const TSettings &settings, const QString &folder);

// Runs `request` (its Entries the selected rows when it names none) inside
// a busy state of its own and reports the result through
// ShowOutcome("extracting"); without a Method it runs and shows nothing.
TSessionOutcome ExtractFiles(TArchiveSession &session, TArchiveView &view, TExtractRequest request);
