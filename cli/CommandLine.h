// Splits the arguments after the subcommand into archive, names and
// options, as the command declares them. Options may come anywhere; "--"
// ends them.
#pragma once

#include "Command.h"

namespace cli {

// False with `error` set when an option is unknown or lacks its value, or
// the archive is missing.
bool parseInvocation(const Command &command, const QStringList &args, Invocation &out,
                     QString &error);

} // namespace cli
