// Central directory records that survive in a damaged file: a cut or
// overwritten directory often still holds the records of some entries, and
// only they know the host system and file attributes (Unix modes) that a
// local header does not carry. A repair that rebuilds entries from their
// local headers takes these fields from here.
#pragma once

#include "zipformat/source.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zipwrite {

struct SurvivingFields {
    std::uint16_t madeBy = 0;
    std::uint16_t flags = 0;
    std::uint16_t internalAttr = 0;
    std::uint32_t externalAttr = 0;
};

class SurvivingDirectory {
public:
    // Walks the whole file for central header signatures; a record whose
    // fixed part or name runs past the file is ignored.
    void scan(const zipformat::Source &src);

    // The record of the entry with this raw name whose local header is at
    // `headerPos`, or the only record of that name when none points there
    // (data in front of the archive shifts every offset). False: none.
    bool find(const std::string &rawName, std::uint64_t headerPos, SurvivingFields &out) const;

private:
    struct Record {
        std::uint64_t localOffset = 0;
        SurvivingFields fields;
    };
    std::map<std::string, std::vector<Record>> byName_;
};

} // namespace zipwrite
