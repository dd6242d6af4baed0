// The commands that change an archive (add, update, freshen, delete, fix,
// touch, comment --set) go here, over the compressing side of the engine.
#include "Command.h"

namespace cli {

void addWriteCommands(CommandTable &) {}

} // namespace cli
