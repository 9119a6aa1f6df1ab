// The program's pictures, drawn in code so that the program carries no image files.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace orb {

// The 128 x 128 tile of the frame's background.
QPixmap WallpaperPicture();
// The 400 x 225 picture of the splash window, without the version text.
QPixmap SplashPicture();

enum class ButtonPicture { kImport, kExport, kOpen, kBackup };
QIcon TitleButtonIcon(ButtonPicture picture);
// The title list's mark of a locked title; for an unlocked one a blank of the same size.
QIcon LockMark(bool locked);

}  // namespace orb
