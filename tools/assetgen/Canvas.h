#pragma once

// Drawing helpers of the asset generator: a cairo surface with the shapes
// the game's art is made of, written out through our own image writers.

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/resources/ImageLib.h"

namespace AssetGen {

struct Rgb {
    double r, g, b;
};

// Adds a rectangle with corners of radius r to the current path of cr (any
// cairo surface: the canvases, and the icon's SVG).
void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double r);

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* Cr() { return m_cr; }
    cairo_surface_t* Surface() { return m_surface; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    void RoundedRect(double x, double y, double w, double h, double r);
    // Fills with a vertical gradient from `top` to `bottom`.
    void VerticalGradient(double x, double y, double w, double h, Rgb top, Rgb bottom,
                          double alpha = 1.0);
    // A soft shadow under a rounded rectangle (blurred alpha).
    void Shadow(double x, double y, double w, double h, double r, double blur, double alpha);
    // A fine random grain against banding in smooth gradients.
    void Grain(double amount, uint32_t seed);

    // The pixels as 0xAARRGGBB, un-premultiplied.
    ImageLib::Image ToImage();
    bool WritePng(const std::string& path);
    bool WriteJpeg(const std::string& path, int quality = 92, bool fullChroma = false);
    // A JPEG for the colour and a second, grey JPEG beside it named with a
    // leading "_" for the transparency, which the game's image loader joins
    // (JPEG has no alpha of its own). Transparent pixels take `fill`'s colour.
    bool WriteJpegWithAlpha(const std::string& path, uint32_t fill, int quality = 94);

private:
    int m_width;
    int m_height;
    cairo_surface_t* m_surface;
    cairo_t* m_cr;
};

// Box-blurs the alpha of a premultiplied ARGB32 surface three times (a
// near-Gaussian blur), keeping the colour black.
void BlurAlpha(cairo_surface_t* surface, int radius);

// Creates folders and writes bytes; false on failure.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
void MakeParent(const std::string& path);

}  // namespace AssetGen
