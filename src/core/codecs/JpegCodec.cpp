// JPEG through libjpeg (IJG API, libjpeg-turbo).
//
// libjpeg reports fatal errors through error_exit, which must not return.
// Ours longjmps back into small functions that hold only plain C data, so
// that no C++ destructor is ever skipped; the C++ side then turns the stored
// message into an ivra::Error. Warnings that mean lost image data (the file
// ends early, broken entropy-coded data) are fatal too: libjpeg would hand
// back grey or garbled rows for them.

#include "core/codecs/CodecsInternal.h"

#include "core/Error.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace ivra::codecs {

namespace {

// A legitimate progressive file has about ten scans; thousands of tiny scans
// only make the decoder run in circles.
constexpr int MaxJpegScans = 500;
// Working memory of the decoder beyond the bitmap. A progressive (or other
// multi-scan) image keeps every DCT coefficient until its last scan: 128
// bytes per 8 x 8 block of each component, 3 bytes per pixel for common
// colour files. The decoder may use half the bitmap's own size, so that the
// peak stays within 1.5 times the pixel memory, and at least MinJpegWorkBytes,
// so that ordinary progressive photographs always decode. libjpeg's own
// limit gets JpegBufferSlack more for its row buffers and tables.
constexpr std::uint64_t MinJpegWorkBytes = std::uint64_t(256) << 20;
constexpr std::uint64_t JpegBufferSlack = std::uint64_t(32) << 20;

// Pixels as libjpeg writes them into TBitmap32 memory (ARGB in a native
// 32-bit word).
constexpr J_COLOR_SPACE NativeArgbSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
constexpr J_COLOR_SPACE NativeXrgbSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

struct TJpegErrorMgr {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool allRowsRead;
    char message[JMSG_LENGTH_MAX + 64];
};

TJpegErrorMgr* ErrorMgr(j_common_ptr cinfo) { return reinterpret_cast<TJpegErrorMgr*>(cinfo->err); }

[[noreturn]] void FailWith(j_common_ptr cinfo, const char* text) {
    TJpegErrorMgr* err = ErrorMgr(cinfo);
    std::snprintf(err->message, sizeof err->message, "%s", text);
    std::longjmp(err->jump, 1);
}

void OnJpegError(j_common_ptr cinfo) {
    TJpegErrorMgr* err = ErrorMgr(cinfo);
    const int code = cinfo->err->msg_code;
    if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY)
        FailWith(cinfo, "the image is too large to decode in the available memory");
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    std::snprintf(err->message, sizeof err->message, "JPEG error #%d: %s", code, text);
    std::longjmp(err->jump, 1);
}

void OnJpegMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // trace output
    TJpegErrorMgr* err = ErrorMgr(cinfo);
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JPEG_EOF) {
        // Once every row is out a missing end marker loses nothing.
        if (err->allRowsRead) return;
        FailWith(cinfo, TruncatedReason);
    }
    if (code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE || code == JWRN_ARITH_BAD_CODE ||
        code == JWRN_MUST_RESYNC) {
        char text[JMSG_LENGTH_MAX];
        (*cinfo->err->format_message)(cinfo, text);
        FailWith(cinfo, text);
    }
    cinfo->err->num_warnings++;
}

void OnJpegProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > MaxJpegScans)
        FailWith(cinfo, "too many scans in the JPEG data");
}

