#include "imagewin/PictureLoader.h"

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"
#include "engine/Drawing.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QList>

namespace ivra {

namespace {

struct TPictureFormat {
    const char* Description;
    QStringList Suffixes;   // the first one names the Qt format
    bool Core;              // decoded by the core
};

// The formats the program names itself; any other format of Qt's image
// plugins appears under its own name.
const QList<TPictureFormat>& PictureFormats() {
    static const QList<TPictureFormat> formats = {
        {"JPEG Image File", {"jpg", "jpeg"}, true},
        {"Portable Graphics Network", {"png"}, true},
        {"Bitmaps", {"bmp"}, true},
        {"Icons", {"ico", "cur"}, false},
        {"TIFF Images", {"tif", "tiff"}, true},
        {"GIF Images", {"gif"}, false},
        {"WebP Images", {"webp"}, false},
        {"Scalable Vector Graphics", {"svg", "svgz"}, false},
        {"Portable Anymaps", {"pbm", "pgm", "ppm"}, false},
        {"X Pixmaps", {"xpm"}, false},
        {"X Bitmaps", {"xbm"}, false},
        {"Targa Images", {"tga"}, false},
        {"Wireless Bitmaps", {"wbmp"}, false},
        {"Apple Icons", {"icns"}, false},
        {"JPEG 2000 Images", {"jp2", "j2k"}, false},
    };
    return formats;
}

bool QtReads(const QString& suffix) {
    return QImageReader::supportedImageFormats().contains(suffix.toLower().toLatin1());
}

std::string Native(const QString& fileName) { return QFile::encodeName(fileName).toStdString(); }

void LoadThroughQt(const QString& fileName, TBitmap32& bmp) {
    QImageReader reader(fileName);
    reader.setAutoTransform(true);
    const QImage img = ReadPictureThroughQt(reader, QFileInfo(fileName).fileName().toStdString());
    TBitmap32 tmp;
    AssignFromImage(tmp, img);
    bmp.SwapPixels(tmp);
}

} // namespace

QImage ReadPictureThroughQt(QImageReader& reader, const std::string& shown) {
    // Qt's own allocation limit (128 MB unless changed) would refuse a
    // 6000 x 6000 picture that the program takes; the program's limit is
    // MaxBitmapPixels, in Qt's widest common format of 8 bytes a pixel
    // (16-bit channels). It is checked on the header's size before decoding.
    constexpr int LimitMiB = int(MaxBitmapPixels * 8 >> 20);
    if (QImageReader::allocationLimit() != LimitMiB) QImageReader::setAllocationLimit(LimitMiB);
    const auto tooLarge = [&](QSize size) {
        return size.isValid() && std::uint64_t(size.width()) * std::uint64_t(size.height()) > MaxBitmapPixels;
    };
    const auto refuse = [&] {
        throw Error("Cannot read " + shown + ": the picture has more than " + std::to_string(MaxBitmapPixels) +
                    " pixels.");
    };
    if (!reader.canRead())
        throw Error("Cannot read " + shown + ": " + reader.errorString().toStdString() + ".");
    if (tooLarge(reader.size())) refuse();
    QImage img = reader.read();
    if (img.isNull())
        throw Error("Cannot read " + shown + ": " + reader.errorString().toStdString() + ".");
    if (tooLarge(img.size())) refuse();
    return img;
}

bool IsCorePictureSuffix(const QString& suffix) {
    const QString s = suffix.toLower();
    for (const TPictureFormat& f : PictureFormats())
        if (f.Core && f.Suffixes.contains(s)) return true;
    return false;
}

void LoadPicture(const QString& fileName, TBitmap32& bmp, TImageFileDetails* details) {
    // Devices and FIFOs are refused at once, also for the platform's readers.
    RequireRegularInput(Native(fileName));
    const QString suffix = QFileInfo(fileName).suffix();
    // JPEG, PNG, BMP and TIFF, and anything of unknown extension: the core, which
    // also recognises its formats by their signatures.
    if (IsCorePictureSuffix(suffix) || !QtReads(suffix)) {
        try {
            LoadImageFile(Native(fileName), bmp, details);
            return;
        } catch (const Error&) {
            // A picture of another format under an unknown extension may
            // still be readable by the platform; otherwise the core's message
            // stands.
            if (IsCorePictureSuffix(suffix)) throw;
            QImageReader probe(fileName);
            if (!probe.canRead()) throw;
        }
    }
    LoadThroughQt(fileName, bmp);
}

QString OpenPictureFilter() {
    QStringList all, entries;
    QStringList named;  // every suffix of a named format, read or not
    const auto add = [&](const QString& description, const QStringList& suffixes) {
        QStringList patterns;
        for (const QString& s : suffixes) patterns << QStringLiteral("*.") + s;
        all << patterns;
        entries << description + QStringLiteral(" (") + patterns.join(' ') + QStringLiteral(")");
    };
    for (const TPictureFormat& f : PictureFormats()) {
        named << f.Suffixes;
        QStringList read;
        for (const QString& s : f.Suffixes)
            if (f.Core || QtReads(s)) read << s;
        if (!read.isEmpty()) add(QString::fromLatin1(f.Description), read);
    }
    // The rest of what Qt's image plugins read, e.g. "jfif": "JFIF Images".
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString s = QString::fromLatin1(format).toLower();
        if (named.contains(s)) continue;
        named << s;
        add(s.toUpper() + QStringLiteral(" Images"), {s});
    }
    return QStringLiteral("All pictures (") + all.join(' ') + QStringLiteral(");;") +
           entries.join(QStringLiteral(";;")) + QStringLiteral(";;All files (*)");
}

} // namespace ivra
