#include "tools/assets/common/Image.h"

#include "tools/assets/common/Files.h"
#include "tools/assets/common/Random.h"

#include "engine/core/RwImage.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assets {

namespace {

uint8_t Clamp255(float v)
{
    return uint8_t(std::clamp(v + 0.5f, 0.0f, 255.0f));
}

int Wrap(int v, int n)
{
    const int m = v % n;
    return m < 0 ? m + n : m;
}

float Smooth(float t)
{
    return t * t * (3 - 2 * t);
}

}  // namespace

Rgba Mix(Rgba a, Rgba b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return {Clamp255(a.r + (b.r - a.r) * t), Clamp255(a.g + (b.g - a.g) * t), Clamp255(a.b + (b.b - a.b) * t),
            Clamp255(a.a + (b.a - a.a) * t)};
}

Rgba Scale(Rgba c, float f)
{
    return {Clamp255(c.r * f), Clamp255(c.g * f), Clamp255(c.b * f), c.a};
}

Image::Image(int width, int height, Rgba fill)
    : m_width(std::max(width, 1)), m_height(std::max(height, 1)), m_pixels(size_t(m_width) * size_t(m_height) * 4)
{
    Fill(fill);
}

bool Image::HasAlpha() const
{
    for (size_t i = 3; i < m_pixels.size(); i += 4)
        if (m_pixels[i] != 255)
            return true;
    return false;
}

Rgba Image::Get(int x, int y) const
{
    const uint8_t* p = &m_pixels[(size_t(Wrap(y, m_height)) * size_t(m_width) + size_t(Wrap(x, m_width))) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void Image::Set(int x, int y, Rgba c)
{
    uint8_t* p = &m_pixels[(size_t(Wrap(y, m_height)) * size_t(m_width) + size_t(Wrap(x, m_width))) * 4];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = c.a;
}

void Image::Blend(int x, int y, Rgba c, float coverage)
{
    const float a = std::clamp(coverage, 0.0f, 1.0f) * (c.a / 255.0f);
    if (a <= 0)
        return;
    const Rgba d = Get(x, y);
    const float outA = a + (d.a / 255.0f) * (1 - a);
    auto channel = [&](uint8_t s, uint8_t t) {
        if (outA <= 0)
            return uint8_t(0);
        return Clamp255((s * a + t * (d.a / 255.0f) * (1 - a)) / outA);
    };
    Set(x, y, {channel(c.r, d.r), channel(c.g, d.g), channel(c.b, d.b), Clamp255(outA * 255)});
}

void Image::Fill(Rgba c)
{
    for (size_t i = 0; i < m_pixels.size(); i += 4) {
        m_pixels[i] = c.r;
        m_pixels[i + 1] = c.g;
        m_pixels[i + 2] = c.b;
        m_pixels[i + 3] = c.a;
    }
}

void Image::FillRect(int x0, int y0, int x1, int y1, Rgba c)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            Blend(x, y, c);
}

void Image::FillCircle(float cx, float cy, float radius, Rgba c, float feather)
{
    Ring(cx, cy, -1.0f, radius, c, feather);
}

void Image::Ring(float cx, float cy, float inner, float outer, Rgba c, float feather)
{
    feather = std::max(feather, 0.01f);
    const int x0 = int(std::floor(cx - outer - feather)), x1 = int(std::ceil(cx + outer + feather));
    const int y0 = int(std::floor(cy - outer - feather)), y1 = int(std::ceil(cy + outer + feather));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            const float cov = std::clamp((outer - d) / feather + 0.5f, 0.0f, 1.0f) *
                              (inner < 0 ? 1.0f : std::clamp((d - inner) / feather + 0.5f, 0.0f, 1.0f));
            if (cov > 0)
                Blend(x, y, c, cov);
        }
}

void Image::FillPolygon(const std::vector<std::pair<float, float>>& corners, Rgba c, int samples)
{
    // Even-odd crossings of a ray to the left.
    const auto inside = [&corners](float x, float y) {
        bool in = false;
        for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
            const auto [xi, yi] = corners[i];
            const auto [xj, yj] = corners[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                in = !in;
        }
        return in;
    };
    if (corners.size() < 3 || samples < 1)
        return;
    float left = corners[0].first, right = left, top = corners[0].second, bottom = top;
    for (const auto& [x, y] : corners) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    for (int y = static_cast<int>(std::floor(top)); y < static_cast<int>(std::ceil(bottom)); ++y)
        for (int x = static_cast<int>(std::floor(left)); x < static_cast<int>(std::ceil(right)); ++x) {
            int hits = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx)
                    hits += inside(x + (sx + 0.5f) / samples, y + (sy + 0.5f) / samples);
            if (hits)
                Blend(x, y, c, static_cast<float>(hits) / (samples * samples));
        }
}

void Image::OutlinedPolygon(const std::vector<std::pair<float, float>>& corners, Rgba fill, Rgba rim, float rimWidth,
                            int samples)
{
    FillPolygon(corners, fill, samples);
    for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++)
        Line(corners[j].first, corners[j].second, corners[i].first, corners[i].second, rimWidth, rim);
}

