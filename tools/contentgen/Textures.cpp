// Procedural textures. A recipe holds one picture a line:
//
//   <file name> <width> <height> <pattern> [key value]...
//
// The file name's extension chooses the format (".bmp" 24 bits with magenta
// for transparent pixels, ".tga" 32 bits with alpha). Patterns and their keys
// are listed in content/README.md.

#include <cstdio>

#include "Image.h"

namespace cg
{
namespace
{
const double kPi = 3.14159265358979;

// Lays a text (lines split by '|') over the picture with a chiselled edge,
// centred around (cx, cy) in fractions of the picture.
void DrawText(Image& img, const std::string& text, int scale, double cx, double cy, uint32_t fg, uint32_t edge,
              bool shadow)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '|')
        {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    std::vector<float> mask(static_cast<size_t>(img.w * img.h), 0.0f);
    const int lineHeight = 10 * scale;
    const int total = static_cast<int>(lines.size()) * lineHeight - 3 * scale;
    int y = static_cast<int>(cy * img.h) - total / 2;
    for (const std::string& line : lines)
    {
        TextMask(mask, img.w, img.h, line, static_cast<int>(cx * img.w) - TextWidth(line, scale) / 2, y, scale);
        y += lineHeight;
    }
    const Rgb f = ToRgb(fg), e = ToRgb(edge);
    const int border = std::max(1, scale / 3);
    auto m = [&](int x, int yy) { return (x < 0 || yy < 0 || x >= img.w || yy >= img.h) ? 0.0f : mask[static_cast<size_t>(yy * img.w + x)]; };
    for (int yy = 0; yy < img.h; ++yy)
        for (int x = 0; x < img.w; ++x)
        {
            if (m(x, yy) > 0)
            {
                // Light from the top left: bright where the pixel above-left is empty.
                double shade = 1.0;
                if (m(x - border, yy - border) == 0)
                    shade = 1.35;
                else if (m(x + border, yy + border) == 0)
                    shade = 0.65;
                const double grad = 1.1 - 0.3 * (yy % lineHeight) / static_cast<double>(lineHeight);
                img.At(x, yy) = FromRgb(Scale(f, shade * grad));
            }
            else
            {
                bool near = false;
                for (int d = 1; d <= border && !near; ++d)
                    near = m(x - d, yy) > 0 || m(x + d, yy) > 0 || m(x, yy - d) > 0 || m(x, yy + d) > 0;
                if (near)
                    img.At(x, yy) = FromRgb(e);
                else if (shadow && m(x - 2 * border, yy - 2 * border) > 0)
                    img.At(x, yy) = FromRgb(Scale(ToRgb(img.At(x, yy)), 0.4), (img.At(x, yy) >> 24) / 255.0 < 0.5 ? 0.0 : 1.0);
            }
        }
}

void Grain(Image& img, const Noise& n, double amount, int cells)
{
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            uint32_t& p = img.At(x, y);
            if ((p >> 24) < 128)
                continue;
            const double g = 1.0 + (n.Fbm(x / double(img.w), y / double(img.h), cells) - 0.5) * 2.0 * amount;
            p = FromRgb(Scale(ToRgb(p), g));
        }
}

void Noisy(Image& img, const Options& o)
{
    const Noise n(static_cast<uint32_t>(o.Int("seed", 1)));
    const Rgb a = ToRgb(o.Color("c1", 0x606060)), b = ToRgb(o.Color("c2", 0x303030));
    const int cells = o.Int("cells", 4);
    const double contrast = o.Num("contrast", 1.0);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            double t = n.Fbm(x / double(img.w), y / double(img.h), cells, 5);
            t = std::clamp((t - 0.5) * 2.0 * contrast + 0.5, 0.0, 1.0);
            img.Set(x, y, Mix(a, b, t));
        }
}

