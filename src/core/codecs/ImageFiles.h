#pragma once
// Reading and writing image files: JPEG (libjpeg), PNG (read with libpng,
// written by the core with libdeflate), BMP (own), TIFF (read with libtiff).

#include "core/raster/Bitmap32.h"
#include "core/raster/Samples16.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ivra {

enum class TImageFormat { Unknown, Jpeg, Png, Bmp, Tiff };

// "JPEG", "PNG", "BMP", "TIFF" ("unknown" for Unknown).
const char* ImageFormatName(TImageFormat f);

// The format an extension stands for (".jpg", ".jpeg", ".jpe", ".png", ".bmp",
// ".dib", ".tif", ".tiff", any case, dot included); Unknown for anything else.
TImageFormat FormatFromExtension(const std::string& extension);

// The format the program's Save writes for a file name: ".jpg" or ".jpeg"
// JPEG, ".bmp" BMP, ".png" PNG (any case); Unknown for any other name.
TImageFormat SaveFormatFromName(const std::string& path);

// The same, throwing Error ("Cannot write "path": unsupported output
// format ...") for a name no writer serves.
TImageFormat RequireSaveFormat(const std::string& path);

// Writes the bitmap in the format of the name's extension as Save does;
// returns the name written (SaveToPng may change the extension's case).
std::string SaveImageFile(const TBitmap32& bmp, const std::string& path, std::uint8_t& pngFilter);

// The format the first bytes of a file announce (PNG signature, JPEG SOI
// marker, "BM", "II*\0" or "MM\0*"); Unknown when none matches.
TImageFormat FormatFromSignature(const std::uint8_t* data, std::size_t size);

// The unit of a resolution a file states.
enum class TResolutionUnit { None, Inch, Centimetre, Metre };

// The resolution a file states: pixels per unit across and down. TIFF:
// XResolution, YResolution and ResolutionUnit; PNG: pHYs (metre or none).
struct TStatedResolution {
    double X = 0, Y = 0;
    TResolutionUnit Unit = TResolutionUnit::None;
    bool Present() const { return X > 0 && Y > 0; }
};

// What a file holds beyond the 8-bit bitmap.
struct TImageFileDetails {
    TSamples16 Samples;        // the samples of a 16-bit file, else empty
    int BitsPerSample = 8;     // of the file's samples (8 for JPEG and BMP)
    int Pages = 1;             // TIFF: the number of images; the first is read
    TStatedResolution Resolution;
};

// Reads a JPEG, PNG, BMP or TIFF file into a 32-bit ARGB bitmap. The decoder
// is picked by the file's extension (case-insensitive) and, when the
// extension is unknown or lies, by the content's signature. Throws Error
// naming the file and the reason for a missing, truncated, corrupt, empty or
// unsupported file or one larger than MaxBitmapPixels; bmp is then left as
// it was. Returns the format the file was read as. With details, a 16-bit
// PNG or TIFF also gives its samples there (16-bit values scale to the
// bitmap's 8 bits by Scale16To8), and the file's page count and resolution.
TImageFormat LoadImageFile(const std::string& path, TBitmap32& bmp, TImageFileDetails* details = nullptr);

// Decodes an image held in memory (the same decoders; name is used in
// messages, hint is the format the name's extension suggests). Used by the
// fuzz harnesses and by LoadImageFile. On error bmp and details are left as
// they were.
TImageFormat DecodeImage(const std::uint8_t* data, std::size_t size, const std::string& name,
                         TBitmap32& bmp, TImageFormat hint = TImageFormat::Unknown,
                         TImageFileDetails* details = nullptr);

// PNG filter sets: bit values of the five standard row filters.
constexpr std::uint8_t PngFilterNone = 1, PngFilterSub = 2, PngFilterUp = 4, PngFilterAverage = 8,
                       PngFilterPaeth = 16;

// The filter set of trial index i (0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth;
// anything else None).
std::uint8_t PngFilterOfIndex(int index);
// The name of a single-filter set: "None", "Sub", "Up", "Average", "Paeth"
// (the highest filter bit other than None wins; "None" for the empty set).
const char* PngFilterName(std::uint8_t filterSet);

// Compression of the PNG writer: the libdeflate level, 0 (stored) to 12
// (slowest, smallest).
struct TPngCompression {
    int level = 6;
};
// The settings every PNG save of the program uses, chosen by measurement
// (bench/png_levels.md).
TPngCompression DefaultPngCompression();

// Encodes the bitmap as PNG, 8-bit RGB when every alpha is 255, else 8-bit
// RGBA, no interlace. Each row gets the filter of the set (None is always
// in it) whose output has the smallest sum of absolute byte values, ties
// going to the earlier filter; a row of one colour stays unfiltered, so
// that every set gives the same bytes for an image of one flat colour.
// Throws Error for an empty bitmap.
std::vector<std::uint8_t> EncodePng(const TBitmap32& bmp, std::uint8_t filterSet,
                                    const TPngCompression& compression = DefaultPngCompression());

// The writers. Each writes through a temporary file renamed over the target,
// so a failed write leaves the old file as it was. Errors name the file and
// carry the reason.
void SaveToJPG(const TBitmap32& bmp, const std::string& path);  // quality 80, alpha dropped
void SaveToBmp(const TBitmap32& bmp, const std::string& path);  // 24-bit, alpha dropped

// Called on the thread that runs the filter trials each time one of them has
// finished: the trial's index (0 None ... 4 Paeth) and its size in bytes. The
// program keeps its window responsive from here.
using TPngTrialCallback = std::function<void(int index, std::size_t size)>;

// The name SaveToPng writes: the extension replaced by ".png" (a name whose
// extension already is ".png" in any case is kept; a name without one gets
// ".png" appended).
std::string PngFileName(const std::string& path);

// Chooses the filter set with ComputePNGSize, stores it in pngFilter and
// writes the file with its extension replaced by ".png" (PngFileName). The
// bytes written are those of the winning trial. Returns the name written.
// trialSizes, when given, receives the five trial sizes (None, Sub, Up,
// Average, Paeth).
std::string SaveToPng(const TBitmap32& bmp, const std::string& path, std::uint8_t& pngFilter,
                      const TPngTrialCallback& onTrial = {},
                      std::array<std::size_t, 5>* trialSizes = nullptr);

// The size in bytes of the PNG encoding with one filter: index 1 Sub, 2 Up,
// 3 Average, 4 Paeth, anything else None (None is always in the set).
std::size_t PNGFilterSize(int index, const TBitmap32& bmp);

// The outcome of the five filter trials.
struct TPngChoice {
    std::uint8_t filterSet = PngFilterNone;  // the set of the smallest trial
    int index = 0;                           // its trial index
    std::array<std::size_t, 5> sizes{};      // trial sizes: None, Sub, Up, Average, Paeth
    std::vector<std::uint8_t> bytes;         // the winning trial's encoding
};

// Runs the five trials (None alone, then None with Sub, Up, Average and
// Paeth) on parallel threads and picks the smallest; ties keep the earlier
// filter, so None wins on equal sizes. onTrial runs on the calling thread
// after each trial. When onTrial is given the trials work on a private copy
// of the bitmap, so the caller may process events meanwhile.
TPngChoice ChoosePngFilter(const TBitmap32& bmp, const TPngTrialCallback& onTrial = {},
                           const TPngCompression& compression = DefaultPngCompression());

// Tries the five single-filter encodings and returns the set of the
// smallest (ties keep the earlier filter, so None wins on equal sizes).
std::uint8_t ComputePNGSize(const TBitmap32& bmp, const TPngTrialCallback& onTrial = {});

} // namespace ivra
