// The game's pictures: cards, card back, backgrounds, dialog panels, button
// strips and the window icon.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cairo-svg.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "ArtBands.h"
#include "AssetGen.h"
#include "Canvas.h"
#include "CardArt.h"

namespace AssetGen {

bool DrawEmoji(Canvas& c, FT_Face face, uint32_t codepoint, double cx, double cy, double size) {
    if (FT_Load_Char(face, codepoint, FT_LOAD_COLOR) != 0 ||
        face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_BGRA) {
        return false;
    }
    const FT_Bitmap& bm = face->glyph->bitmap;
    // The strike is premultiplied BGRA, which is cairo's ARGB32 on little endian.
    cairo_surface_t* glyph = cairo_image_surface_create_for_data(
        bm.buffer, CAIRO_FORMAT_ARGB32, static_cast<int>(bm.width), static_cast<int>(bm.rows),
        bm.pitch);
    const double scale = size / std::max(bm.width, bm.rows);
    cairo_save(c.Cr());
    cairo_translate(c.Cr(), cx - bm.width * scale / 2, cy - bm.rows * scale / 2);
    cairo_scale(c.Cr(), scale, scale);
    cairo_set_source_surface(c.Cr(), glyph, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(c.Cr()), CAIRO_FILTER_BEST);
    cairo_paint(c.Cr());
    cairo_restore(c.Cr());
    cairo_surface_destroy(glyph);
    return true;
}

void CardFace(Canvas& c, Rgb tint) {
    // A soft drop shadow, a cream face with a coloured rim, alpha at the corners.
    c.Shadow(4, 5, kCard - 8, kCard - 8, 12, 2, 0.45);
    c.RoundedRect(2, 2, kCard - 6, kCard - 6, 12);
    cairo_pattern_t* p = cairo_pattern_create_radial(kCard / 2.0, kCard / 2.0, 5, kCard / 2.0,
                                                     kCard / 2.0, kCard * 0.7);
    cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 0.99, 0.95);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.5 + tint.r / 2, 0.5 + tint.g / 2, 0.5 + tint.b / 2);
    cairo_set_source(c.Cr(), p);
    cairo_fill_preserve(c.Cr());
    cairo_pattern_destroy(p);
    cairo_set_line_width(c.Cr(), 2.5);
    cairo_set_source_rgba(c.Cr(), tint.r * 0.6, tint.g * 0.6, tint.b * 0.6, 0.9);
    cairo_stroke(c.Cr());
}

void CardBack(Canvas& back, const std::function<void(cairo_t*)>& fill, Rgb edge, Rgb rim,
              const std::function<void(cairo_t*)>& pattern) {
    cairo_t* cr = back.Cr();
    back.Shadow(4, 5, kCard - 8, kCard - 8, 12, 2, 0.45);
    back.RoundedRect(2, 2, kCard - 6, kCard - 6, 12);
    fill(cr);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2.5);
    cairo_set_source_rgb(cr, edge.r, edge.g, edge.b);
    cairo_stroke(cr);
    cairo_save(cr);
    back.RoundedRect(9, 9, kCard - 18, kCard - 18, 8);
    cairo_clip(cr);
    pattern(cr);
    cairo_restore(cr);
    back.RoundedRect(9, 9, kCard - 18, kCard - 18, 8);
    cairo_set_line_width(cr, 2);
    cairo_set_source_rgb(cr, rim.r, rim.g, rim.b);
    cairo_stroke(cr);
}

FT_Face OpenEmojiFont(const Options& o, FT_Library ft) {
    FT_Face emoji = nullptr;
    if (FT_New_Face(ft, o.emojiFont.c_str(), 0, &emoji) != 0 || FT_Select_Size(emoji, 0) != 0) {
        Fail("cannot open the emoji font " + o.emojiFont);
    }
    return emoji;
}