void Bricks(Image& img, const Options& o)
{
    const Noise n(static_cast<uint32_t>(o.Int("seed", 1)));
    Random r(static_cast<uint32_t>(o.Int("seed", 1)));
    const Rgb brick = ToRgb(o.Color("brick", 0x7A6E60)), mortar = ToRgb(o.Color("mortar", 0x2E2A26));
    const int rows = o.Int("rows", 4), cols = o.Int("cols", 2);
    const double var = o.Num("var", 0.15);
    std::vector<double> tint(static_cast<size_t>(rows * cols * 2 + 2));
    for (double& t : tint)
        t = 1.0 + r.Signed() * var;
    const double bh = img.h / double(rows), bw = img.w / double(cols), joint = std::max(1.0, img.w / 64.0);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const int row = static_cast<int>(y / bh);
            double xs = x + ((row & 1) ? bw / 2 : 0);
            if (xs >= img.w)
                xs -= img.w;
            const int col = static_cast<int>(xs / bw);
            const double fx = xs - col * bw, fy = y - row * bh;
            const bool isJoint = fx < joint || fy < joint;
            const double grain = 0.75 + 0.5 * n.Fbm(x / double(img.w), y / double(img.h), 8);
            if (isJoint)
                img.Set(x, y, Scale(mortar, grain));
            else
            {
                double edge = 1.0;
                if (fy < joint * 2.5 || fx < joint * 2.5)
                    edge = 1.12;
                else if (fy > bh - joint * 1.5 || fx > bw - joint * 1.5)
                    edge = 0.8;
                img.Set(x, y, Scale(brick, tint[static_cast<size_t>(row * cols + col)] * grain * edge));
            }
        }
}

void Planks(Image& img, const Options& o)
{
    const Noise n(static_cast<uint32_t>(o.Int("seed", 2)));
    Random r(static_cast<uint32_t>(o.Int("seed", 2)));
    const Rgb wood = ToRgb(o.Color("wood", 0x7B5534)), dark = ToRgb(o.Color("dark", 0x3A2514));
    const int count = o.Int("count", 4);
    std::vector<double> tint(static_cast<size_t>(count));
    for (double& t : tint)
        t = 1.0 + r.Signed() * 0.12;
    const double pw = img.w / double(count);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const int p = static_cast<int>(x / pw);
            const double fx = x - p * pw;
            const double grain = n.Value((x + p * 17) / double(img.w) * 0.5, y / double(img.h), 16);
            const double stripes = 0.5 + 0.5 * std::sin((fx / pw * 6 + grain * 5) * kPi);
            Rgb c = Mix(wood, dark, stripes * 0.35);
            c = Scale(c, tint[static_cast<size_t>(p)]);
            if (fx < std::max(1.0, pw * 0.04))
                c = dark;
            img.Set(x, y, c);
        }
    if (o.Int("bands", 0))
    {
        // Two iron bands and a ring: a door.
        const Rgb iron = ToRgb(o.Color("iron", 0x3C3C40));
        for (double at : {0.2, 0.75})
            img.Fill(0, static_cast<int>(img.h * at), img.w, static_cast<int>(img.h * (at + 0.06)), iron);
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x)
            {
                const double dx = x - img.w * 0.75, dy = y - img.h * 0.5, d = std::sqrt(dx * dx + dy * dy);
                if (std::fabs(d - img.w * 0.06) < img.w * 0.012)
                    img.Set(x, y, Scale(iron, 1.6));
            }
    }
}

