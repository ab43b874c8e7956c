#include "framework/graphics/Image.h"

namespace Brisk {

bool Image::FillPolygon(const FPoint*, int, const Rect&, const Color&, int, int, int) {
    return false;
}
void Image::FillRect(const Rect&, const Color&, int) {}

void Image::DrawRect(const Rect& r, const Color& color, int mode) {
    FillRect({r.x, r.y, r.width + 1, 1}, color, mode);
    FillRect({r.x, r.y + r.height, r.width + 1, 1}, color, mode);
    FillRect({r.x, r.y + 1, 1, r.height - 1}, color, mode);
    FillRect({r.x + r.width, r.y + 1, 1, r.height - 1}, color, mode);
}

void Image::ClearRect(const Rect&) {}
void Image::DrawLine(double, double, double, double, const Color&, int) {}
void Image::DrawLineSmooth(double, double, double, double, const Color&, int) {}

void Image::FillSpans(const Span* spans, int count, const Color& color, int mode) {
    for (int i = 0; i < count; ++i) {
        FillRect({spans[i].x, spans[i].y, spans[i].width, 1}, color, mode);
    }
}

void Image::FillSpansCoverage(const Span*, int, const Color&, int, const uint8_t*, int, int, int,
                              int) {}
void Image::Blt(Image*, int, int, const Rect&, const Color&, int) {}
void Image::BltFloat(Image*, double, double, const Rect&, const Rect&, const Color&, int) {}
void Image::BltRotated(Image*, double, double, const Rect&, const Rect&, const Color&, int, double,
                       double, double) {}
void Image::StretchBlt(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}
void Image::BltTransformed(Image*, double, double, const Matrix3&, const Rect&, const Color&, int,
                           const Rect&, bool) {}
void Image::BltTriangles(Image*, const TriVertex (*)[3], int, const Rect&, const Color&, int,
                         double, double, bool) {}
void Image::BltMirrored(Image*, int, int, const Rect&, const Color&, int) {}
void Image::StretchBltMirrored(Image*, const Rect&, const Rect&, const Rect&, const Color&, int,
                               bool) {}

Rect Image::GetCelRect(int index) const {
    const int w = GetCelWidth();
    const int h = GetCelHeight();
    return {(index % m_numCols) * w, (index / m_numCols) * h, w, h};
}

bool Matrix3::Inverse(Matrix3* out) const {
    const auto& a = m;
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (det == 0) {
        return false;
    }
    const double inv = 1.0 / det;
    auto& r = out->m;
    r[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) * inv;
    r[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * inv;
    r[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * inv;
    r[1][0] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) * inv;
    r[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * inv;
    r[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * inv;
    r[2][0] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) * inv;
    r[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * inv;
    r[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * inv;
    return true;
}

}  // namespace Brisk