namespace {

// The desktop's name for the game (desktop entry, icons, software centres).
constexpr const char* kAppId = "io.vornique.Vornique";

struct CardPicture {
    uint32_t codepoint;
    Rgb tint;
};

// Ten pictures of clearly different colour and shape.
constexpr CardPicture kPictures[10] = {
    {0x1F353, {0.95, 0.35, 0.40}},  // strawberry
    {0x1F34B, {0.98, 0.85, 0.25}},  // lemon
    {0x1F347, {0.60, 0.40, 0.85}},  // grapes
    {0x1F438, {0.35, 0.80, 0.35}},  // frog
    {0x1F433, {0.30, 0.65, 0.95}},  // whale
    {0x1F98A, {0.98, 0.55, 0.20}},  // fox
    {0x1F43C, {0.55, 0.55, 0.60}},  // panda
    {0x1F344, {0.85, 0.25, 0.25}},  // mushroom
    {0x1F41D, {0.95, 0.75, 0.10}},  // bee
    {0x1F308, {0.40, 0.75, 0.95}},  // rainbow
};

void Cards(const Options& o, FT_Library ft) {
    FT_Face emoji = OpenEmojiFont(o, ft);
    for (int i = 0; i < 10; ++i) {
        Canvas c(kCard, kCard);
        CardFace(c, kPictures[i].tint);
        if (!DrawEmoji(c, emoji, kPictures[i].codepoint, kCard / 2.0 - 1, kCard / 2.0 - 1, 66)) {
            Fail("the emoji font has no colour glyph for a card picture");
        }
        char name[64];
        std::snprintf(name, sizeof name, "images/vis_pairs/%02d.png", i + 1);
        Check(c.WritePng(o.out + name), name);
    }
    FT_Done_Face(emoji);

    // The back: a deep blue face with a gold lattice, the same size and the
    // same rounded, shadowed shape as the faces (its alpha in a companion).
    Canvas back(kCard, kCard);
    cairo_t* cr = back.Cr();
    CardBack(
        back, [](cairo_t* c) { cairo_set_source_rgb(c, 0.10, 0.22, 0.48); }, {0.07, 0.14, 0.30},
        {0.95, 0.78, 0.35},
        [](cairo_t* c) {
            cairo_set_line_width(c, 1.6);
            cairo_set_source_rgba(c, 0.95, 0.78, 0.35, 0.85);
            for (int k = -kCard; k < 2 * kCard; k += 12) {
                cairo_move_to(c, k, 0);
                cairo_line_to(c, k + kCard, kCard);
                cairo_move_to(c, k, kCard);
                cairo_line_to(c, k + kCard, 0);
            }
            cairo_stroke(c);
        });
    cairo_arc(cr, kCard / 2.0, kCard / 2.0, 12, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.95, 0.78, 0.35);
    cairo_fill(cr);
    cairo_arc(cr, kCard / 2.0, kCard / 2.0, 7, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.10, 0.22, 0.48);
    cairo_fill(cr);
    Check(back.WriteJpegWithAlpha(o.out + "images/vis_cover/01.jpg", 0x1A2A4A, 95), "card back");

    // The keyboard's focus ring: a gold rounded frame with a soft glow, a
    // little larger than a card, drawn centred on the focused card.
    constexpr int kRing = kCard + 14;
    Canvas ring(kRing, kRing);
    cairo_t* rc = ring.Cr();
    for (int glow = 4; glow >= 1; --glow) {
        ring.RoundedRect(5, 5, kRing - 10, kRing - 10, 15);
        cairo_set_line_width(rc, 2.0 * glow + 2);
        cairo_set_source_rgba(rc, 1.0, 0.85, 0.40, 0.10);
        cairo_stroke(rc);
    }
    ring.RoundedRect(5, 5, kRing - 10, kRing - 10, 15);
    cairo_set_line_width(rc, 4);
    cairo_set_source_rgb(rc, 0.97, 0.80, 0.34);
    cairo_stroke(rc);
    ring.RoundedRect(5, 5, kRing - 10, kRing - 10, 15);
    cairo_set_line_width(rc, 1.2);
    cairo_set_source_rgba(rc, 1.0, 0.97, 0.80, 0.9);
    cairo_stroke(rc);
    Check(ring.WritePng(o.out + "images/vis_cover/focus.png"), "focus ring");
}

// Soft circles of light scattered over a picture.
void Bokeh(Canvas& c, uint32_t seed, int count, Rgb colour, double alpha) {
    std::mt19937 rng(seed);
    for (int i = 0; i < count; ++i) {
        const double x = rng() % c.Width();
        const double y = rng() % c.Height();
        const double r = 20 + rng() % 70;
        cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, r);
        cairo_pattern_add_color_stop_rgba(p, 0, colour.r, colour.g, colour.b, alpha);
        cairo_pattern_add_color_stop_rgba(p, 1, colour.r, colour.g, colour.b, 0);
        cairo_set_source(c.Cr(), p);
        cairo_arc(c.Cr(), x, y, r, 0, 2 * M_PI);
        cairo_fill(c.Cr());
        cairo_pattern_destroy(p);
    }
}

