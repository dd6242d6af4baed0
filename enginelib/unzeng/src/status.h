// Results inside the extracting side are the format library's statuses,
// as on the compressing side; only the entry point turns them into a code.
#pragma once

#include "zipformat/status.h"

namespace zipread {

using zipformat::Status;
using zipformat::statusOf;

} // namespace zipread
