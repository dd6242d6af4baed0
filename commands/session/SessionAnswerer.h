// The questions an archive operation asks while it runs. The program
// answers them with message boxes (commands/EngineEvents.*), tests with a
// script, so that no operation waits on a person it cannot reach.
#pragma once

#include "ZipEngine.h"

#include <cstdint>
#include <optional>

class TSessionAnswerer {
public:
    enum class TReplaceAnswer { Replace, Keep, Abort };

    virtual ~TSessionAnswerer() = default;
    // An extracted file is about to overwrite one of the same name.
    virtual TReplaceAnswer AskReplace(const QString &fileName) = 0;
    // A multidisk set needs disk `diskNumber` (0: the last one); false stops
    // the operation.
    virtual bool AskNewDisk(std::int32_t diskNumber) = 0;
    // The operation leaves a file out and goes on with the next; `testing`
    // while Test Archive runs, whose wording differs.
    virtual void TellSkipped(const TZipSkipping &skipping, bool testing) = 0;
    // Entry `fileName` is encrypted and no password is configured: the
    // password typed, or nothing when the user cancels.
    virtual std::optional<QString> AskPassword(const QString &fileName) = 0;
};
