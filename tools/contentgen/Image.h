#pragma once
// Pictures in memory (0xAARRGGBB), their BMP and TGA files, tileable value
// noise, and a 5 × 7 pixel font for titles and engravings.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Common.h"

namespace cg
{
const uint32_t kMagenta = 0xFFFF00FF;  // the colour key: transparent

struct Rgb
{
    double r = 0, g = 0, b = 0;
};
inline Rgb ToRgb(uint32_t c) { return {((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0}; }
inline uint32_t FromRgb(const Rgb& c, double a = 1.0)
{
    auto q = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); };
    return (q(a) << 24) | (q(c.r) << 16) | (q(c.g) << 8) | q(c.b);
}
inline Rgb Mix(const Rgb& a, const Rgb& b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
inline Rgb Scale(const Rgb& a, double f) { return {a.r * f, a.g * f, a.b * f}; }

struct Image
{
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    Image(int width, int height, uint32_t fill = 0xFF000000) : w(width), h(height), px(static_cast<size_t>(width * height), fill) {}
    uint32_t& At(int x, int y) { return px[static_cast<size_t>(y * w + x)]; }
    uint32_t Get(int x, int y) const { return px[static_cast<size_t>(((y % h + h) % h) * w + ((x % w + w) % w))]; }
    void Set(int x, int y, const Rgb& c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h)
            At(x, y) = FromRgb(c);
    }
    void Fill(int x0, int y0, int x1, int y1, const Rgb& c)
    {
        for (int y = std::max(0, y0); y < std::min(h, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(w, x1); ++x)
                At(x, y) = FromRgb(c);
    }
};

// 24-bit BMP; transparent pixels (alpha below one half) become magenta.
inline std::string Bmp(const Image& img)
{
    const int rowBytes = (img.w * 3 + 3) & ~3;
    const int size = 54 + rowBytes * img.h;
    std::string f(static_cast<size_t>(size), '\0');
    auto put32 = [&](int at, uint32_t v) { for (int i = 0; i < 4; ++i) f[static_cast<size_t>(at + i)] = static_cast<char>(v >> (8 * i)); };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<uint32_t>(size));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(img.w));
    put32(22, static_cast<uint32_t>(img.h));
    f[26] = 1;
    f[28] = 24;
    put32(34, static_cast<uint32_t>(rowBytes * img.h));
    put32(38, 2835);
    put32(42, 2835);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            uint32_t c = img.px[static_cast<size_t>(y * img.w + x)];
            if ((c >> 24) < 128)
                c = kMagenta;
            char* p = &f[static_cast<size_t>(54 + (img.h - 1 - y) * rowBytes + x * 3)];
            p[0] = static_cast<char>(c & 0xFF);
            p[1] = static_cast<char>((c >> 8) & 0xFF);
            p[2] = static_cast<char>((c >> 16) & 0xFF);
        }
    return f;
}

// 32-bit uncompressed TGA with its alpha channel, rows from the top.
inline std::string Tga(const Image& img)
{
    std::string f(18, '\0');
    f[2] = 2;
    f[12] = static_cast<char>(img.w & 0xFF);
    f[13] = static_cast<char>(img.w >> 8);
    f[14] = static_cast<char>(img.h & 0xFF);
    f[15] = static_cast<char>(img.h >> 8);
    f[16] = 32;
    f[17] = 0x28;  // 8 alpha bits, top-left origin
    for (uint32_t c : img.px)
    {
        f += static_cast<char>(c & 0xFF);
        f += static_cast<char>((c >> 8) & 0xFF);
        f += static_cast<char>((c >> 16) & 0xFF);
        f += static_cast<char>(c >> 24);
    }
    return f;
}

// Value noise on a lattice of `cells` × `cells` that wraps around, so that a
// texture made from it tiles without seams.
class Noise
{
public:
    explicit Noise(uint32_t seed) : m_Seed(seed) {}
    double Lattice(int x, int y, int period) const
    {
        x = ((x % period) + period) % period;
        y = ((y % period) + period) % period;
        uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + m_Seed * 2246822519u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
    }
    // u, v in 0..1 over the picture.
    double Value(double u, double v, int cells) const
    {
        const double x = u * cells, y = v * cells;
        const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        double fx = x - x0, fy = y - y0;
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        const double a = Lattice(x0, y0, cells), b = Lattice(x0 + 1, y0, cells);
        const double c = Lattice(x0, y0 + 1, cells), d = Lattice(x0 + 1, y0 + 1, cells);
        return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
    }
    // Several octaves, 0..1.
    double Fbm(double u, double v, int cells, int octaves = 4) const
    {
        double sum = 0, amp = 0.5, total = 0;
        for (int o = 0; o < octaves; ++o)
        {
            sum += Value(u, v, cells << o) * amp;
            total += amp;
            amp *= 0.5;
        }
        return sum / total;
    }

private:
    uint32_t m_Seed;
};

// The 5 × 7 font: seven rows of five bits (bit 4 is the left column).
inline const uint8_t* Glyph(unsigned code)
{
    struct G
    {
        unsigned code;
        uint8_t rows[7];
    };
    static const G glyphs[] = {
        {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
        {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
        {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
        {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
        {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
        {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
        {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
        {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
        {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
        {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
        {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
        {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
        {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
        {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
        {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
        {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
        {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
        {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
        {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
        {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
        {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}}, {'&', {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D}},
        {0xC4, {0x0A, 0x00, 0x0E, 0x11, 0x1F, 0x11, 0x11}}, {0xD6, {0x0A, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E}},
        {0xDC, {0x0A, 0x00, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {0xDF, {0x0E, 0x11, 0x11, 0x16, 0x11, 0x11, 0x16}},
        {' ', {0, 0, 0, 0, 0, 0, 0}},
    };
    if (code >= 'a' && code <= 'z')
        code -= 32;
    if (code == 0xE4 || code == 0xF6 || code == 0xFC)
        code -= 32;
    for (const G& g : glyphs)
        if (g.code == code)
            return g.rows;
    return glyphs[sizeof(glyphs) / sizeof(glyphs[0]) - 1].rows;
}

// UTF-8 to code points (Latin-1 range is enough for the font).
inline std::vector<unsigned> Codes(const std::string& s)
{
    std::vector<unsigned> out;
    for (size_t i = 0; i < s.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80)
            out.push_back(c);
        else if ((c & 0xE0) == 0xC0 && i + 1 < s.size())
        {
            out.push_back(((c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F));
            ++i;
        }
    }
    return out;
}

// A coverage mask (0/1 per pixel) of one text line, `scale` pixels per font
// pixel, its left edge at x and top at y. Returns the advance in pixels.
inline int TextWidth(const std::string& text, int scale) { return static_cast<int>(Codes(text).size()) * 6 * scale - scale; }
inline void TextMask(std::vector<float>& mask, int w, int h, const std::string& text, int x, int y, int scale)
{
    for (unsigned code : Codes(text))
    {
        const uint8_t* rows = Glyph(code);
        for (int gy = 0; gy < 7; ++gy)
            for (int gx = 0; gx < 5; ++gx)
                if (rows[gy] & (0x10 >> gx))
                    for (int py = 0; py < scale; ++py)
                        for (int px = 0; px < scale; ++px)
                        {
                            const int X = x + gx * scale + px, Y = y + gy * scale + py;
                            if (X >= 0 && Y >= 0 && X < w && Y < h)
                                mask[static_cast<size_t>(Y * w + X)] = 1.0f;
                        }
        x += 6 * scale;
    }
}
}