// The plate under "Exit", bottom left: pale sand, so that its caption reads in
// every look (yellow with its dark outline, black when lit, olive when disabled).
void ExitPlate(Canvas& c) {
    const Band& plate = kGameExitPlate;
    c.RoundedRect(plate.x - 20, plate.y, plate.width + 20, plate.height + 20, 14);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, plate.y, 0, plate.y + plate.height);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.88, 0.82, 0.70);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.82, 0.75, 0.62);
    cairo_set_source(c.Cr(), p);
    cairo_fill_preserve(c.Cr());
    cairo_pattern_destroy(p);
    cairo_set_line_width(c.Cr(), 1.5);
    cairo_set_source_rgba(c.Cr(), 0.95, 0.78, 0.35, 0.7);
    cairo_stroke(c.Cr());
}

void Backgrounds(const Options& o) {
    // Start screen: warm and light in the middle, where the dark greeting stands.
    Canvas start(1024, 768);
    start.VerticalGradient(0, 0, 1024, 768, {0.55, 0.42, 0.30}, {0.30, 0.22, 0.20});
    cairo_pattern_t* glow = cairo_pattern_create_radial(512, 360, 40, 512, 360, 520);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.93, 0.78, 0.95);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1.0, 0.93, 0.78, 0.0);
    cairo_set_source(start.Cr(), glow);
    cairo_paint(start.Cr());
    cairo_pattern_destroy(glow);
    Bokeh(start, 11, 40, {1.0, 0.85, 0.55}, 0.18);
    // A cream glow under the invitation for somebody else, whose dark olive
    // caption needs light ground.
    cairo_save(start.Cr());
    cairo_translate(start.Cr(), 512, 626);
    cairo_scale(start.Cr(), 1.0, 0.16);
    cairo_pattern_t* cream = cairo_pattern_create_radial(0, 0, 60, 0, 0, 330);
    cairo_pattern_add_color_stop_rgba(cream, 0, 1.0, 0.97, 0.90, 0.92);
    cairo_pattern_add_color_stop_rgba(cream, 0.75, 1.0, 0.96, 0.88, 0.80);
    cairo_pattern_add_color_stop_rgba(cream, 1, 1.0, 0.96, 0.88, 0.0);
    cairo_set_source(start.Cr(), cream);
    cairo_arc(start.Cr(), 0, 0, 330, 0, 2 * M_PI);
    cairo_fill(start.Cr());
    cairo_pattern_destroy(cream);
    cairo_restore(start.Cr());
    // A darker strip at the bottom for the pale links, and a plate for "Exit".
    start.VerticalGradient(0, 680, 1024, 88, {0.15, 0.10, 0.08}, {0.10, 0.07, 0.06}, 0.55);
    ExitPlate(start);
    start.Grain(6, 1);
    Check(start.WriteJpeg(o.out + "images/start_fon.jpg", 92), "start background");

    // Game screen: a dark band for the gold clock and menu, calm green felt below.
    Canvas game(1024, 768);
    game.VerticalGradient(0, 0, 1024, 768, {0.16, 0.38, 0.30}, {0.08, 0.22, 0.18});
    Bokeh(game, 7, 30, {0.6, 0.9, 0.7}, 0.08);
    // The header holds the count-down digit too, so the rule runs below it;
    // the footer's words sit on two corner plates, clear of every card.
    const Band& header = kGameHeader;
    game.VerticalGradient(header.x, header.y, header.width, kGameRuleY, {0.06, 0.10, 0.12},
                          {0.10, 0.18, 0.16}, 0.85);
    cairo_set_source_rgba(game.Cr(), 0.95, 0.78, 0.35, 0.6);
    cairo_rectangle(game.Cr(), 0, kGameRuleY, 1024, header.y + header.height - kGameRuleY);
    cairo_fill(game.Cr());
    // Rounded on the inner corner only: the other three lie beyond the screen's edges.
    const Band& links = kGameLinksPlate;
    game.RoundedRect(links.x, links.y, links.width + 20, links.height + 20, 14);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, links.y, 0, links.y + links.height);
    cairo_pattern_add_color_stop_rgba(p, 0, 0.04, 0.08, 0.07, 0.55);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.03, 0.06, 0.05, 0.70);
    cairo_set_source(game.Cr(), p);
    cairo_fill(game.Cr());
    cairo_pattern_destroy(p);
    ExitPlate(game);
    game.Grain(6, 2);
    Check(game.WriteJpeg(o.out + "images/game_fon/1.jpg", 92), "game background");
}

