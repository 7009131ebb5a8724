// Single-byte code pages, as Rich Text Format files name them with \ansicpg,
// \mac, \pc, \pca and \fcharset, mapped to Unicode through the C library's
// iconv. Each code page's upper half is converted once, on first use.

#include "core/notes/CodePages.h"

#include <array>
#include <bit>
#include <iconv.h>

namespace ivra {

namespace {

// The code points of the bytes 0x80 to 0xFF; U+FFFD where the code page
// leaves a byte undefined.
using TUpperHalf = std::array<std::uint32_t, 128>;

struct TCodePageName {
    int codePage;
    const char* iconvName;
};

constexpr TCodePageName CodePageNames[] = {
    {437, "CP437"},   {850, "CP850"},   {874, "CP874"},   {1250, "CP1250"}, {1251, "CP1251"},
    {1252, "CP1252"}, {1253, "CP1253"}, {1254, "CP1254"}, {1255, "CP1255"}, {1256, "CP1256"},
    {1257, "CP1257"}, {1258, "CP1258"}, {10000, "MACINTOSH"},
};
constexpr std::size_t CodePageCount = std::size(CodePageNames);

const char* IconvName(int codePage) {
    for (const TCodePageName& n : CodePageNames)
        if (n.codePage == codePage) return n.iconvName;
    return nullptr;
}

// Converts one byte on its own, so that a byte the code page leaves undefined
// (iconv refuses it) or one that begins a sequence (CP1258's combining marks
// are single bytes, but iconv may hold them back) reads as U+FFFD.
std::uint32_t ConvertByte(iconv_t cd, std::uint8_t byte) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in = char(byte);
    char* inPtr = &in;
    std::size_t inLeft = 1;
    std::uint32_t out[2] = {0, 0};
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == std::size_t(-1)) return 0xFFFD;
    // Flush anything held back, then demand exactly one code point.
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    if (sizeof out - outLeft != sizeof(std::uint32_t)) return 0xFFFD;
    return out[0];
}

TUpperHalf MakeTable(const char* iconvName) {
    TUpperHalf table;
    table.fill(0xFFFD);
    // UTF-32 in this machine's byte order, without a byte-order mark.
    iconv_t cd = iconv_open(std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE", iconvName);
    if (cd == iconv_t(-1)) return table;
    for (int b = 0x80; b <= 0xFF; ++b) table[std::size_t(b - 0x80)] = ConvertByte(cd, std::uint8_t(b));
    iconv_close(cd);
    return table;
}

const TUpperHalf& Table(int codePage) {
    // Built once, on first use, for every code page (a few hundred iconv calls).
    static const std::array<TUpperHalf, CodePageCount> tables = [] {
        std::array<TUpperHalf, CodePageCount> t;
        for (std::size_t i = 0; i < CodePageCount; ++i) t[i] = MakeTable(CodePageNames[i].iconvName);
        return t;
    }();
    for (std::size_t i = 0; i < CodePageCount; ++i)
        if (CodePageNames[i].codePage == codePage) return tables[i];
    return Table(1252);
}

} // namespace

bool IsSupportedCodePage(int codePage) {
    return IconvName(codePage) != nullptr;
}

std::uint32_t CodePageToUnicode(int codePage, std::uint8_t byte) {
    if (byte < 0x80) return byte;
    return Table(codePage)[byte - 0x80];
}

int CodePageOfCharset(int charset, int fallback) {
    switch (charset) {
    case 77: return 10000;  // Macintosh
    case 161: return 1253;  // Greek
    case 162: return 1254;  // Turkish
    case 163: return 1258;  // Vietnamese
    case 177: return 1255;  // Hebrew
    case 178: return 1256;  // Arabic
    case 186: return 1257;  // Baltic
    case 204: return 1251;  // Cyrillic
    case 222: return 874;   // Thai
    case 238: return 1250;  // Eastern European
    case 255: return 437;   // OEM
    default: return fallback;
    }
}

} // namespace ivra
