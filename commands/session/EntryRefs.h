// Entries of the listed archive as rows name them: each stored name with
// the entry's position in the archive's directory (counted from 1), which
// keeps apart entries whose names read alike. The two lists run in step,
// as the engine component's FilesToProcess and FilePositions do.
#pragma once

#include <QList>
#include <QStringList>

#include <cstdint>

struct TEntryRefs {
    QStringList Names;
    QList<std::int32_t> Positions;

    qsizetype size() const { return Names.size(); }
    bool isEmpty() const { return Names.isEmpty(); }
    void Append(const QString &name, std::int32_t position) {
        Names.append(name);
        Positions.append(position);
    }
};