void Flagstones(Image& img, const Options& o)
{
    const Noise n(static_cast<uint32_t>(o.Int("seed", 3)));
    Random r(static_cast<uint32_t>(o.Int("seed", 3)));
    const Rgb stone = ToRgb(o.Color("stone", 0x6A665E)), joint = ToRgb(o.Color("joint", 0x22201C));
    const int cells = o.Int("cells", 3);
    // Voronoi cells with wrapped distances: irregular slabs that tile.
    std::vector<double> px, py, tint;
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i)
        {
            px.push_back((i + 0.2 + 0.6 * r.Unit()) / cells);
            py.push_back((j + 0.2 + 0.6 * r.Unit()) / cells);
            tint.push_back(1.0 + r.Signed() * 0.15);
        }
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const double u = x / double(img.w), v = y / double(img.h);
            double d1 = 9, d2 = 9;
            size_t best = 0;
            for (size_t k = 0; k < px.size(); ++k)
            {
                double dx = std::fabs(u - px[k]), dy = std::fabs(v - py[k]);
                dx = std::min(dx, 1 - dx);
                dy = std::min(dy, 1 - dy);
                const double d = std::sqrt(dx * dx + dy * dy);
                if (d < d1)
                {
                    d2 = d1;
                    d1 = d;
                    best = k;
                }
                else if (d < d2)
                    d2 = d;
            }
            const double grain = 0.8 + 0.4 * n.Fbm(u, v, 8);
            const double gap = d2 - d1;
            if (gap < 0.012)
                img.Set(x, y, Scale(joint, grain));
            else
                img.Set(x, y, Scale(stone, tint[best] * grain * (gap < 0.03 ? 0.85 : 1.0)));
        }
}

void Metal(Image& img, const Options& o)
{
    Noisy(img, Options({"c1", o.Str("c1", "5A5E66"), "c2", o.Str("c2", "3A3C42"), "cells", "2", "seed", o.Str("seed", "4")}, 0));
    const Rgb rivet = ToRgb(o.Color("rivet", 0x9A9EA6));
    const int n = o.Int("rivets", 4);
    const double r = img.w / 40.0;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
        {
            const double cx = (i + 0.5) * img.w / n, cy = (j + 0.5) * img.h / n;
            for (int y = static_cast<int>(cy - r - 1); y <= cy + r + 1; ++y)
                for (int x = static_cast<int>(cx - r - 1); x <= cx + r + 1; ++x)
                {
                    const double d = std::hypot(x - cx, y - cy);
                    if (d <= r)
                        img.Set(x, y, Scale(rivet, 1.2 - 0.5 * (x - cx + y - cy) / (2 * r)));
                }
        }
    // Seams along the border.
    for (int k = 0; k < img.w; ++k)
    {
        img.Set(k, 0, Scale(ToRgb(img.At(k, 0)), 0.5));
        img.Set(0, k % img.h, Scale(ToRgb(img.At(0, k % img.h)), 0.5));
    }
}

void Bars(Image& img, const Options& o)
{
    // Iron bars on transparent ground: a portcullis.
    const Rgb iron = ToRgb(o.Color("iron", 0x45464C));
    const int count = o.Int("count", 5);
    std::fill(img.px.begin(), img.px.end(), 0x00000000);
    const double bar = img.w / double(count), thick = bar * 0.22;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const double fx = std::fmod(x + bar / 2, bar);
            const double fy = std::fmod(y + img.h / 6.0, img.h / 3.0);
            if (std::fabs(fx - bar / 2) < thick / 2)
                img.Set(x, y, Scale(iron, 1.0 + 0.5 * (1 - std::fabs(fx - bar / 2) / (thick / 2))));
            else if (fy < thick * 0.8)
                img.Set(x, y, Scale(iron, 0.8));
        }
}

void Lever(Image& img, const Options& o)
{
    // A stone wall with an iron plate in its middle; the handle is a model.
    Bricks(img, o);
    const Rgb iron = ToRgb(o.Color("iron", 0x4A4A52));
    const int x0 = img.w * 3 / 8, x1 = img.w * 5 / 8, y0 = img.h * 5 / 16, y1 = img.h * 11 / 16;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
        {
            const bool rim = x < x0 + 3 || y < y0 + 3 || x >= x1 - 3 || y >= y1 - 3;
            img.Set(x, y, Scale(iron, rim ? 1.4 : 1.0));
        }
    img.Fill(img.w / 2 - 3, img.h * 3 / 8, img.w / 2 + 3, img.h * 5 / 8, Rgb{0.08, 0.08, 0.08});
}

