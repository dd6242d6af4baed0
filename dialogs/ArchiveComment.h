// Writing the open archive's comment as the comment editor does when it
// closes: through the session, with the failure told to the user.
#pragma once

#include <QString>

class TArchiveSession;
class TArchiveView;

// Writes `text` only when it differs from the comment the archive holds;
// the list stays as current as it was, since only the comment changed.
void WriteArchiveComment(TArchiveSession &session, TArchiveView &view, const QString &text);