// A panel: shadow, a dark gradient face, a gold rim.
void Panel(Canvas& c, double inset, bool shadow, Rgb top = {0.22, 0.20, 0.30},
           Rgb bottom = {0.12, 0.11, 0.17}) {
    const double w = c.Width() - 2 * inset;
    const double h = c.Height() - 2 * inset;
    if (shadow) {
        c.Shadow(inset + 2, inset + 4, w - 2, h - 2, 18, 3, 0.6);
    }
    c.RoundedRect(inset, inset, w, h, 18);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, inset, 0, inset + h);
    cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(c.Cr(), p);
    cairo_fill_preserve(c.Cr());
    cairo_pattern_destroy(p);
    cairo_set_line_width(c.Cr(), 3);
    cairo_set_source_rgb(c.Cr(), 0.85, 0.68, 0.30);
    cairo_stroke(c.Cr());
}

// A plate for a caption centred at (cx, cy), with a faint white rim or, for
// captions that must stand out, a gold one.
void Plate(Canvas& c, double cx, double cy, double w, double h, Rgb top, Rgb bottom,
           bool goldRim = false) {
    c.RoundedRect(cx - w / 2, cy - h / 2, w, h, h / 2.5);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, cy - h / 2, 0, cy + h / 2);
    cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(c.Cr(), p);
    cairo_fill_preserve(c.Cr());
    cairo_pattern_destroy(p);
    if (goldRim) {
        cairo_set_line_width(c.Cr(), 2);
        cairo_set_source_rgba(c.Cr(), 0.90, 0.72, 0.32, 0.9);
    } else {
        cairo_set_line_width(c.Cr(), 1.5);
        cairo_set_source_rgba(c.Cr(), 1, 1, 1, 0.35);
    }
    cairo_stroke(c.Cr());
}

// Plates for captions that are white, pale yellow when lit and black when
// disabled: a middle tone on which all three read (4.5:1, 4.5:1, 3:1 and more).
constexpr Rgb kPlateTop{0.50, 0.41, 0.64};
constexpr Rgb kPlateBottom{0.42, 0.34, 0.56};

