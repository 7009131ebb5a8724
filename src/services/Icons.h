#pragma once
// The program's own button pictures: small SVG drawings compiled into the
// program (src/services/icons), rendered to pixmaps of the usual sizes.

#include <QIcon>
#include <QString>

namespace ivra {

// The icon of that name (the file name without ".svg"); a null icon for an
// unknown name.
QIcon AppIcon(const QString& name);

} // namespace ivra
