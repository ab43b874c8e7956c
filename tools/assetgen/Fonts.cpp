// Image fonts: glyph sheets rendered with FreeType and descriptors in the
// image-font command language, with a dark outline layer under the fill.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "AssetGen.h"
#include "Canvas.h"
#include "framework/graphics/Utf8.h"
#include "framework/resources/ImageLib.h"

namespace AssetGen {
namespace {

// Fonts that draw what a recipe's own font lacks, tried in order.
using Fallbacks = std::array<const std::string Options::*, 2>;

struct FontRecipe {
    const char* name;  // descriptor and sheet name
    const std::string Options::*font;
    int pixels;
    int outline;  // radius of the dark outline layer, 0 for none
    Fallbacks fallbacks;
};

// The characters every sheet carries: printable ASCII first (so the
// sheets keep their first rows as they were), Latin-1, Latin Extended-A,
// then the punctuation translators write and the rest of Windows-1252
// (old texts in that encoding still show).
std::vector<char32_t> SheetChars() {
    std::vector<char32_t> chars;
    for (char32_t c = 32; c <= 126; ++c) {
        chars.push_back(c);
    }
    for (char32_t c = 0xA0; c <= 0x17F; ++c) {
        chars.push_back(c);
    }
    for (char32_t c :
         {0x2013, 0x2014, 0x2018, 0x2019, 0x201A, 0x201C, 0x201D, 0x201E, 0x2026, 0x20AC,
          0x0192, 0x02C6, 0x02DC, 0x2020, 0x2021, 0x2022, 0x2030, 0x2039, 0x203A, 0x2122}) {
        chars.push_back(c);
    }
    return chars;
}

// A character every sheet must have: the build fails without it.
bool Required(char32_t c) {
    return c <= 0x17F;
}

std::string Utf8(char32_t c) {
    std::string s;
    Brisk::AppendUtf8(&s, c);
    return s;
}

std::string CodeName(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

// " U+0100-U+0130 U+0132": runs of consecutive characters as ranges.
std::string CodeRanges(const std::vector<char32_t>& codes) {
    std::string out;
    for (size_t i = 0; i < codes.size();) {
        size_t j = i;
        while (j + 1 < codes.size() && codes[j + 1] == codes[j] + 1) {
            ++j;
        }
        out += " " + CodeName(codes[i]) + (j > i ? "-" + CodeName(codes[j]) : "");
        i = j + 1;
    }
    return out;
}

std::string FileName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

struct Glyph {
    char32_t code;
    int width, height;  // of the rendered bitmap
    int left, top;      // bearing from the pen and the baseline
    int advance;
    std::vector<uint8_t> coverage;
    int x = 0, y = 0;  // cell position in the sheet
    bool own = true;   // from the recipe's own font (which kerns it)
};

// A character as a descriptor text element (UTF-8 inside the quotes).
std::string CharElement(char32_t c) {
    if (c == '\\') {
        return "\\\\";
    }
    if (c == '\'') {
        return "\"'\"";
    }
    return "'" + Utf8(c) + "'";
}

bool Quotable(char32_t c) {
    return c != '\\' && c != '\'' && c != '"';
}

// The faces a recipe draws from: its own font first, then its fallbacks,
// all at the recipe's size.
struct Faces {
    std::vector<FT_Face> faces;
    std::vector<std::string> paths;
    ~Faces() {
        for (FT_Face f : faces) {
            FT_Done_Face(f);
        }
    }
};

// Renders `c` from the first face that has it (the own face's space for a
// missing no-break space); false when none has it.
bool RenderGlyph(const Faces& faces, char32_t c, Glyph* out, size_t* from) {
    for (size_t i = 0; i < faces.faces.size(); ++i) {
        FT_Face face = faces.faces[i];
        FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(c));
        if (index == 0 && c == 0xA0 && i == 0) {
            index = FT_Get_Char_Index(face, ' ');
        }
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) {
            continue;
        }
        const FT_GlyphSlot g = face->glyph;
        *out = Glyph{c,
                     static_cast<int>(g->bitmap.width),
                     static_cast<int>(g->bitmap.rows),
                     g->bitmap_left,
                     g->bitmap_top,
                     static_cast<int>(g->advance.x >> 6),
                     {}};
        out->coverage.resize(static_cast<size_t>(out->width * out->height));
        for (int y = 0; y < out->height; ++y) {
            for (int x = 0; x < out->width; ++x) {
                out->coverage[static_cast<size_t>(y * out->width + x)] =
                    g->bitmap.buffer[y * g->bitmap.pitch + x];
            }
        }
        out->own = i == 0;
        *from = i;
        return true;
    }
    return false;
}

void MakeFont(const Options& o, FT_Library ft, const FontRecipe& recipe) {
    Faces faces;
    faces.paths.push_back(o.*recipe.font);
    for (const auto fallback : recipe.fallbacks) {
        if (fallback != nullptr) {
            faces.paths.push_back(o.*fallback);
        }
    }
    for (const std::string& path : faces.paths) {
        FT_Face f = nullptr;
        if (FT_New_Face(ft, path.c_str(), 0, &f) != 0) {
            Fail("cannot open the font " + path);
        }
        faces.faces.push_back(f);
        FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(recipe.pixels));
    }
    FT_Face face = faces.faces[0];
    const int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
    const int height =
        static_cast<int>((face->size->metrics.ascender - face->size->metrics.descender) >> 6);
    const int pad = recipe.outline + 1;

