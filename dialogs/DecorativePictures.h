// Small pictures drawn by the program itself, so that no image files have to
// travel with it.
#pragma once

#include <QPixmap>

namespace dialogs {

// A filing box with a zip fastener, for the Options page.
QPixmap ArchiveBoxPicture();
// A key, for the Password page.
QPixmap KeyPicture();

} // namespace dialogs
