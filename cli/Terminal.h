// Questions for the user: asked on the terminal when there is one,
// answered "no" otherwise, so scripts never hang on a prompt.
#pragma once

#include <QString>

namespace cli {

class Terminal {
public:
    Terminal();
    virtual ~Terminal() = default;
    bool interactive() const { return interactive_; }
    // 'y', 'n' or 'a' (abort); 'n' when not interactive.
    virtual char askReplace(const QString &name);
    // Empty when none was typed or not interactive.
    virtual QString askPassword(const QString &name);
    // True to go on once the disk is in place; false (give up) when not
    // interactive. Disk 0 is the last disk of the set.
    virtual bool askForDisk(int number);

private:
    bool interactive_;
};

} // namespace cli