void Dialogs(const Options& o) {
    {
        Canvas c(400, 200);
        Panel(c, 6, true);
        // The name field: a dark inset for white text.
        c.RoundedRect(200 - 155, 92 - 16.5, 310, 33, 6);
        cairo_set_source_rgb(c.Cr(), 0.06, 0.06, 0.09);
        cairo_fill_preserve(c.Cr());
        cairo_set_source_rgba(c.Cr(), 0.85, 0.68, 0.30, 0.8);
        cairo_set_line_width(c.Cr(), 1.5);
        cairo_stroke(c.Cr());
        Plate(c, 100, 160, 112, 34, kPlateTop, kPlateBottom, true);
        Plate(c, 300, 160, 112, 34, kPlateTop, kPlateBottom, true);
        Check(c.WritePng(o.out + "images/dialog/new_player.png"), "new player dialog");
    }
    {
        Canvas c(400, 200);
        Panel(c, 6, true);
        Plate(c, 200, 150, 112, 34, kPlateTop, kPlateBottom, true);
        Check(c.WritePng(o.out + "images/dialog_add_del.png"), "message dialog");
    }
    {
        // The card set choice: rows of thumbnails and names, and the plate of
        // "Cancel" (the page buttons, there only for many sets, bring their own).
        Canvas c(600, 480);
        Panel(c, 6, true);
        Plate(c, 490, 440, 112, 34, kPlateTop, kPlateBottom, true);
        Check(c.WritePng(o.out + "images/dialog/dlg_cards.png"), "card set dialog");
    }
    {
        // The menu and the difficulty choice place their buttons differently
        // on this one picture: its whole face is a caption plate.
        Canvas c(200, 200);
        Panel(c, 2, false, kPlateTop, kPlateBottom);
        Check(c.WriteJpegWithAlpha(o.out + "images/dialog/dlg_menu.jpg", 0x1A1724), "menu dialog");
    }
    {
        Canvas c(400, 400);
        Panel(c, 6, true);
        // The title "Congratulations!" sits on the top edge: the rim has a gap
        // under it, as a legend has.
        cairo_save(c.Cr());
        cairo_rectangle(c.Cr(), 92, 0, 216, 16);
        cairo_clip(c.Cr());
        cairo_set_operator(c.Cr(), CAIRO_OPERATOR_CLEAR);
        cairo_paint(c.Cr());
        cairo_set_operator(c.Cr(), CAIRO_OPERATOR_OVER);
        c.RoundedRect(6, 6, 388, 388, 18);
        cairo_set_source_rgb(c.Cr(), 0.22, 0.20, 0.30);
        cairo_fill(c.Cr());
        cairo_restore(c.Cr());
        // A golden glow behind the result text.
        cairo_pattern_t* g = cairo_pattern_create_radial(200, 150, 10, 200, 150, 190);
        cairo_pattern_add_color_stop_rgba(g, 0, 0.95, 0.80, 0.40, 0.25);
        cairo_pattern_add_color_stop_rgba(g, 1, 0.95, 0.80, 0.40, 0.0);
        cairo_set_source(c.Cr(), g);
        c.RoundedRect(12, 12, 376, 376, 14);
        cairo_fill(c.Cr());
        cairo_pattern_destroy(g);
        Plate(c, 200, 355, 112, 34, kPlateTop, kPlateBottom, true);
        Check(c.WritePng(o.out + "images/dialog/dlg_finish.png"), "finish dialog");
    }
    {
        // "Options": a plate under every button, laid out as the dialog
        // places them from its centre (260, 220): two volume rows of "-",
        // "+" and the mute, five rows of one button, "Ok" at the bottom.
        Canvas c(520, 440);
        Panel(c, 6, true);
        for (int row = 0; row < 7; ++row) {
            const double y = 220 - 125 + row * 40;
            if (row < 2) {
                Plate(c, 245, y, 40, 26, kPlateTop, kPlateBottom);
                Plate(c, 355, y, 40, 26, kPlateTop, kPlateBottom);
                Plate(c, 450, y, 94, 26, kPlateTop, kPlateBottom);
            } else {
                Plate(c, 350, y, 94, 26, kPlateTop, kPlateBottom);
            }
        }
        Plate(c, 260, 400, 94, 26, kPlateTop, kPlateBottom, true);
        Check(c.WritePng(o.out + "images/dialog/dlg_options.png"), "options dialog");
    }
    {
        Canvas c(400, 200);
        Panel(c, 2, false);
        // Amber plates for "No" and "Yes": light enough for their black
        // captions, deep enough for the pale yellow of the lit one.
        Plate(c, 130, 135, 108, 55, {0.62, 0.50, 0.26}, {0.52, 0.41, 0.20});
        Plate(c, 270, 135, 108, 55, {0.62, 0.50, 0.26}, {0.52, 0.41, 0.20});
        Check(c.WriteJpegWithAlpha(o.out + "images/dialog/exit_window.jpg", 0x1A1724),
              "exit dialog");
    }
    {
        // Statistics: level tabs on top, the chart's dark inset on the left,
        // the figures' on the right, two plates at the bottom.
        Canvas c(640, 440);
        Panel(c, 6, true);
        for (int i = 0; i < 3; ++i) {
            Plate(c, 320 + (i - 1) * 130, 220 - 146, 112, 30, kPlateTop, kPlateBottom, true);
        }
        for (auto [x, w] : {std::pair{20.0, 340.0}, {380.0, 240.0}}) {
            c.RoundedRect(x, 92, w, 224, 10);
            cairo_set_source_rgba(c.Cr(), 0.05, 0.05, 0.08, 0.55);
            cairo_fill_preserve(c.Cr());
            cairo_set_source_rgba(c.Cr(), 0.85, 0.68, 0.30, 0.35);
            cairo_set_line_width(c.Cr(), 1);
            cairo_stroke(c.Cr());
        }
        Plate(c, 320 - 110, 220 + 180, 140, 34, kPlateTop, kPlateBottom, true);
        Plate(c, 320 + 110, 220 + 180, 140, 34, kPlateTop, kPlateBottom, true);
        Check(c.WritePng(o.out + "images/dialog/dlg_stats.png"), "statistics dialog");
    }
    {
        Canvas c(1024, 768);
        cairo_set_source_rgba(c.Cr(), 0, 0, 0, 0.55);
        cairo_paint(c.Cr());
        Check(c.WritePng(o.out + "images/dialog/black_under_exit.png"), "shade");
    }
}