void Sky(Image& img, const Options& o)
{
    const Rgb top = ToRgb(o.Color("top", 0x050818)), horizon = ToRgb(o.Color("horizon", 0x1E2A4A));
    Random r(static_cast<uint32_t>(o.Int("seed", 5)));
    const Noise n(static_cast<uint32_t>(o.Int("seed", 5)));
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const double v = y / double(img.h - 1);
            Rgb c = Mix(top, horizon, v * v);
            const double cloud = n.Fbm(x / double(img.w), y / double(img.h), 4);
            c = Mix(c, Scale(horizon, 1.4), std::max(0.0, cloud - 0.55) * 1.2 * v);
            img.Set(x, y, c);
        }
    const int stars = o.Int("stars", 120);
    for (int s = 0; s < stars; ++s)
    {
        const int x = static_cast<int>(r.Unit() * img.w), y = static_cast<int>(r.Unit() * img.h * 0.8);
        const double b = 0.5 + 0.5 * r.Unit();
        img.Set(x, y, Rgb{b, b, b * 0.9 + 0.1});
    }
    if (o.Has("moon"))
    {
        const double mx = img.w * o.Num("moon", 0.7), my = img.h * 0.25, mr = img.h * 0.09;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x)
            {
                const double d = std::hypot(x - mx, y - my), d2 = std::hypot(x - mx - mr * 0.45, y - my + mr * 0.2);
                if (d < mr && d2 > mr * 0.85)
                    img.Set(x, y, Rgb{0.95, 0.92, 0.75});
                else if (d < mr * 2.2)
                    img.Set(x, y, Mix(ToRgb(img.At(x, y)), Rgb{0.4, 0.42, 0.5}, 0.25 * (1 - d / (mr * 2.2))));
            }
    }
}

// Sprites: transparent ground.
void Flame(Image& img, const Options& o)
{
    std::fill(img.px.begin(), img.px.end(), 0x00000000);
    const Noise n(static_cast<uint32_t>(o.Int("seed", 6)));
    const Rgb core = ToRgb(o.Color("core", 0xFFF4B0)), outer = ToRgb(o.Color("outer", 0xE04010));
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const double u = (x + 0.5) / img.w - 0.5, v = (y + 0.5) / img.h;  // v 0 top .. 1 bottom
            const double width = 0.42 * std::pow(v, 0.8) * (1.0 - std::pow(v, 6.0));
            const double wobble = (n.Value(u + 0.5, v, 4) - 0.5) * 0.12 * (1 - v);
            const double d = std::fabs(u - wobble) / std::max(width, 1e-3);
            if (d < 1.0)
                img.Set(x, y, Mix(core, outer, std::clamp(d * 1.1 + (1 - v) * 0.4, 0.0, 1.0)));
        }
}

void Plant(Image& img, const Options& o)
{
    std::fill(img.px.begin(), img.px.end(), 0x00000000);
    Random r(static_cast<uint32_t>(o.Int("seed", 7)));
    const Rgb leaf = ToRgb(o.Color("leaf", 0x2F6A2A)), tip = ToRgb(o.Color("tip", 0x7FB04A));
    const int leaves = o.Int("leaves", 9);
    // Leaves grow as curved strokes from the bottom centre.
    for (int l = 0; l < leaves; ++l)
    {
        const double angle = -kPi / 2 + (l / double(leaves - 1) - 0.5) * 2.2 + r.Signed() * 0.15;
        const double length = 0.55 + 0.4 * r.Unit();
        const double bend = r.Signed() * 0.8;
        for (int s = 0; s < 400; ++s)
        {
            const double t = s / 399.0;
            const double a = angle + bend * t * t;
            const double px = 0.5 + std::cos(a) * length * t * 0.5 + std::cos(angle) * 0.02;
            const double py = 0.98 + std::sin(a) * length * t * 0.95;
            const double half = (0.045 * std::sin(t * kPi) + 0.006) * img.w;
            for (int dy = -static_cast<int>(half) - 1; dy <= half + 1; ++dy)
                for (int dx = -static_cast<int>(half) - 1; dx <= half + 1; ++dx)
                    if (dx * dx + dy * dy <= half * half)
                        img.Set(static_cast<int>(px * img.w) + dx, static_cast<int>(py * img.h) + dy,
                                Mix(leaf, tip, t * (0.7 + 0.3 * (dx > 0))));
        }
    }
}

