// The texts that the handlers of a running operation show.
#pragma once

#include <QString>

#include <cstdint>

// word + " " + quoted name + ".", e.g. Adding "docs/a.txt".
QString FileProgressText(const QString &word, const QString &fileName);
// The warning for a skipped file; testRunning selects the wording of Test Archive.
QString SkippingText(bool testRunning, const QString &fileName, std::uint8_t reason);
QString ReplaceQuestion(const QString &fileName);
// Disk 0 is the last disk of the set.
QString NewdiskText(std::int32_t disk);
