#pragma once
// Reading and writing image files: JPEG (libjpeg), PNG (libpng), BMP (own).

#include "core/raster/Bitmap32.h"

#include <cstdint>
#include <string>

namespace ivra {

enum class TImageFormat { Unknown, Jpeg, Png, Bmp };

// "JPEG", "PNG", "BMP".
const char* ImageFormatName(TImageFormat f);

// Reads a JPEG, PNG or BMP file into a 32-bit ARGB bitmap. The decoder is
// picked by the file's extension (case-insensitive) and, when the extension
// is unknown or lies, by the content's signature. Throws Error naming the
// file and the reason for a missing, truncated, corrupt, empty or
// unsupported file or one larger than MaxBitmapPixels; bmp is then left as
// it was. Returns the format the file was read as.
TImageFormat LoadImageFile(const std::string& path, TBitmap32& bmp);

// Decodes an image held in memory (the same decoders; name is used in
// messages). Used by the fuzz harnesses and by LoadImageFile.
TImageFormat DecodeImage(const std::uint8_t* data, std::size_t size, const std::string& name,
                         TBitmap32& bmp, TImageFormat hint = TImageFormat::Unknown);

// PNG filter sets: bit values of the five standard row filters.
constexpr std::uint8_t PngFilterNone = 1, PngFilterSub = 2, PngFilterUp = 4, PngFilterAverage = 8,
                       PngFilterPaeth = 16;

// The writers. Each writes through a temporary file renamed over the target.
void SaveToJPG(const TBitmap32& bmp, const std::string& path);  // quality 80, alpha dropped
void SaveToBmp(const TBitmap32& bmp, const std::string& path);  // 24-bit, alpha dropped
// Chooses the filter set with ComputePNGSize, stores it in pngFilter and
// writes the file with its extension replaced by ".png". Returns the name
// written.
std::string SaveToPng(const TBitmap32& bmp, const std::string& path, std::uint8_t& pngFilter);

// The size in bytes of the PNG encoding with one filter: index 1 Sub, 2 Up,
// 3 Average, 4 Paeth, anything else None (None is always in the set).
std::size_t PNGFilterSize(int index, const TBitmap32& bmp);
// Tries the five single-filter encodings and returns the set of the
// smallest (ties keep the earlier filter, so None wins on equal sizes).
std::uint8_t ComputePNGSize(const TBitmap32& bmp);

} // namespace ivra
