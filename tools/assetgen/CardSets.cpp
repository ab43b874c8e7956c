// The built-in card sets beyond the first: "Shapes", where every face differs
// by its shape and by a large numeral (never by colour alone), and "Animals",
// eighteen animal pictures. Each set has its own back.

#include <cairo-ft.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "CardArt.h"

namespace AssetGen {
namespace {

constexpr int kSetFaces = 18;

// --- shapes --------------------------------------------------------------------------

// A closed path in a unit box: centre (0, 0), reaching about 1 in every direction.
using ShapePath = std::function<void(cairo_t*)>;

void Polygon(cairo_t* cr, int corners, double turn, double radius = 1.0) {
    for (int k = 0; k < corners; ++k) {
        const double a = turn + 2 * M_PI * k / corners;
        const double x = radius * std::cos(a);
        const double y = radius * std::sin(a);
        k == 0 ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

void Points(cairo_t* cr, std::initializer_list<std::pair<double, double>> points) {
    bool first = true;
    for (const auto& [x, y] : points) {
        first ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
        first = false;
    }
    cairo_close_path(cr);
}

struct ShapeFace {
    const char* what;
    ShapePath path;
    double numeralY;  // where the numeral sits best inside the shape
    double numeralX = 0;
};

std::vector<ShapeFace> Shapes() {
    const double up = -M_PI / 2;
    return {
        {"circle", [](cairo_t* cr) { cairo_arc(cr, 0, 0, 0.95, 0, 2 * M_PI); }, 0},
        {"square", [](cairo_t* cr) { cairo_rectangle(cr, -0.82, -0.82, 1.64, 1.64); }, 0},
        {"triangle", [=](cairo_t* cr) { Polygon(cr, 3, up, 1.08); }, 0.2},
        {"diamond", [=](cairo_t* cr) { Polygon(cr, 4, up, 1.05); }, 0},
        {"star",
         [=](cairo_t* cr) {
             for (int k = 0; k < 10; ++k) {
                 const double r = k % 2 == 0 ? 1.08 : 0.50;
                 const double a = up + M_PI * k / 5;
                 k == 0 ? cairo_move_to(cr, r * std::cos(a), r * std::sin(a))
                        : cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
             }
             cairo_close_path(cr);
         },
         0.08},
        {"heart",
         [](cairo_t* cr) {
             cairo_move_to(cr, 0, 0.95);
             cairo_curve_to(cr, -0.3, 0.7, -1.05, 0.25, -1.0, -0.3);
             cairo_curve_to(cr, -0.95, -0.95, -0.2, -1.0, 0, -0.5);
             cairo_curve_to(cr, 0.2, -1.0, 0.95, -0.95, 1.0, -0.3);
             cairo_curve_to(cr, 1.05, 0.25, 0.3, 0.7, 0, 0.95);
             cairo_close_path(cr);
         },
         -0.05},
        {"hexagon", [](cairo_t* cr) { Polygon(cr, 6, 0, 1.0); }, 0},
        {"pentagon", [=](cairo_t* cr) { Polygon(cr, 5, up, 1.02); }, 0.05},
        {"octagon", [](cairo_t* cr) { Polygon(cr, 8, M_PI / 8, 1.0); }, 0},
        {"plus",
         [](cairo_t* cr) {
             Points(cr, {{-0.33, -0.95},
                         {0.33, -0.95},
                         {0.33, -0.33},
                         {0.95, -0.33},
                         {0.95, 0.33},
                         {0.33, 0.33},
                         {0.33, 0.95},
                         {-0.33, 0.95},
                         {-0.33, 0.33},
                         {-0.95, 0.33},
                         {-0.95, -0.33},
                         {-0.33, -0.33}});
         },
         0},
        {"oval",
         [](cairo_t* cr) {
             cairo_save(cr);
             cairo_scale(cr, 1.0, 0.62);
             cairo_arc(cr, 0, 0, 1.0, 0, 2 * M_PI);
             cairo_restore(cr);
         },
         0},
        {"trapezoid",
         [](cairo_t* cr) {
             Points(cr, {{-0.5, -0.7}, {0.5, -0.7}, {1.0, 0.7}, {-1.0, 0.7}});
         },
         0.05},
        {"arrow",
         [](cairo_t* cr) {
             Points(cr, {{-0.95, -0.32},
                         {0.1, -0.32},
                         {0.1, -0.85},
                         {1.0, 0},
                         {0.1, 0.85},
                         {0.1, 0.32},
                         {-0.95, 0.32}});
         },
         0},
        {"drop",
         [](cairo_t* cr) {
             cairo_move_to(cr, 0, -1.05);
             cairo_curve_to(cr, 0.35, -0.5, 0.8, -0.1, 0.8, 0.3);
             cairo_arc(cr, 0, 0.3, 0.8, 0, M_PI);
             cairo_curve_to(cr, -0.8, -0.1, -0.35, -0.5, 0, -1.05);
             cairo_close_path(cr);
         },
         0.25},
        {"house",
         [](cairo_t* cr) {
             Points(cr, {{0, -1.0},
                         {0.95, -0.15},
                         {0.72, -0.15},
                         {0.72, 0.9},
                         {-0.72, 0.9},
                         {-0.72, -0.15},
                         {-0.95, -0.15}});
         },
         0.3},
        {"moon",
         [](cairo_t* cr) {
             cairo_arc(cr, 0, 0, 0.98, 0.35 * M_PI, 1.65 * M_PI);
             cairo_arc_negative(cr, 0.42, 0, 0.72, 1.62 * M_PI, 0.38 * M_PI);
             cairo_close_path(cr);
         },
         0, -0.5},
        {"shield",
         [](cairo_t* cr) {
             cairo_move_to(cr, -0.85, -0.9);
             cairo_line_to(cr, 0.85, -0.9);
             cairo_line_to(cr, 0.85, -0.1);
             cairo_curve_to(cr, 0.85, 0.45, 0.4, 0.8, 0, 1.0);
             cairo_curve_to(cr, -0.4, 0.8, -0.85, 0.45, -0.85, -0.1);
             cairo_close_path(cr);
         },
         -0.05},
        {"cloud",
         [](cairo_t* cr) {
             cairo_new_sub_path(cr);
             cairo_arc(cr, -0.5, 0.15, 0.45, 0, 2 * M_PI);
             cairo_new_sub_path(cr);
             cairo_arc(cr, 0.05, -0.2, 0.58, 0, 2 * M_PI);
             cairo_new_sub_path(cr);
             cairo_arc(cr, 0.55, 0.2, 0.42, 0, 2 * M_PI);
             cairo_rectangle(cr, -0.5, 0.0, 1.05, 0.6);
         },
         0.12},
    };
}

// Colours from a palette that colour-blind eyes keep apart; the shape and
// the numeral tell the faces apart anyway.
constexpr Rgb kShapeColours[] = {
    {0.00, 0.45, 0.70}, {0.90, 0.62, 0.00}, {0.00, 0.62, 0.45}, {0.80, 0.47, 0.65},
    {0.84, 0.37, 0.00}, {0.34, 0.71, 0.91}, {0.45, 0.36, 0.62}, {0.75, 0.20, 0.25},
};

// Text in the sans font, centred on (cx, cy), white with a dark rim.
void Numeral(Canvas& c, cairo_font_face_t* font, const std::string& text, double cx, double cy,
             double size) {
    cairo_t* cr = c.Cr();
    cairo_set_font_face(cr, font);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    cairo_move_to(cr, cx - e.width / 2 - e.x_bearing, cy - e.height / 2 - e.y_bearing);
    cairo_text_path(cr, text.c_str());
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 4.5);
    cairo_set_source_rgb(cr, 0.08, 0.08, 0.12);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
}

void ShapeSet(const Options& o, FT_Library ft) {
    FT_Face sans = nullptr;
    if (FT_New_Face(ft, o.sansFont.c_str(), 0, &sans) != 0) {
        Fail("cannot open the sans font " + o.sansFont);
    }
    cairo_font_face_t* font = cairo_ft_font_face_create_for_ft_face(sans, 0);
    const std::vector<ShapeFace> shapes = Shapes();
    for (int i = 0; i < kSetFaces; ++i) {
        Canvas c(kCard, kCard);
        CardFace(c, {0.62, 0.60, 0.56});
        cairo_t* cr = c.Cr();
        const Rgb colour = kShapeColours[i % std::size(kShapeColours)];
        cairo_save(cr);
        cairo_translate(cr, kCard / 2.0 - 1, kCard / 2.0 - 1);
        cairo_scale(cr, 35, 35);
        shapes[static_cast<size_t>(i)].path(cr);
        cairo_restore(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 2.5);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_source_rgb(cr, colour.r * 0.45, colour.g * 0.45, colour.b * 0.45);
        cairo_stroke(cr);
        // Two digits a little smaller, so that they stay inside their shape.
        const ShapeFace& shape = shapes[static_cast<size_t>(i)];
        Numeral(c, font, std::to_string(i + 1), kCard / 2.0 - 1 + 35 * shape.numeralX,
                kCard / 2.0 - 1 + 35 * shape.numeralY, i + 1 < 10 ? 30 : 25);
        char name[64];
        std::snprintf(name, sizeof name, "images/sets/shapes/%02d.png", i + 1);
        Check(c.WritePng(o.out + name), name);
    }
    cairo_font_face_destroy(font);
    FT_Done_Face(sans);

    // The back: deep teal with rows of small pale circles and squares.
    Canvas back(kCard, kCard);
    CardBack(
        back, [](cairo_t* cr) { cairo_set_source_rgb(cr, 0.05, 0.36, 0.40); }, {0.02, 0.20, 0.23},
        {0.98, 0.70, 0.25},
        [](cairo_t* cr) {
            cairo_set_source_rgba(cr, 0.95, 0.93, 0.80, 0.75);
            for (int row = 0; row < 7; ++row) {
                for (int col = 0; col < 7; ++col) {
                    const double x = 12 + col * 12.0 + (row % 2) * 6;
                    const double y = 12 + row * 12.0;
                    if ((row + col) % 2 == 0) {
                        cairo_arc(cr, x, y, 3, 0, 2 * M_PI);
                    } else {
                        cairo_rectangle(cr, x - 2.6, y - 2.6, 5.2, 5.2);
                    }
                    cairo_fill(cr);
                }
            }
        });
    Check(back.WriteJpegWithAlpha(o.out + "images/sets/shapes/back.jpg", 0x0A3A40, 95),
          "shapes back");
}

// --- animals -------------------------------------------------------------------------

struct AnimalFace {
    uint32_t codepoint;
    Rgb tint;
};

constexpr AnimalFace kAnimals[kSetFaces] = {
    {0x1F436, {0.80, 0.60, 0.35}},  // dog
    {0x1F431, {0.95, 0.70, 0.30}},  // cat
    {0x1F981, {0.95, 0.65, 0.15}},  // lion
    {0x1F42F, {0.98, 0.55, 0.10}},  // tiger
    {0x1F434, {0.60, 0.40, 0.25}},  // horse
    {0x1F984, {0.85, 0.55, 0.90}},  // unicorn
    {0x1F42E, {0.55, 0.55, 0.55}},  // cow
    {0x1F437, {0.98, 0.60, 0.70}},  // pig
    {0x1F42D, {0.65, 0.65, 0.72}},  // mouse
    {0x1F430, {0.80, 0.80, 0.85}},  // rabbit
    {0x1F43B, {0.55, 0.35, 0.20}},  // bear
    {0x1F428, {0.50, 0.55, 0.60}},  // koala
    {0x1F435, {0.70, 0.45, 0.25}},  // monkey
    {0x1F414, {0.90, 0.25, 0.20}},  // chicken
    {0x1F427, {0.25, 0.35, 0.55}},  // penguin
    {0x1F989, {0.60, 0.45, 0.30}},  // owl
    {0x1F422, {0.35, 0.70, 0.30}},  // turtle
    {0x1F419, {0.90, 0.40, 0.55}},  // octopus
};

void AnimalSet(const Options& o, FT_Library ft) {
    FT_Face emoji = OpenEmojiFont(o, ft);
    for (int i = 0; i < kSetFaces; ++i) {
        Canvas c(kCard, kCard);
        CardFace(c, kAnimals[i].tint);
        if (!DrawEmoji(c, emoji, kAnimals[i].codepoint, kCard / 2.0 - 1, kCard / 2.0 - 1, 66)) {
            Fail("the emoji font has no colour glyph for an animal card");
        }
        char name[64];
        std::snprintf(name, sizeof name, "images/sets/animals/%02d.png", i + 1);
        Check(c.WritePng(o.out + name), name);
    }
    FT_Done_Face(emoji);

    // The back: leaf green with a pale paw print in the middle and a lattice of leaves.
    Canvas back(kCard, kCard);
    cairo_t* cr = back.Cr();
    CardBack(
        back,
        [](cairo_t* c) {
            cairo_pattern_t* p = cairo_pattern_create_linear(0, 2, 0, kCard - 4);
            cairo_pattern_add_color_stop_rgb(p, 0, 0.22, 0.52, 0.25);
            cairo_pattern_add_color_stop_rgb(p, 1, 0.12, 0.36, 0.16);
            cairo_set_source(c, p);
            cairo_pattern_destroy(p);  // the context holds it
        },
        {0.06, 0.22, 0.09}, {0.93, 0.86, 0.55},
        [](cairo_t* c) {
            cairo_set_source_rgba(c, 0.70, 0.88, 0.55, 0.35);
            for (int row = 0; row < 5; ++row) {
                for (int col = 0; col < 5; ++col) {
                    cairo_save(c);
                    cairo_translate(c, 14 + col * 17.0 + (row % 2) * 8, 14 + row * 17.0);
                    cairo_rotate(c, M_PI / 4);
                    cairo_scale(c, 1.0, 0.5);
                    cairo_arc(c, 0, 0, 5, 0, 2 * M_PI);
                    cairo_restore(c);
                    cairo_fill(c);
                }
            }
        });
    // The paw: a pad and four toes.
    const double cx = kCard / 2.0 - 1;
    const double cy = kCard / 2.0 + 2;
    cairo_set_source_rgb(cr, 0.96, 0.92, 0.70);
    cairo_save(cr);
    cairo_translate(cr, cx, cy + 5);
    cairo_scale(cr, 1.0, 0.8);
    cairo_arc(cr, 0, 0, 11, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    const double toes[4][2] = {{-13, -9}, {-5, -17}, {5, -17}, {13, -9}};
    for (const auto& toe : toes) {
        cairo_arc(cr, cx + toe[0], cy + toe[1], 4.6, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    Check(back.WriteJpegWithAlpha(o.out + "images/sets/animals/back.jpg", 0x1A4A20, 95),
          "animals back");
}

}  // namespace

void MakeCardSets(const Options& o, FT_Library ft) {
    ShapeSet(o, ft);
    AnimalSet(o, ft);
}

}  // namespace AssetGen