// A strip of button looks stacked top to bottom.
void Strip(const Options& o, const std::string& name, int w, int h, const std::vector<Rgb>& faces,
           bool goldRim = false, double inset = 2) {
    Canvas c(w, h * static_cast<int>(faces.size()));
    for (size_t i = 0; i < faces.size(); ++i) {
        const double y = static_cast<double>(i) * h;
        const Rgb f = faces[i];
        Plate(c, w / 2.0, y + h / 2.0, w - 2 * inset, h - 2 * inset,
              {std::min(1.0, f.r + 0.15), std::min(1.0, f.g + 0.15), std::min(1.0, f.b + 0.15)}, f,
              goldRim);
    }
    Check(c.WritePng(o.out + name), name);
}

void Buttons(const Options& o) {
    const Rgb normal{0.30, 0.26, 0.42}, over{0.45, 0.38, 0.62}, pressed{0.20, 0.17, 0.30},
        disabled{0.32, 0.32, 0.34};
    // The menus' and the result's buttons carry white captions: deeper plates
    // and a gold rim so that every caption reads at a glance.
    Strip(o, "images/btn_def.png", 108, 27,
          {{0.19, 0.15, 0.29}, {0.33, 0.26, 0.49}, {0.12, 0.10, 0.20}, {0.50, 0.50, 0.52}}, true);
    Strip(o, "images/btn_default.png", 100, 26, {normal, over, pressed, disabled});
    // "Play": a black caption on a light plate, pale yellow on a deep one
    // when lit, black on grey when disabled; the plate fills its frame, since
    // the tall script caption rides high on it.
    Strip(o, "images/dialog/btn_def.png", 114, 44,
          {{0.62, 0.56, 0.78}, {0.50, 0.50, 0.52}, {0.25, 0.20, 0.38}}, false, 0.75);
    // A card set's name in the card set choice: white captions, lit pale yellow.
    Strip(o, "images/dialog/btn_set.png", 260, 44,
          {{0.19, 0.15, 0.29}, {0.33, 0.26, 0.49}, {0.12, 0.10, 0.20}, {0.50, 0.50, 0.52}}, true);
    Strip(o, "images/dialog/btn_yes.png", 108, 55,
          {{0.30, 0.55, 0.30}, {0.40, 0.70, 0.40}, {0.22, 0.40, 0.22}, disabled});
    Strip(o, "images/dialog/btn_no.png", 108, 55,
          {{0.60, 0.28, 0.28}, {0.75, 0.36, 0.36}, {0.45, 0.20, 0.20}, disabled});
}