// A sparkle: a bright core with four thin rays (crystals, wisps, embers).
void Glow(Image& img, const Options& o)
{
    std::fill(img.px.begin(), img.px.end(), 0x00000000);
    const Rgb c = ToRgb(o.Color("color", 0x60C0FF));
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const double dx = std::fabs((x + 0.5) / img.w - 0.5) * 2, dy = std::fabs((y + 0.5) / img.h - 0.5) * 2;
            const double d = std::hypot(dx, dy);
            const double ray = std::min(dx, dy);
            if (d < 0.3 || (ray < 0.07 * (1 - d) && d < 1.0))
                img.Set(x, y, Mix(Rgb{1, 1, 1}, c, std::clamp(d * 1.4, 0.0, 1.0)));
        }
}

void Checker(Image& img, const Options& o)
{
    const Rgb a = ToRgb(o.Color("c1", 0xC0C0C0)), b = ToRgb(o.Color("c2", 0x404040));
    const int n = o.Int("cells", 4);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            img.Set(x, y, ((x * n / img.w) + (y * n / img.h)) & 1 ? b : a);
}

void Solid(Image& img, const Options& o)
{
    std::fill(img.px.begin(), img.px.end(), 0xFF000000 | o.Color("color", 0x808080));
    if (o.Has("grain"))
        Grain(img, Noise(static_cast<uint32_t>(o.Int("seed", 8))), o.Num("grain", 0.1), 8);
}

void Spikes(Image& img, const Options& o)
{
    Flagstones(img, o);
    const int n = o.Int("holes", 4);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
        {
            const double cx = (i + 0.5) * img.w / n, cy = (j + 0.5) * img.h / n, r = img.w / (n * 4.0);
            for (int y = static_cast<int>(cy - r); y <= cy + r; ++y)
                for (int x = static_cast<int>(cx - r); x <= cx + r; ++x)
                    if (std::hypot(x - cx, y - cy) < r)
                        img.Set(x, y, Rgb{0.04, 0.03, 0.03});
        }
}

// Text on a ground: "bg" a colour or "none" for transparent.
void Text(Image& img, const Options& o)
{
    if (o.Str("bg", "none") == "none")
        std::fill(img.px.begin(), img.px.end(), 0x00000000);
    else if (o.Str("bg") == "stone")
        Noisy(img, Options({"c1", "4A4540", "c2", "2C2925", "cells", "4", "seed", o.Str("seed", "9")}, 0));
    else
        std::fill(img.px.begin(), img.px.end(), 0xFF000000 | o.Color("bg", 0));
    DrawText(img, o.Str("text", "?"), o.Int("scale", 4), o.Num("x", 0.5), o.Num("y", 0.5), o.Color("fg", 0xE0C070),
             o.Color("edge", 0x201008), o.Int("shadow", 1) != 0);
}

