// Reading PNG through libpng: any colour type and bit depth into 32-bit ARGB.
//
// libpng reports errors through an error function that must not return. Ours
// longjmps back into small functions that hold only plain C data, so that no
// C++ destructor is ever skipped; the C++ side turns the stored message into
// an ivra::Error.

#include "core/codecs/CodecsInternal.h"

#include "core/Error.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <png.h>

namespace ivra::codecs {

namespace {

const char* const BadSignature = "Invalid Portable Graphics Network image, it has an invalid file header.";
const char* const OutOfMemory = "out of memory";

// The reader uses only the header, palette, transparency, physical pixel
// size and image data.
// Every other chunk (text, compressed text, ICC profiles, EXIF, unknown
// ones) is skipped unread: a few kilobytes of compressed text could
// otherwise inflate to megabytes each. The limits below are a second line:
// no chunk is kept, and none larger than MaxPngChunkBytes is accepted.
constexpr png_alloc_size_t MaxPngChunkBytes = 16u << 20;
constexpr png_uint_32 MaxPngCachedChunks = 16;

// No deflate stream can expand one input byte to more than 1032 output
// bytes (two one-bit codes for a 258-byte match), so a file whose image data
// chunks are far smaller than the pixels they must hold is cut short.
constexpr std::uint64_t MaxDeflateRatio = 1032;

struct TPngErrorState {
    std::jmp_buf jump;
    char message[256];
};

void OnPngError(png_structp png, png_const_charp text) {
    auto* st = static_cast<TPngErrorState*>(png_get_error_ptr(png));
    std::snprintf(st->message, sizeof st->message, "%s", text ? text : "unknown PNG error");
    std::longjmp(st->jump, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

struct TPngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

void ReadPngBytes(png_structp png, png_bytep out, std::size_t length) {
    auto* src = static_cast<TPngSource*>(png_get_io_ptr(png));
    if (length > src->size - src->pos) png_error(png, TruncatedReason);
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// The bytes of all image data chunks present in the file.
std::uint64_t ImageDataBytes(const std::uint8_t* data, std::size_t size) {
    std::uint64_t pos = 8, total = 0;
    while (pos + 8 <= size) {
        const std::uint64_t length = BigEndian32(data + pos);
        const std::uint8_t* type = data + pos + 4;
        if (std::memcmp(type, "IDAT", 4) == 0) total += std::min<std::uint64_t>(length, size - pos - 8);
        if (std::memcmp(type, "IEND", 4) == 0) break;
        pos += 12 + length;
    }
    return total;
}

struct TPngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    TPngErrorState err{};
    TPngSource src{};
    // IHDR
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0, channels = 0;
    bool hasTrns = false;
    TPngReader() = default;
    TPngReader(const TPngReader&) = delete;
    TPngReader& operator=(const TPngReader&) = delete;
    ~TPngReader() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

bool ReadPngHeader(TPngReader& r) {
    if (setjmp(r.err.jump)) return false;
    png_set_user_limits(r.png, 0x7FFFFFFF, 0x7FFFFFFF);  // the pixel count is checked separately
    png_set_chunk_malloc_max(r.png, MaxPngChunkBytes);
    png_set_chunk_cache_max(r.png, MaxPngCachedChunks);
    png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    // Except the physical pixel size, a fixed 9 bytes: the stated resolution.
    static const png_byte pHYs[] = {'p', 'H', 'Y', 's', 0};
    png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_AS_DEFAULT, pHYs, 1);
    png_set_read_fn(r.png, &r.src, ReadPngBytes);
    png_set_sig_bytes(r.png, 0);
    png_read_info(r.png, r.info);
    r.width = png_get_image_width(r.png, r.info);
    r.height = png_get_image_height(r.png, r.info);
    r.bitDepth = png_get_bit_depth(r.png, r.info);
    r.colorType = png_get_color_type(r.png, r.info);
    r.interlace = png_get_interlace_type(r.png, r.info);
    r.channels = png_get_channels(r.png, r.info);
    r.hasTrns = png_get_valid(r.png, r.info, PNG_INFO_tRNS) != 0;
    return true;
}

// A 16-bit gray or RGB image (with or without alpha or tRNS): the whole
// image at 16 bits in native byte order, alpha expanded; the caller splits
// it into samples and the bitmap. Fills channels with the channel count of
// the rows (1 to 4).
bool ReadPng16(TPngReader& r, std::uint16_t* rows, int& channels) {
    if (setjmp(r.err.jump)) return false;
    if (r.hasTrns) png_set_tRNS_to_alpha(r.png);
    if constexpr (std::endian::native == std::endian::little) png_set_swap(r.png);
    const int passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    channels = png_get_channels(r.png, r.info);
    if (png_get_bit_depth(r.png, r.info) != 16 || channels != r.channels + (r.hasTrns ? 1 : 0) ||
        png_get_rowbytes(r.png, r.info) != std::size_t(r.width) * 2 * std::size_t(channels))
        png_error(r.png, "unsupported PNG pixel layout");
    const std::size_t stride = std::size_t(r.width) * std::size_t(channels);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < r.height; ++y)
            png_read_row(r.png, reinterpret_cast<png_bytep>(rows + stride * y), nullptr);
    return true;
}

// The bitmap and the colour samples of 16-bit rows of 1 to 4 channels
// (gray, gray + alpha, RGB, RGB + alpha).
void SplitPng16(const std::vector<std::uint16_t>& rows, int channels, TBitmap32& out, TSamples16& samples) {
    const int colours = channels >= 3 ? 3 : 1;
    const bool alpha = channels == 2 || channels == 4;
    samples.Width = out.Width();
    samples.Height = out.Height();
    samples.Channels = colours;
    samples.Values.resize(samples.PixelCount() * std::size_t(colours));
    const std::uint16_t* p = rows.data();
    std::uint16_t* q = samples.Values.data();
    TColor32* d = out.Bits();
    const std::size_t n = samples.PixelCount();
    for (std::size_t i = 0; i < n; ++i, p += channels) {
        const std::uint16_t c1 = colours == 3 ? p[1] : p[0], c2 = colours == 3 ? p[2] : p[0];
        d[i] = Color32(Scale16To8(p[0]), Scale16To8(c1), Scale16To8(c2), alpha ? Scale16To8(p[colours]) : 255);
        for (int c = 0; c < colours; ++c) *q++ = p[c];
    }
}

bool ReadPngPixels(TPngReader& r, TBitmap32& out) {
    if (setjmp(r.err.jump)) return false;
    // Everything becomes 8-bit RGBA: palette and tRNS expanded, low bit
    // depths widened, 16 bits scaled to 8 with rounding (v x 255 / 65535 to
    // the nearest; cutting to the high byte made every level about half a
    // step low), gray spread to RGB,
    // opaque alpha added where the file has none. Bytes are then ordered as
    // a native ARGB word.
    png_set_expand(r.png);
    png_set_scale_16(r.png);
    png_set_gray_to_rgb(r.png);
    if (!(r.colorType & PNG_COLOR_MASK_ALPHA) && !r.hasTrns) png_set_add_alpha(r.png, 0xFF, PNG_FILLER_AFTER);
    if constexpr (std::endian::native == std::endian::little)
        png_set_bgr(r.png);
    else
        png_set_swap_alpha(r.png);
    const int passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    if (png_get_rowbytes(r.png, r.info) != std::size_t(r.width) * 4 || png_get_bit_depth(r.png, r.info) != 8 ||
        png_get_channels(r.png, r.info) != 4)
        png_error(r.png, "unsupported PNG pixel layout");
    // Interlaced images: each pass fills its own pixels of the rows it
    // touches, exactly as png_read_image does, without a row pointer table.
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < r.height; ++y)
            png_read_row(r.png, reinterpret_cast<png_bytep>(out.ScanLine(int(y))), nullptr);
    return true;
}

} // namespace

void DecodePng(const std::uint8_t* data, std::size_t size, TBitmap32& out, TImageFileDetails& details) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) throw Error(BadSignature);
    TPngReader r;
    r.src = {data, size, 0};
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.err, OnPngError, OnPngWarning);
    if (!r.png) throw Error(OutOfMemory);
    r.info = png_create_info_struct(r.png);
    if (!r.info) throw Error(OutOfMemory);
    auto fail = [&r]() {
        if (std::strcmp(r.err.message, TruncatedReason) == 0 || std::strcmp(r.err.message, OutOfMemory) == 0 ||
            std::strcmp(r.err.message, BadSignature) == 0)
            throw Error(r.err.message);
        throw Error(std::string("invalid PNG data: ") + r.err.message);
    };
    if (!ReadPngHeader(r)) fail();
    CheckImageSize(r.width, r.height);
    const std::uint64_t rawBytes =
        (std::uint64_t(r.width) * r.height * std::uint64_t(r.channels) * std::uint64_t(r.bitDepth) + 7) / 8;
    if (rawBytes / MaxDeflateRatio > ImageDataBytes(data, size) + 16) throw Error(TruncatedReason);
    details.BitsPerSample = r.bitDepth;
    png_uint_32 resX = 0, resY = 0;
    int resUnit = 0;
    if (png_get_pHYs(r.png, r.info, &resX, &resY, &resUnit) && resX > 0 && resY > 0) {
        details.Resolution.X = resX;
        details.Resolution.Y = resY;
        details.Resolution.Unit = resUnit == PNG_RESOLUTION_METER ? TResolutionUnit::Metre : TResolutionUnit::None;
    }
    out.SetSize(int(r.width), int(r.height));
    if (r.bitDepth == 16) {
        // The colour type decides the channels: 16 bits never come with a
        // palette.
        std::vector<std::uint16_t> rows(std::size_t(r.width) * r.height * std::size_t(r.channels + (r.hasTrns ? 1 : 0)));
        int channels = 0;
        if (!ReadPng16(r, rows.data(), channels)) fail();
        SplitPng16(rows, channels, out, details.Samples);
        return;
    }
    if (!ReadPngPixels(r, out)) fail();
}

} // namespace ivra::codecs