struct TJpegDecoder {
    jpeg_decompress_struct cinfo{};
    TJpegErrorMgr err{};
    jpeg_progress_mgr progress{};
    bool created = false;
    TJpegDecoder() = default;
    TJpegDecoder(const TJpegDecoder&) = delete;
    TJpegDecoder& operator=(const TJpegDecoder&) = delete;
    ~TJpegDecoder() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

// The setjmp functions below hold nothing that needs a destructor; after a
// longjmp they return false and the message is in err.message.
bool ReadJpegHeader(TJpegDecoder& d, const std::uint8_t* data, std::size_t size) {
    d.cinfo.err = jpeg_std_error(&d.err.pub);
    d.err.pub.error_exit = OnJpegError;
    d.err.pub.emit_message = OnJpegMessage;
    if (setjmp(d.err.jump)) return false;
    d.created = true;
    jpeg_create_decompress(&d.cinfo);
    d.progress.progress_monitor = OnJpegProgress;
    d.cinfo.progress = &d.progress;
    jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.cinfo, TRUE);
    return true;
}

constexpr int RowsPerRead = 8;

// CMYK as libjpeg hands it out. Adobe's writers store the inks inverted
// (0 = full ink); other writers store them plainly.
void CmykRowToArgb(const std::uint8_t* src, TColor32* dst, std::size_t width, bool inverted) {
    for (std::size_t x = 0; x < width; ++x, src += 4) {
        std::uint32_t c = src[0], m = src[1], y = src[2], k = src[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        dst[x] = Color32(std::uint8_t(Div255Round(c * k)), std::uint8_t(Div255Round(m * k)),
                         std::uint8_t(Div255Round(y * k)));
    }
}

bool DecompressJpeg(TJpegDecoder& d, TBitmap32& out, std::uint8_t* cmykScratch) {
    if (setjmp(d.err.jump)) return false;
    jpeg_start_decompress(&d.cinfo);
    if (d.cinfo.output_width != d.cinfo.image_width || d.cinfo.output_height != d.cinfo.image_height ||
        d.cinfo.output_components != 4)
        FailWith(reinterpret_cast<j_common_ptr>(&d.cinfo), "unsupported JPEG layout");
    const std::size_t width = d.cinfo.output_width;
    const bool inverted = d.cinfo.saw_Adobe_marker;
    JSAMPROW rows[RowsPerRead];
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const unsigned first = d.cinfo.output_scanline;
        const unsigned count = std::min<unsigned>(RowsPerRead, d.cinfo.output_height - first);
        for (unsigned i = 0; i < count; ++i)
            rows[i] = cmykScratch ? cmykScratch + std::size_t(i) * width * 4
                                  : reinterpret_cast<JSAMPROW>(out.ScanLine(int(first + i)));
        const unsigned got = jpeg_read_scanlines(&d.cinfo, rows, count);
        if (got == 0) FailWith(reinterpret_cast<j_common_ptr>(&d.cinfo), TruncatedReason);
        if (cmykScratch)
            for (unsigned i = 0; i < got; ++i)
                CmykRowToArgb(rows[i], out.ScanLine(int(first + i)), width, inverted);
    }
    // The rest of the file (up to the end marker) holds no pixels.
    d.err.allRowsRead = true;
    return true;
}

struct TJpegEncoder {
    jpeg_compress_struct cinfo{};
    TJpegErrorMgr err{};
    unsigned char* buffer = nullptr;
    unsigned long bufferSize = 0;
    bool created = false;
    TJpegEncoder() = default;
    TJpegEncoder(const TJpegEncoder&) = delete;
    TJpegEncoder& operator=(const TJpegEncoder&) = delete;
    ~TJpegEncoder() {
        if (created) jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
};

bool CompressJpeg(TJpegEncoder& e, const TBitmap32& bmp, int quality) {
    e.cinfo.err = jpeg_std_error(&e.err.pub);
    e.err.pub.error_exit = OnJpegError;
    e.err.pub.emit_message = OnJpegMessage;
    if (setjmp(e.err.jump)) return false;
    e.created = true;
    jpeg_create_compress(&e.cinfo);
    jpeg_mem_dest(&e.cinfo, &e.buffer, &e.bufferSize);
    e.cinfo.image_width = JDIMENSION(bmp.Width());
    e.cinfo.image_height = JDIMENSION(bmp.Height());
    e.cinfo.input_components = 4;
    e.cinfo.in_color_space = NativeXrgbSpace;
    jpeg_set_defaults(&e.cinfo);
    jpeg_set_quality(&e.cinfo, quality, TRUE);
    jpeg_start_compress(&e.cinfo, TRUE);
    JSAMPROW rows[RowsPerRead];
    while (e.cinfo.next_scanline < e.cinfo.image_height) {
        const unsigned first = e.cinfo.next_scanline;
        const unsigned count = std::min<unsigned>(RowsPerRead, e.cinfo.image_height - first);
        for (unsigned i = 0; i < count; ++i)
            // libjpeg takes non-const rows but only reads them.
            rows[i] = reinterpret_cast<JSAMPROW>(const_cast<TColor32*>(bmp.ScanLine(int(first + i))));
        jpeg_write_scanlines(&e.cinfo, rows, count);
    }
    jpeg_finish_compress(&e.cinfo);
    return true;
}

} // namespace