// The icon, drawn in a 64 x 64 design space onto any surface: two cards,
// one face down, one face up with a berry.
void DrawIcon(cairo_t* cr) {
    for (int k = 0; k < 2; ++k) {
        cairo_save(cr);
        cairo_translate(cr, 32, 34);
        cairo_rotate(cr, k == 0 ? -0.25 : 0.2);
        RoundedRectPath(cr, -16, -22, 32, 44, 6);
        cairo_set_source_rgb(cr, k == 0 ? 0.10 : 1.0, k == 0 ? 0.22 : 0.97, k == 0 ? 0.48 : 0.90);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.85, 0.68, 0.30);
        cairo_set_line_width(cr, 2.5);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    cairo_arc(cr, 35, 34, 8, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.95, 0.35, 0.40);
    cairo_fill(cr);
}

// The window's icon (in the data), and beside the data folder the desktop's
// icons: PNGs at 48, 64, 128 and 256 pixels and a scalable SVG.
void Icon(const Options& o) {
    const std::string desktop = o.out + "../icons/hicolor/";
    for (int size : {64, 48, 128, 256}) {
        Canvas c(size, size);
        cairo_scale(c.Cr(), size / 64.0, size / 64.0);
        DrawIcon(c.Cr());
        if (size == 64) {
            Check(c.WritePng(o.out + "icon.png"), "icon");
        }
        const std::string dir =
            desktop + std::to_string(size) + "x" + std::to_string(size) + "/apps/";
        std::filesystem::create_directories(dir);
        Check(c.WritePng(dir + kAppId + ".png"), "desktop icon");
    }
    const std::string scalable = desktop + "scalable/apps/";
    std::filesystem::create_directories(scalable);
    cairo_surface_t* svg = cairo_svg_surface_create((scalable + kAppId + ".svg").c_str(), 64, 64);
    cairo_t* cr = cairo_create(svg);
    DrawIcon(cr);
    cairo_destroy(cr);
    cairo_surface_finish(svg);
    Check(cairo_surface_status(svg) == CAIRO_STATUS_SUCCESS, "scalable icon");
    cairo_surface_destroy(svg);
}

}  // namespace

void MakePictures(const Options& o) {
    FT_Library ft = nullptr;
    if (FT_Init_FreeType(&ft) != 0) {
        Fail("FreeType could not start");
    }
    Cards(o, ft);
    MakeCardSets(o, ft);
    FT_Done_FreeType(ft);
    Backgrounds(o);
    Dialogs(o);
    Buttons(o);
    Icon(o);
}

}  // namespace AssetGen
