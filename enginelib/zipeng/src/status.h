// The compressing side speaks the format library's status vocabulary.
#pragma once

#include "zipformat/status.h"

namespace zipwrite {

using zipformat::Status;
using zipformat::statusOf;
using zipformat::writeFailure;

} // namespace zipwrite
