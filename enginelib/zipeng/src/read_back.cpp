#include "read_back.h"

#include "zipformat/archive.h"

namespace zipwrite {

bool readsBack(const std::string &path) {
    zipformat::Archive a;
    // Default options: no multi-disk set, overlapping entries refused, as
    // the extracting side opens an archive.
    if (a.open(path) != zipformat::Error::Ok)
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        zipformat::EntryLocation loc;
        if (a.locate(i, loc) != zipformat::Error::Ok)
            return false;
    }
    return true;
}

} // namespace zipwrite
