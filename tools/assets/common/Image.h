#pragma once

// Procedural texture painting on an RGBA8 canvas, and its PNG output.
// Rows run from the top of the picture down, as the engine's image readers deliver them.
// Every operation is plain integer/float arithmetic in a fixed order, so the bytes written
// are the same on every run.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace assets {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// t = 0 gives a, 1 gives b (clamped); alpha mixes too.
Rgba Mix(Rgba a, Rgba b, float t);
// RGB times f (clamped to 0..255), alpha kept.
Rgba Scale(Rgba c, float f);
inline Rgba WithAlpha(Rgba c, uint8_t a) { return {c.r, c.g, c.b, a}; }

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgba fill = {0, 0, 0, 255});

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const uint8_t* Data() const { return m_pixels.data(); }
    bool HasAlpha() const;  // some pixel is not opaque

    // Coordinates wrap around, so painting across an edge keeps textures tileable.
    Rgba Get(int x, int y) const;
    void Set(int x, int y, Rgba c);
    // Source-over with the colour's alpha times the coverage.
    void Blend(int x, int y, Rgba c, float coverage = 1.0f);

    void Fill(Rgba c);
    // Pixels x0 <= x < x1, y0 <= y < y1 (wrapping), blended.
    void FillRect(int x0, int y0, int x1, int y1, Rgba c);
    // Anti-aliased disc; feather widens the soft edge in pixels.
    void FillCircle(float cx, float cy, float radius, Rgba c, float feather = 1.0f);
    // Anti-aliased ring between inner and outer radius.
    void Ring(float cx, float cy, float inner, float outer, Rgba c, float feather = 1.0f);
    // The polygon (corners in order, either way round) blended with its coverage, sampled
    // samples x samples times a pixel.
    void FillPolygon(const std::vector<std::pair<float, float>>& corners, Rgba c, int samples = 4);
    // The polygon filled, then each of its edges drawn over it as a line of the rim's colour.
    void OutlinedPolygon(const std::vector<std::pair<float, float>>& corners, Rgba fill, Rgba rim, float rimWidth,
                         int samples = 4);
    // A line of the given width, anti-aliased.
    void Line(float x0, float y0, float x1, float y1, float width, Rgba c);
    // Multiplies each pixel's RGB by (1 + amount * n) with n = tileable fractal noise in -1..1.
    void Grain(float scale, float amount, uint32_t seed, int octaves = 3);
    // Box-filtered half size (for the small texture set); odd sizes round down, at least 1.
    Image Half() const;

private:
    int m_width = 0, m_height = 0;
    std::vector<uint8_t> m_pixels;
};

// Smooth value noise in 0..1 that repeats every `period` cells (period > 0).
float ValueNoise(float x, float y, int period, uint32_t seed);
// Fractal sum of ValueNoise octaves, in -1..1; tileable over `period` cells at octave 0.
float FractalNoise(float x, float y, int period, int octaves, uint32_t seed);

// Writes an 8-bit RGBA PNG (RGB when every pixel is opaque) through the engine's writer,
// making missing folders. No time stamp or other varying chunk is written. False (logged)
// when the file could not be written.
bool WritePng(const Image& image, const std::string& path);
// Uncompressed 32-bit DDS carrying every smaller level (each the average of the one above).
bool WriteDds(const Image& image, const std::string& path);

}  // namespace assets
