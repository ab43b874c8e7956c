// Image fonts: glyph sheets rendered with FreeType and descriptors in the
// image-font command language, with a dark outline layer under the fill.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "AssetGen.h"
#include "Canvas.h"
#include "framework/resources/ImageLib.h"

namespace AssetGen {
namespace {

struct FontRecipe {
    const char* name;  // descriptor and sheet name
    const std::string Options::*font;
    int pixels;
    int outline;  // radius of the dark outline layer, 0 for none
};

struct Glyph {
    int code;
    int width, height;  // of the rendered bitmap
    int left, top;      // bearing from the pen and the baseline
    int advance;
    std::vector<uint8_t> coverage;
    int x = 0, y = 0;  // cell position in the sheet
};

// A character as a descriptor text element.
std::string CharElement(int c) {
    if (c == '\\') {
        return "\\\\";
    }
    if (c == '\'') {
        return "\"'\"";
    }
    return std::string("'") + static_cast<char>(c) + "'";
}

bool Quotable(int c) {
    return c != '\\' && c != '\'' && c != '"';
}

void MakeFont(const Options& o, FT_Library ft, const FontRecipe& recipe) {
    FT_Face face = nullptr;
    const std::string& path = o.*recipe.font;
    if (FT_New_Face(ft, path.c_str(), 0, &face) != 0) {
        Fail("cannot open the font " + path);
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(recipe.pixels));
    const int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
    const int height =
        static_cast<int>((face->size->metrics.ascender - face->size->metrics.descender) >> 6);
    const int pad = recipe.outline + 1;

    std::vector<Glyph> glyphs;
    for (int c = 32; c <= 126; ++c) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER) != 0) {
            continue;
        }
        const FT_GlyphSlot g = face->glyph;
        Glyph gl{c,
                 static_cast<int>(g->bitmap.width),
                 static_cast<int>(g->bitmap.rows),
                 g->bitmap_left,
                 g->bitmap_top,
                 static_cast<int>(g->advance.x >> 6),
                 {}};
        gl.coverage.resize(static_cast<size_t>(gl.width * gl.height));
        for (int y = 0; y < gl.height; ++y) {
            for (int x = 0; x < gl.width; ++x) {
                gl.coverage[static_cast<size_t>(y * gl.width + x)] =
                    g->bitmap.buffer[y * g->bitmap.pitch + x];
            }
        }
        glyphs.push_back(std::move(gl));
    }
    // Cells in rows at most 1024 wide.
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
                    (a << 24) | 0xFFFFFF;
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
    Check(WriteFile(o.out + base + ".png", ImageLib::EncodePNG(fill)), base);
    if (recipe.outline > 0) {
        Check(WriteFile(o.out + base + "_outline.png", ImageLib::EncodePNG(outline)), base);
    }

    std::ostringstream d;
    d << "# " << recipe.name << ": generated glyph sheets, characters 32 to 126\n";
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
                if (!Quotable(a.code) || !Quotable(b.code)) {
                    continue;
                }
                FT_Vector k;
                FT_Get_Kerning(face, FT_Get_Char_Index(face, static_cast<FT_ULong>(a.code)),
                               FT_Get_Char_Index(face, static_cast<FT_ULong>(b.code)),
                               FT_KERNING_DEFAULT, &k);
                const int v = static_cast<int>(k.x >> 6);
                if (v != 0 && v >= -128 && v <= 127) {
                    pairs << (pairCount ? ", " : "") << "'" << static_cast<char>(a.code)
                          << static_cast<char>(b.code) << "'";
                    values << (pairCount ? ", " : "") << v;
                    ++pairCount;
                }
            }
        }
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
            d << "LayerSetKerningPairs " << layerName << " (" << pairs.str() << ") ("
              << values.str() << ");\n";
        }
    };
    if (recipe.outline > 0) {
        layer("Outline", std::string(recipe.name) + "_outline.png");
        d << "LayerSetColorMult Outline (0, 0, 0, 0.8);\nLayerSetBaseOrder Outline -1;\n";
    }
    layer("Main", std::string(recipe.name) + ".png");
    std::ofstream(o.out + base + ".txt", std::ios::binary) << d.str();
    FT_Done_Face(face);
}

}  // namespace

void MakeFonts(const Options& o) {
    FT_Library ft = nullptr;
    if (FT_Init_FreeType(&ft) != 0) {
        Fail("FreeType could not start");
    }
    const FontRecipe recipes[] = {
        {"KBChopinScript28", &Options::scriptFont, 28, 2},
        {"KBChopinScript36", &Options::scriptFont, 36, 2},
        {"KBChopinScript72", &Options::scriptFont, 72, 3},
        {"MonotypeCorsiva14Italics", &Options::italicFont, 16, 1},
        {"Pristina18", &Options::brushFont, 20, 1},
        {"a_BosaNova14", &Options::sansFont, 14, 1},
        // The framework's default fonts (its buttons and message dialogs):
        // 10 and 12 points at 96 dots an inch.
        {"UiSans13", &Options::uiFont, 13, 0},
        {"UiSansBold16", &Options::sansFont, 16, 0},
    };
    for (const FontRecipe& recipe : recipes) {
        MakeFont(o, ft, recipe);
    }
    FT_Done_FreeType(ft);
}

}  // namespace AssetGen
