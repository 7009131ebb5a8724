#pragma once
// The picture loader of the image windows: JPEG, PNG, BMP and TIFF through
// the core's decoders; the other pictures the platform can read (icons,
// GIF, WebP ...) through QImageReader, converted to 32-bit ARGB.

#include "core/codecs/ImageFiles.h"
#include "core/raster/Bitmap32.h"

#include <QImage>
#include <QString>

#include <string>

class QImageReader;

namespace ivra {

// Reads a picture through Qt's image plugins within the program's limit of
// MaxBitmapPixels: a larger size in the header is refused before decoding,
// with "Cannot read <shown>: the picture has more than N pixels."; any other
// failure with Qt's reason. Used for files and for the clipboard.
QImage ReadPictureThroughQt(QImageReader& reader, const std::string& shown);

// Reads the file into bmp. Throws Error naming the file when it cannot be
// read; bmp is then left as it was. With details, a file the core reads
// also gives its 16-bit samples, page count and stated resolution there.
void LoadPicture(const QString& fileName, TBitmap32& bmp, TImageFileDetails* details = nullptr);

// True for the extensions (without the dot, any case) that the core decodes.
bool IsCorePictureSuffix(const QString& suffix);

// The open dialog's filter list: every picture format the program reads,
// first all of them together, then one entry per format.
QString OpenPictureFilter();

} // namespace ivra