// The maker's logo: an emblem and the name, laid out inside the window from
// (0.02, 0.13) to (0.98, 0.9) of the picture, which the intro reveals in eight
// steps from left to right.
void Logo(Image& img, const Options& o)
{
    std::fill(img.px.begin(), img.px.end(), 0x00000000);
    const double x0 = 0.02 * img.w, x1 = 0.98 * img.w, y0 = 0.13 * img.h, y1 = 0.9 * img.h;
    // Emblem: a cut stone in the first step (0.02 .. 0.17).
    const double ex = 0.095 * img.w, ey = (y0 + y1) / 2, er = std::min(0.065 * img.w, (y1 - y0) * 0.45);
    const Rgb gem = ToRgb(o.Color("gem", 0x5AA0E0));
    for (int y = static_cast<int>(ey - er); y <= ey + er; ++y)
        for (int x = static_cast<int>(ex - er); x <= ex + er; ++x)
        {
            const double dx = (x - ex) / er, dy = (y - ey) / er;
            if (std::fabs(dx) + std::fabs(dy) <= 1.0)
            {
                const double facet = (dx < 0 ? 1.2 : 0.8) * (dy < 0 ? 1.15 : 0.75);
                img.Set(x, y, Scale(gem, facet));
            }
        }
    // The name over the remaining steps.
    const std::string name = o.Str("text", "KELMSTONE");
    const int scale = std::max(1, static_cast<int>((x1 - 0.18 * img.w) / (TextWidth(name, 1) + 2)));
    const int s = std::min(scale, static_cast<int>((y1 - y0) / 9));
    const double cx = (0.18 * img.w + x1) / 2 / img.w;
    DrawText(img, name, s, cx, (y0 + y1) / 2 / img.h, o.Color("fg", 0xD8D0C0), o.Color("edge", 0x303848), false);
    (void)x0;
}

void Button(Image& img, const Options& o)
{
    Noisy(img, Options({"c1", o.Str("c1", "5A4E40"), "c2", o.Str("c2", "2E261E"), "cells", "4", "seed", "11"}, 0));
    const int b = std::max(2, img.h / 10);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const int d = std::min(std::min(x, y), std::min(img.w - 1 - x, img.h - 1 - y));
            if (d < b)
                img.Set(x, y, Scale(ToRgb(img.At(x, y)), (x < img.w - 1 - x && y < img.h - 1 - y) ? 1.6 : 0.5));
            if (d == b)
                img.Set(x, y, ToRgb(o.Color("rim", 0xC09040)));
        }
}

void Cursor(Image& img, const Options& o)
{
    std::fill(img.px.begin(), img.px.end(), 0x00000000);
    const Rgb fill = ToRgb(o.Color("fill", 0xF0D890)), edge = ToRgb(o.Color("edge", 0x201008));
    // An arrow with its tip in the top left corner (outline in 32ths).
    static const double poly[][2] = {{1, 1}, {1, 24}, {7, 19}, {11, 29}, {15, 27.5}, {11, 18}, {19, 18}};
    const int n = sizeof(poly) / sizeof(poly[0]);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const double px = (x + 0.5) * 32.0 / img.w, py = (y + 0.5) * 32.0 / img.h;
            bool inside = false;
            for (int i = 0, j = n - 1; i < n; j = i++)
                if ((poly[i][1] > py) != (poly[j][1] > py) &&
                    px < (poly[j][0] - poly[i][0]) * (py - poly[i][1]) / (poly[j][1] - poly[i][1]) + poly[i][0])
                    inside = !inside;
            if (inside)
                img.Set(x, y, fill);
        }
    Image copy = img;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            if ((copy.At(x, y) >> 24) < 128)
                for (int d = 0; d < 4; ++d)
                {
                    const int nx = x + (d == 0) - (d == 1), ny = y + (d == 2) - (d == 3);
                    if (nx >= 0 && ny >= 0 && nx < img.w && ny < img.h && (copy.At(nx, ny) >> 24) >= 128)
                    {
                        img.Set(x, y, edge);
                        break;
                    }
                }
}