void DecodeJpeg(const std::uint8_t* data, std::size_t size, TBitmap32& out) {
    if (size > 0xFFFFFFFFu) throw Error("the file is too large");
    TJpegDecoder d;
    if (!ReadJpegHeader(d, data, size)) throw Error(d.err.message);
    CheckImageSize(d.cinfo.image_width, d.cinfo.image_height);
    bool cmyk = false;
    switch (d.cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        d.cinfo.out_color_space = NativeArgbSpace;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        d.cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        throw Error("unsupported JPEG colour space (" + std::to_string(d.cinfo.num_components) +
                    " components)");
    }
    // A multi-scan image needs its whole coefficient buffer; refuse one that
    // needs more than the decoder may use before anything is allocated.
    const std::uint64_t pixelBytes = std::uint64_t(d.cinfo.image_width) * d.cinfo.image_height * 4;
    const std::uint64_t workLimit = std::max(MinJpegWorkBytes, pixelBytes / 2);
    if (d.cinfo.progressive_mode || d.cinfo.comps_in_scan < d.cinfo.num_components) {
        std::uint64_t coefficientBytes = 0;
        for (int i = 0; i < d.cinfo.num_components; ++i) {
            const jpeg_component_info& c = d.cinfo.comp_info[i];
            // libjpeg pads each component to whole MCUs.
            const std::uint64_t w = (c.width_in_blocks + c.h_samp_factor - 1) / c.h_samp_factor * c.h_samp_factor;
            const std::uint64_t h = (c.height_in_blocks + c.v_samp_factor - 1) / c.v_samp_factor * c.v_samp_factor;
            coefficientBytes += w * h * sizeof(JBLOCK);
        }
        if (coefficientBytes > workLimit)
            throw Error("the JPEG image is too large to decode: its scans need " +
                        std::to_string((coefficientBytes + (1 << 20) - 1) >> 20) + " MiB of memory besides " +
                        std::to_string(pixelBytes >> 20) + " MiB of pixels, and the limit is " +
                        std::to_string(workLimit >> 20) + " MiB");
    }
    d.cinfo.mem->max_memory_to_use = long(workLimit + JpegBufferSlack);
    std::vector<std::uint8_t> scratch;
    if (cmyk) scratch.resize(std::size_t(d.cinfo.image_width) * 4 * RowsPerRead);
    out.SetSize(int(d.cinfo.image_width), int(d.cinfo.image_height));
    if (!DecompressJpeg(d, out, cmyk ? scratch.data() : nullptr)) throw Error(d.err.message);
}

std::vector<std::uint8_t> EncodeJpeg(const TBitmap32& bmp, int quality) {
    if (bmp.Empty()) throw Error("the image is empty");
    TJpegEncoder e;
    if (!CompressJpeg(e, bmp, quality)) throw Error(e.err.message);
    return std::vector<std::uint8_t>(e.buffer, e.buffer + e.bufferSize);
}

} // namespace ivra::codecs
