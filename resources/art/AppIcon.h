// The program's own icon: a page under a document camera on its stand, drawn
// at any size for the desktop's icon theme. Build-time art tool only.
#pragma once

#include <QImage>

QImage renderAppIcon(int size);