void Image::Line(float x0, float y0, float x1, float y1, float width, Rgba c)
{
    const float dx = x1 - x0, dy = y1 - y0;
    const float len2 = dx * dx + dy * dy;
    const float h = width * 0.5f;
    const int bx0 = int(std::floor(std::min(x0, x1) - h - 1)), bx1 = int(std::ceil(std::max(x0, x1) + h + 1));
    const int by0 = int(std::floor(std::min(y0, y1) - h - 1)), by1 = int(std::ceil(std::max(y0, y1) + h + 1));
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            const float px = x + 0.5f - x0, py = y + 0.5f - y0;
            const float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
            const float d = std::hypot(px - t * dx, py - t * dy);
            const float cov = std::clamp(h - d + 0.5f, 0.0f, 1.0f);
            if (cov > 0)
                Blend(x, y, c, cov);
        }
}

void Image::Grain(float scale, float amount, uint32_t seed, int octaves)
{
    const int period = std::max(1, int(std::lround(m_width / scale)));
    const float sy = float(period) / m_width * (float(m_width) / m_height);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            const float n = FractalNoise(x * float(period) / m_width, y * sy, period, octaves, seed);
            const Rgba p = Get(x, y);
            Set(x, y, Scale(p, 1 + amount * n));
        }
}

Image Image::Half() const
{
    const int w = std::max(1, m_width / 2), h = std::max(1, m_height / 2);
    Image out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum[4] = {0, 0, 0, 0};
            for (int k = 0; k < 4; ++k) {
                const Rgba p = Get(x * 2 + (k & 1), y * 2 + (k >> 1));
                sum[0] += p.r;
                sum[1] += p.g;
                sum[2] += p.b;
                sum[3] += p.a;
            }
            out.Set(x, y, {uint8_t((sum[0] + 2) / 4), uint8_t((sum[1] + 2) / 4), uint8_t((sum[2] + 2) / 4),
                           uint8_t((sum[3] + 2) / 4)});
        }
    return out;
}

float ValueNoise(float x, float y, int period, uint32_t seed)
{
    period = std::max(period, 1);
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const float tx = Smooth(x - fx), ty = Smooth(y - fy);
    auto at = [&](int cx, int cy) {
        return float(Hash32(uint32_t(Wrap(cx, period)), uint32_t(Wrap(cy, period)), seed) & 0xFFFF) / 65535.0f;
    };
    const float a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float FractalNoise(float x, float y, int period, int octaves, uint32_t seed)
{
    float sum = 0, norm = 0, amp = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * (ValueNoise(x, y, period, seed + uint32_t(o) * 101u) * 2 - 1);
        norm += amp;
        amp *= 0.5f;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return norm > 0 ? sum / norm : 0.0f;
}

bool WritePng(const Image& image, const std::string& path)
{
    if (!MakeParentDirs(path))
        return false;
    NoteWritten(path);
    if (image.HasAlpha())
        return RtPngWriteRows(path.c_str(), image.Width(), image.Height(), PNG_COLOR_TYPE_RGB_ALPHA, 8, image.Data(),
                              static_cast<RwUInt32>(image.Width()) * 4);
    // Opaque pictures go without their alpha: a third smaller, and the same to every reader.
    std::vector<uint8_t> rgb(static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height()) * 3);
    const uint8_t* rgba = image.Data();
    for (size_t i = 0, n = rgb.size() / 3; i < n; ++i)
        std::copy(rgba + i * 4, rgba + i * 4 + 3, rgb.begin() + static_cast<ptrdiff_t>(i * 3));
    return RtPngWriteRows(path.c_str(), image.Width(), image.Height(), PNG_COLOR_TYPE_RGB, 8, rgb.data(),
                          static_cast<RwUInt32>(image.Width()) * 3);
}

bool WriteDds(const Image& image, const std::string& path)
{
    std::vector<Image> levels{image};
    while (levels.back().Width() > 1 || levels.back().Height() > 1)
        levels.push_back(levels.back().Half());
    std::string file(128, '\0');
    const auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + size_t(i)] = static_cast<char>(v >> (8 * i));
    };
    file.replace(0, 4, "DDS ");
    put(4, 124);
    put(8, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | 0x20000);  // caps, height, width, pitch, pixel format, level count
    put(12, static_cast<uint32_t>(image.Height()));
    put(16, static_cast<uint32_t>(image.Width()));
    put(20, static_cast<uint32_t>(image.Width()) * 4);
    put(28, static_cast<uint32_t>(levels.size()));
    put(76, 32);
    put(80, 0x41);  // RGB with alpha
    put(88, 32);
    put(92, 0x00ff0000);
    put(96, 0x0000ff00);
    put(100, 0x000000ff);
    put(104, 0xff000000);
    put(108, 0x1000 | 0x8 | 0x400000);  // a texture, complex, with levels
    for (const Image& level : levels)
        for (int y = 0; y < level.Height(); ++y)
            for (int x = 0; x < level.Width(); ++x) {
                const Rgba p = level.Get(x, y);
                file += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r), static_cast<char>(p.a)};
            }
    return WriteTextFile(path, file);  // bytes as they are
}

}  // namespace assets
