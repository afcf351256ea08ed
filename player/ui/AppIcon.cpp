#include "AppIcon.h"

// The pictures live in a static library: their registration is asked for by name.
static void InitIconImages() { Q_INIT_RESOURCE(icons); }

QIcon AppIcon() {
  InitIconImages();
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/org.example.ekplayer-%1.png").arg(size), QSize(size, size));
  return icon;
}