    std::vector<Glyph> glyphs;
    // What came from each fallback, and what no face has: said at
    // generation time; a missing Latin-1 or Latin Extended-A letter fails.
    std::vector<std::vector<char32_t>> borrowed(faces.faces.size());
    std::vector<char32_t> missing;
    std::vector<char32_t> missingRequired;
    for (const char32_t c : SheetChars()) {
        Glyph gl{};
        size_t from = 0;
        if (!RenderGlyph(faces, c, &gl, &from)) {
            (Required(c) ? missingRequired : missing).push_back(c);
            continue;
        }
        if (from > 0) {
            borrowed[from].push_back(c);
        }
        glyphs.push_back(std::move(gl));
    }
    const std::string sheetName = std::string("fonts/") + recipe.name;
    for (size_t i = 1; i < borrowed.size(); ++i) {
        if (!borrowed[i].empty()) {
            std::printf("%s: from %s:%s\n", sheetName.c_str(), FileName(faces.paths[i]).c_str(),
                        CodeRanges(borrowed[i]).c_str());
        }
    }
    if (!missing.empty()) {
        std::printf("%s: no glyph in any of its fonts for%s\n", sheetName.c_str(),
                    CodeRanges(missing).c_str());
    }
    if (!missingRequired.empty()) {
        Fail(sheetName + ": no glyph in any of its fonts for" + CodeRanges(missingRequired));
    }
    // Cells in rows at most 1024 wide: printable ASCII first as it always
    // was, the rest tallest first so that rows waste little height.
    const auto rest =
        std::find_if(glyphs.begin(), glyphs.end(), [](const Glyph& g) { return g.code > 126; });
    std::stable_sort(rest, glyphs.end(),
                     [](const Glyph& a, const Glyph& b) { return a.height > b.height; });
    int x = 0, y = 0, rowHeight = 0, sheetWidth = 0;
    for (Glyph& g : glyphs) {
        const int cw = g.width + 2 * pad;
        const int ch = g.height + 2 * pad;
        if (x + cw > 1024) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        g.x = x;
        g.y = y;
        x += cw;
        rowHeight = std::max(rowHeight, ch);
        sheetWidth = std::max(sheetWidth, x);
    }
    const int sheetHeight = y + rowHeight;
    ImageLib::Image fill(std::max(sheetWidth, 1), std::max(sheetHeight, 1));
    ImageLib::Image outline(fill.m_width, fill.m_height);
    for (const Glyph& g : glyphs) {
        for (int gy = 0; gy < g.height; ++gy) {
            for (int gx = 0; gx < g.width; ++gx) {
                const uint32_t a = g.coverage[static_cast<size_t>(gy * g.width + gx)];
                fill.m_bits[static_cast<size_t>((g.y + pad + gy) * fill.m_width + g.x + pad + gx)] =
                    a == 0 ? 0 : (a << 24) | 0xFFFFFF;  // one transparent colour: a palette fits
            }
        }
        // The outline: the glyph's coverage spread by the radius, black.
        for (int cy = 0; cy < g.height + 2 * pad; ++cy) {
            for (int cx = 0; cx < g.width + 2 * pad; ++cx) {
                uint32_t best = 0;
                for (int dy = -recipe.outline; dy <= recipe.outline; ++dy) {
                    for (int dx = -recipe.outline; dx <= recipe.outline; ++dx) {
                        if (dx * dx + dy * dy > recipe.outline * recipe.outline + 1) {
                            continue;
                        }
                        const int sx = cx - pad + dx;
                        const int sy = cy - pad + dy;
                        if (sx >= 0 && sy >= 0 && sx < g.width && sy < g.height) {
                            best = std::max<uint32_t>(
                                best, g.coverage[static_cast<size_t>(sy * g.width + sx)]);
                        }
                    }
                }
                outline.m_bits[static_cast<size_t>((g.y + cy) * fill.m_width + g.x + cx)] = best
                                                                                            << 24;
            }
        }
    }
    const std::string base = std::string("fonts/") + recipe.name;
    Check(WriteFile(o.out + base + ".png", ImageLib::EncodePNGIndexed(fill)), base);
    if (recipe.outline > 0) {
        Check(WriteFile(o.out + base + "_outline.png", ImageLib::EncodePNGIndexed(outline)), base);
    }

