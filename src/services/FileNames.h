#pragma once
// File names as the windows show them, through the core's one routine.

#include "core/io/FileIO.h"

#include <QFile>
#include <QString>

namespace ivra {

// The file-name part of a path (after the last '/'; ':' and '\' are valid
// characters of Linux file names).
inline QString FileNamePart(const QString& path) {
    return QFile::decodeName(FileNamePart(QFile::encodeName(path).toStdString()).c_str());
}

} // namespace ivra