// The victory picture: a laurel-like ring of rays and the word.
void Victory(Image& img, const Options& o)
{
    std::fill(img.px.begin(), img.px.end(), 0x00000000);
    const Rgb gold = ToRgb(o.Color("color", 0xF0C040));
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const double dx = (x + 0.5) / img.w - 0.5, dy = (y + 0.5) / img.h - 0.5;
            const double d = std::hypot(dx, dy) * 2, a = std::atan2(dy, dx);
            const double ray = 0.5 + 0.5 * std::cos(a * 16);
            if (d < 0.62)
            {
                img.At(x, y) = FromRgb(Mix(Rgb{0.25, 0.1, 0.02}, Rgb{0.5, 0.25, 0.05}, 1 - d), 0.85);
            }
            else if (d < 0.62 + 0.35 * ray)
                img.At(x, y) = FromRgb(Scale(gold, 1.2 - d * 0.4), 1.0);
        }
    DrawText(img, o.Str("text", "SIEG!"), std::max(2, img.w / 50), 0.5, 0.5, o.Color("fg", 0xFFE070), 0x301000, false);
}

bool Make(Image& img, const std::string& pattern, const Options& o)
{
    if (pattern == "noise") Noisy(img, o);
    else if (pattern == "bricks") Bricks(img, o);
    else if (pattern == "planks") Planks(img, o);
    else if (pattern == "flagstones") Flagstones(img, o);
    else if (pattern == "metal") Metal(img, o);
    else if (pattern == "bars") Bars(img, o);
    else if (pattern == "lever") Lever(img, o);
    else if (pattern == "sky") Sky(img, o);
    else if (pattern == "flame") Flame(img, o);
    else if (pattern == "plant") Plant(img, o);
    else if (pattern == "glow") Glow(img, o);
    else if (pattern == "checker") Checker(img, o);
    else if (pattern == "solid") Solid(img, o);
    else if (pattern == "spikes") Spikes(img, o);
    else if (pattern == "text") Text(img, o);
    else if (pattern == "logo") Logo(img, o);
    else if (pattern == "button") Button(img, o);
    else if (pattern == "cursor") Cursor(img, o);
    else if (pattern == "victory") Victory(img, o);
    else return false;
    if (o.Has("grain"))
        Grain(img, Noise(static_cast<uint32_t>(o.Int("seed", 1) + 99)), o.Num("grain", 0.1), o.Int("graincells", 16));
    if (o.Has("label"))  // an engraving over the pattern
        DrawText(img, o.Str("label"), o.Int("scale", 3), o.Num("x", 0.5), o.Num("y", 0.5), o.Color("fg", 0xD0C8B0),
                 o.Color("edge", 0x181410), true);
    return true;
}
}

int Textures(const std::string& recipe, const std::string& outDir)
{
    std::string text;
    if (!ReadText(recipe, &text))
    {
        std::fprintf(stderr, "contentgen: %s kann nicht gelesen werden\n", recipe.c_str());
        return 2;
    }
    int lineNo = 0;
    for (const std::string& line : Lines(text))
    {
        ++lineNo;
        const std::vector<std::string> w = Split(line);
        if (w.empty())
            continue;
        if (w.size() < 4)
        {
            std::fprintf(stderr, "%s:%d: erwartet <name> <breite> <höhe> <muster>\n", recipe.c_str(), lineNo);
            return 1;
        }
        const int width = std::atoi(w[1].c_str()), height = std::atoi(w[2].c_str());
        if (width < 1 || height < 1 || width > 2048 || height > 2048)
        {
            std::fprintf(stderr, "%s:%d: ungültige Größe\n", recipe.c_str(), lineNo);
            return 1;
        }
        Image img(width, height);
        if (!Make(img, w[3], Options(w, 4)))
        {
            std::fprintf(stderr, "%s:%d: unbekanntes Muster %s\n", recipe.c_str(), lineNo, w[3].c_str());
            return 1;
        }
        const std::string& name = w[0];
        const bool tga = name.size() > 4 && name.substr(name.size() - 4) == ".tga";
        if (!WriteBytes(outDir + "/" + name, tga ? Tga(img) : Bmp(img)))
        {
            std::fprintf(stderr, "contentgen: %s/%s kann nicht geschrieben werden\n", outDir.c_str(), name.c_str());
            return 2;
        }
    }
    return 0;
}
}
