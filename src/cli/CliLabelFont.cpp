#include "cli/CliLabelFont.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <vector>

namespace ivra::cli {

namespace {

// The file of the system's best match for "sans-serif", or empty. The
// configuration is the call's own and fontconfig's caches are released at
// the end, so that nothing of it outlives the call.
std::string SansSerifFontFile() {
    std::string found;
    {
        std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)> config(FcInitLoadConfigAndFonts(), FcConfigDestroy);
        if (!config) return {};
        std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(
            FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")), FcPatternDestroy);
        if (!pattern) return {};
        FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
        FcDefaultSubstitute(pattern.get());
        FcResult result = FcResultNoMatch;
        std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> match(
            FcFontMatch(config.get(), pattern.get(), &result), FcPatternDestroy);
        FcChar8* file = nullptr;
        if (match && FcPatternGetString(match.get(), FC_FILE, 0, &file) == FcResultMatch && file)
            found = reinterpret_cast<const char*>(file);
    }
    FcFini();
    return found;
}

// The code points of a UTF-8 text; a byte that does not start a valid
// sequence stands for itself.
std::vector<char32_t> CodePoints(const std::string& text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t cp = more == 0 ? c : c & (0x3F >> more);
        int k = 1;
        for (; k <= more && i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if (k <= more) cp = c, k = 1;
        out.push_back(cp);
        i += std::size_t(k);
    }
    return out;
}

} // namespace

std::optional<TLabelMask> RenderLabel(const std::string& text, int pixelSize) {
    const std::string file = SansSerifFontFile();
    if (file.empty() || pixelSize < 1) return std::nullopt;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library)) return std::nullopt;
    std::unique_ptr<FT_LibraryRec_, decltype(&FT_Done_FreeType)> libraryGuard(library, FT_Done_FreeType);
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), 0, &face)) return std::nullopt;
    std::unique_ptr<FT_FaceRec_, decltype(&FT_Done_Face)> faceGuard(face, FT_Done_Face);
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize))) return std::nullopt;

    const std::vector<char32_t> cps = CodePoints(text);
    const int ascender = int(face->size->metrics.ascender >> 6);
    const int descender = int(face->size->metrics.descender >> 6);
    // First pass: the width; second: the glyphs into the mask.
    int width = 0;
    for (char32_t cp : cps) {
        if (FT_Load_Char(face, cp, FT_LOAD_DEFAULT)) continue;
        width += int(face->glyph->advance.x >> 6);
    }
    TLabelMask mask;
    mask.Width = std::max(1, width);
    mask.Height = std::max(1, ascender - descender);
    mask.Coverage.assign(std::size_t(mask.Width) * mask.Height, 0);
    int pen = 0;
    for (char32_t cp : cps) {
        if (FT_Load_Char(face, cp, FT_LOAD_RENDER)) continue;
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& b = g->bitmap;
        if (b.pixel_mode == FT_PIXEL_MODE_GRAY) {
            for (unsigned row = 0; row < b.rows; ++row) {
                const int y = ascender - g->bitmap_top + int(row);
                if (y < 0 || y >= mask.Height) continue;
                for (unsigned col = 0; col < b.width; ++col) {
                    const int x = pen + g->bitmap_left + int(col);
                    if (x < 0 || x >= mask.Width) continue;
                    std::uint8_t& d = mask.Coverage[std::size_t(y) * mask.Width + x];
                    d = std::max(d, b.buffer[row * b.pitch + int(col)]);
                }
            }
        }
        pen += int(g->advance.x >> 6);
    }
    return mask;
}

} // namespace ivra::cli