    std::ostringstream d;
    d << "# " << recipe.name
      << ": generated glyph sheets, printable ASCII, Latin-1, Latin Extended-A and "
         "punctuation\n";
    d << "SetDefaultPointSize " << recipe.pixels << ";\n";
    d << "Define Chars (";
    for (size_t i = 0; i < glyphs.size(); ++i) {
        d << (i ? ", " : "") << CharElement(glyphs[i].code);
    }
    d << ");\nDefine Rects (";
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& g = glyphs[i];
        d << (i ? ", " : "") << "(" << g.x << ", " << g.y << ", " << g.width + 2 * pad << ", "
          << g.height + 2 * pad << ")";
    }
    d << ");\nDefine Widths (";
    for (size_t i = 0; i < glyphs.size(); ++i) {
        d << (i ? ", " : "") << glyphs[i].advance;
    }
    d << ");\nDefine Offsets (";
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& g = glyphs[i];
        d << (i ? ", " : "") << "(" << g.left - pad << ", " << ascent - g.top - pad << ")";
    }
    d << ");\n";
    // Kerning pairs from the font's classic table.
    std::ostringstream pairs, values;
    int pairCount = 0;
    if (FT_HAS_KERNING(face)) {
        for (const Glyph& a : glyphs) {
            for (const Glyph& b : glyphs) {
                if (!Quotable(a.code) || !Quotable(b.code) || !a.own || !b.own) {
                    continue;
                }
                FT_Vector k;
                FT_Get_Kerning(face, FT_Get_Char_Index(face, static_cast<FT_ULong>(a.code)),
                               FT_Get_Char_Index(face, static_cast<FT_ULong>(b.code)),
                               FT_KERNING_DEFAULT, &k);
                const int v = static_cast<int>(k.x >> 6);
                if (v != 0 && v >= -128 && v <= 127) {
                    pairs << (pairCount ? ", " : "") << "'" << Utf8(a.code) << Utf8(b.code) << "'";
                    values << (pairCount ? ", " : "") << v;
                    ++pairCount;
                }
            }
        }
    }
    if (pairCount > 0) {  // written once, shared by the layers
        d << "Define KernPairs (" << pairs.str() << ");\nDefine KernValues (" << values.str()
          << ");\n";
    }
    auto layer = [&](const std::string& layerName, const std::string& image) {
        d << "CreateLayer " << layerName << ";\n";
        d << "LayerSetImage " << layerName << " '" << image << "';\n";
        d << "LayerSetImageMap " << layerName << " Chars Rects;\n";
        d << "LayerSetCharWidths " << layerName << " Chars Widths;\n";
        d << "LayerSetCharOffsets " << layerName << " Chars Offsets;\n";
        d << "LayerSetAscent " << layerName << " " << ascent << ";\n";
        d << "LayerSetHeight " << layerName << " " << height << ";\n";
        d << "LayerSetPointSize " << layerName << " " << recipe.pixels << ";\n";
        if (pairCount > 0) {
            d << "LayerSetKerningPairs " << layerName << " KernPairs KernValues;\n";
        }
    };
    if (recipe.outline > 0) {
        layer("Outline", std::string(recipe.name) + "_outline.png");
        d << "LayerSetColorMult Outline (0, 0, 0, 0.8);\nLayerSetBaseOrder Outline -1;\n";
    }
    layer("Main", std::string(recipe.name) + ".png");
    std::ofstream(o.out + base + ".txt", std::ios::binary) << d.str();
}

}  // namespace

void MakeFonts(const Options& o) {
    FT_Library ft = nullptr;
    if (FT_Init_FreeType(&ft) != 0) {
        Fail("FreeType could not start");
    }
    // The script faces lack most of Latin Extended-A: the brush script
    // draws those, the sans the few it lacks too.
    const Fallbacks script{&Options::brushFont, &Options::uiFont};
    const Fallbacks brush{&Options::uiFont, nullptr};
    const Fallbacks none{nullptr, nullptr};
    const FontRecipe recipes[] = {
        {"KBChopinScript28", &Options::scriptFont, 28, 2, script},
        {"KBChopinScript36", &Options::scriptFont, 36, 2, script},
        {"KBChopinScript72", &Options::scriptFont, 72, 3, script},
        {"MonotypeCorsiva14Italics", &Options::italicFont, 16, 1, script},
        {"Pristina18", &Options::brushFont, 20, 1, brush},
        {"a_BosaNova14", &Options::sansFont, 14, 1, none},
        // The framework's default fonts (its buttons and message dialogs):
        // 10 and 12 points at 96 dots an inch.
        {"UiSans13", &Options::uiFont, 13, 0, none},
        {"UiSansBold16", &Options::sansFont, 16, 0, none},
    };
    for (const FontRecipe& recipe : recipes) {
        MakeFont(o, ft, recipe);
    }
    FT_Done_FreeType(ft);
}

}  // namespace AssetGen
