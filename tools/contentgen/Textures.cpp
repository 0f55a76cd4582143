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

// A wooden board with an iron frame behind a text laid out as DrawText does.
void Plate(Image& img, const std::string& text, int scale, double cx, double cy, uint32_t colour)
{
    int lines = 1, widest = 0;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '|')
        {
            widest = std::max(widest, TextWidth(text.substr(start, i - start), scale));
            lines += i < text.size();
            start = i + 1;
        }
    const int margin = 4 * scale, frame = std::max(2, scale);
    const int w = widest + 2 * margin, h = lines * 10 * scale - 3 * scale + 2 * margin;
    const int x0 = static_cast<int>(cx * img.w) - w / 2, y0 = static_cast<int>(cy * img.h) - h / 2;
    const Noise n(77);
    const Rgb wood = ToRgb(colour), iron{0.22, 0.22, 0.24};
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
        {
            const int d = std::min(std::min(x - x0, y - y0), std::min(x0 + w - 1 - x, y0 + h - 1 - y));
            if (d < frame)
                img.Set(x, y, Scale(iron, d == 0 ? 0.6 : 1.3));
            else
                img.Set(x, y, Scale(wood, 0.85 + 0.3 * n.Value(x / 64.0, y / 8.0, 8)));
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
            // Joints and bevels blended over about a pixel, so that the slanted
            // edges do not step.
            const double px1 = 1.0 / img.w, gap = d2 - d1;
            auto ramp = [&](double at) { return std::clamp((gap - at) / (2.5 * px1) + 0.5, 0.0, 1.0); };
            const Rgb slab = Scale(stone, tint[best] * grain * (0.85 + 0.15 * ramp(0.03)));
            img.Set(x, y, Mix(Scale(joint, grain), slab, ramp(0.012)));
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

// A hedge: layers of small leaves on a dark ground, each an ellipse with a
// lit upper side and a midrib, scattered so that the picture tiles.
void Hedge(Image& img, const Options& o)
{
    const Rgb light = ToRgb(o.Color("c1", 0x4A7A36)), dark = ToRgb(o.Color("c2", 0x0C1A08));
    Random r(static_cast<uint32_t>(o.Int("seed", 61)));
    std::fill(img.px.begin(), img.px.end(), 0xFF000000 | FromRgb(dark));
    const int leaves = o.Int("leaves", img.w * img.h / 26);
    const double size = o.Num("size", img.w / 22.0);
    for (int l = 0; l < leaves; ++l)
    {
        const double cx = r.Unit() * img.w, cy = r.Unit() * img.h, a = r.Unit() * kPi;
        const double len = size * (0.7 + 0.6 * r.Unit()), wid = len * (0.38 + 0.12 * r.Unit());
        // Later leaves lie on top and catch more light.
        const double depth = 0.35 + 0.75 * (l / double(leaves)) + 0.2 * r.Signed();
        const Rgb base = Mix(dark, Mix(light, Rgb{0.55, 0.7, 0.3}, 0.25 * r.Unit()), std::clamp(depth, 0.15, 1.15));
        const double ca = std::cos(a), sa = std::sin(a);
        const int reach = static_cast<int>(len) + 2;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
            {
                const double fx = dx + 0.5 - (cx - std::floor(cx)), fy = dy + 0.5 - (cy - std::floor(cy));
                const double u = (fx * ca + fy * sa) / len, v = (-fx * sa + fy * ca) / wid;  // along, across
                const double e = u * u + v * v;
                if (e > 1.0)
                    continue;
                double shade = 1.0 + 0.25 * (-v) * (sa > 0 ? 1 : -1) - 0.25 * e;
                if (std::fabs(v) < 0.12 && std::fabs(u) < 0.85)
                    shade *= 0.72;  // the midrib
                const int x = ((static_cast<int>(std::floor(cx)) + dx) % img.w + img.w) % img.w;
                const int y = ((static_cast<int>(std::floor(cy)) + dy) % img.h + img.h) % img.h;
                const Rgb under = ToRgb(img.At(x, y));
                img.Set(x, y, Mix(under, Scale(base, shade), std::clamp((1.0 - e) * 6.0, 0.0, 1.0)));
            }
    }
}

// One face of the sky box, painted from the direction each pixel looks into,
// so that neighbouring faces meet without a seam: "corners" names the face's
// quad as the model gives it (bottom-left, top-left, top-right, bottom-right,
// "x,y,z" each), its edge pixels lie exactly on the quad's edges (the model
// maps the picture inset by half a pixel). Gradient by elevation, clouds near
// the horizon, stars on a lattice over all directions, a crescent moon at
// azimuth "moonaz" and elevation "moonel" (degrees).
struct Dir
{
    double x, y, z;
};
double Hash3(int x, int y, int z, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(z) * 2654435761u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}
double Noise3(double x, double y, double z, uint32_t seed)
{
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y)), z0 = static_cast<int>(std::floor(z));
    auto f = [](double t) { return t * t * (3 - 2 * t); };
    const double fx = f(x - x0), fy = f(y - y0), fz = f(z - z0);
    double v = 0;
    for (int k = 0; k < 8; ++k)
    {
        const int dx = k & 1, dy = (k >> 1) & 1, dz = k >> 2;
        v += Hash3(x0 + dx, y0 + dy, z0 + dz, seed) * (dx ? fx : 1 - fx) * (dy ? fy : 1 - fy) * (dz ? fz : 1 - fz);
    }
    return v;
}
void SkyFace(Image& img, const Options& o)
{
    Dir c[4] = {};
    {
        std::string list = o.Str("corners");
        for (char& ch : list)
            if (ch == ',')
                ch = ' ';
        const std::vector<std::string> n = Split(list);
        for (size_t i = 0; i < 12 && i < n.size(); ++i)
            (&c[i / 3].x)[i % 3] = std::atof(n[i].c_str());
    }
    const Rgb top = ToRgb(o.Color("top", 0x050818)), horizon = ToRgb(o.Color("horizon", 0x1E2A4A));
    const uint32_t seed = static_cast<uint32_t>(o.Int("seed", 5));
    const double density = o.Num("stars", 0.35);  // share of lattice cells holding a star
    const double az = o.Num("moonaz", 40) * kPi / 180, el = o.Num("moonel", 30) * kPi / 180;
    const Dir moon{std::cos(el) * std::sin(az), std::sin(el), std::cos(el) * std::cos(az)};
    const double moonR = o.Num("moonsize", 0.07);
    const double lattice = 28.0;
    for (int py = 0; py < img.h; ++py)
        for (int px = 0; px < img.w; ++px)
        {
            const double s = px / double(img.w - 1), t = py / double(img.h - 1);
            // top-left + s (top-right - top-left) + t (bottom-left - top-left)
            Dir d{c[1].x + s * (c[2].x - c[1].x) + t * (c[0].x - c[1].x), c[1].y + s * (c[2].y - c[1].y) + t * (c[0].y - c[1].y),
                  c[1].z + s * (c[2].z - c[1].z) + t * (c[0].z - c[1].z)};
            const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
            d = {d.x / len, d.y / len, d.z / len};
            const double up = std::max(0.0, d.y);
            Rgb col = Mix(horizon, top, std::sqrt(up));
            if (d.y < 0)
                col = Scale(horizon, 1.0 + 0.6 * d.y);
            // Clouds: thin bands near the horizon.
            const double cloud = Noise3(d.x * 3, d.y * 9, d.z * 3, seed) * 0.6 + Noise3(d.x * 7, d.y * 18, d.z * 7, seed + 1) * 0.4;
            col = Mix(col, Scale(horizon, 1.5), std::max(0.0, cloud - 0.55) * 1.6 * (1 - up) * (1 - up));
            // Stars: at most one per lattice cell, each a small soft dot.
            if (d.y > -0.05)
            {
                const double gx = d.x * lattice, gy = d.y * lattice, gz = d.z * lattice;
                const int cx = static_cast<int>(std::floor(gx)), cy = static_cast<int>(std::floor(gy)), cz = static_cast<int>(std::floor(gz));
                double light = 0;
                for (int k = 0; k < 27; ++k)
                {
                    const int x = cx + k % 3 - 1, y = cy + (k / 3) % 3 - 1, z = cz + k / 9 - 1;
                    if (Hash3(x, y, z, seed + 7) > density)
                        continue;
                    Dir st{x + Hash3(x, y, z, seed + 8), y + Hash3(x, y, z, seed + 9), z + Hash3(x, y, z, seed + 10)};
                    const double sl = std::sqrt(st.x * st.x + st.y * st.y + st.z * st.z);
                    const double dot = (st.x * d.x + st.y * d.y + st.z * d.z) / sl;
                    const double ang = std::acos(std::min(1.0, dot));
                    const double size = 0.0035 + 0.004 * Hash3(x, y, z, seed + 11);
                    light = std::max(light, (0.45 + 0.55 * Hash3(x, y, z, seed + 12)) * std::exp(-(ang / size) * (ang / size)));
                }
                light *= std::clamp((d.y + 0.05) * 6, 0.0, 1.0);
                col = Mix(col, Rgb{1.0, 1.0, 0.92}, light);
            }
            // The moon: a crescent with a faint halo.
            if (o.Has("moonaz"))
            {
                const double a = std::acos(std::clamp(d.x * moon.x + d.y * moon.y + d.z * moon.z, -1.0, 1.0));
                // The bite: a second disc shifted along the horizon's direction.
                const Dir side{moon.z, 0, -moon.x};
                const double sl = std::sqrt(side.x * side.x + side.z * side.z);
                const Dir bite{moon.x + side.x / sl * moonR * 0.5, moon.y + moonR * 0.2, moon.z + side.z / sl * moonR * 0.5};
                const double bl = std::sqrt(bite.x * bite.x + bite.y * bite.y + bite.z * bite.z);
                const double b = std::acos(std::clamp((d.x * bite.x + d.y * bite.y + d.z * bite.z) / bl, -1.0, 1.0));
                if (a < moonR * 3)
                    col = Mix(col, Rgb{0.45, 0.47, 0.55}, 0.3 * (1 - a / (moonR * 3)));
                const double edge = std::clamp((moonR - a) / (moonR * 0.08), 0.0, 1.0) * std::clamp((b - moonR * 0.85) / (moonR * 0.08), 0.0, 1.0);
                col = Mix(col, Rgb{0.95, 0.92, 0.75}, edge);
            }
            img.Set(px, py, col);
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
    // A thin bevel and rim: the button is drawn squeezed and stretched, and
    // long labels come close to its ends.
    const int bx = std::max(1, img.w / 128), by = std::max(2, img.h / 20);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const int dx = std::min(x, img.w - 1 - x), dy = std::min(y, img.h - 1 - y);
            if (dx < bx || dy < by)
                img.Set(x, y, Scale(ToRgb(img.At(x, y)), (x < img.w - 1 - x && y < img.h - 1 - y) ? 1.6 : 0.5));
            else if (dx == bx || dy == by)
                img.Set(x, y, ToRgb(o.Color("rim", 0xC09040)));
        }
}

void Cursor(Image& img, const Options& o)
{
    std::fill(img.px.begin(), img.px.end(), 0x00000000);
    const Rgb fill = ToRgb(o.Color("fill", 0xF0D890)), edge = ToRgb(o.Color("edge", 0x201008));
    // An arrow with its tip in the top left corner (outline in 32ths).
    // The outline keeps off the picture's first row and column: the picture
    // is drawn filtered and repeating, so anything there would show as a
    // thin line at the far side of the drawn square.
    static const double poly[][2] = {{2, 2}, {2, 25}, {8, 20}, {12, 30}, {16, 28.5}, {12, 19}, {20, 19}};
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
            if (d < o.Num("disc", 0.62))
            {
                img.At(x, y) = FromRgb(Mix(Rgb{0.25, 0.1, 0.02}, Rgb{0.5, 0.25, 0.05}, 1 - d), o.Has("hint") ? 1.0 : 0.85);  // opaque under a hint, which must stay readable
            }
            else if (d < o.Num("disc", 0.62) + (0.97 - o.Num("disc", 0.62)) * ray)
                img.At(x, y) = FromRgb(Scale(gold, 1.2 - d * 0.4), 1.0);
        }
    if (o.Has("hint"))  // the word above, how to go on below
    {
        DrawText(img, o.Str("text", "SIEG!"), std::max(2, img.w / 50), 0.5, 0.36, o.Color("fg", 0xFFE070), 0x301000, false);
        DrawText(img, o.Str("hint"), std::max(1, img.w / 85), 0.5, 0.64, o.Color("hintfg", 0xFFF4D0), 0x301000, false);
    }
    else
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
    else if (pattern == "skyface") SkyFace(img, o);
    else if (pattern == "hedge") Hedge(img, o);
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
    if (o.Has("label"))  // an engraving over the pattern, on a framed board if "plate" names its colour
    {
        if (o.Has("plate"))
            Plate(img, o.Str("label"), o.Int("scale", 3), o.Num("x", 0.5), o.Num("y", 0.5), o.Color("plate", 0x3A2A1A));
        DrawText(img, o.Str("label"), o.Int("scale", 3), o.Num("x", 0.5), o.Num("y", 0.5), o.Color("fg", 0xD0C8B0),
                 o.Color("edge", 0x181410), true);
    }
    if (o.Int("mirror", 0))  // for walls the maze draws mirrored (walls 2 and 3 of a field)
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w / 2; ++x)
                std::swap(img.At(x, y), img.At(img.w - 1 - x, y));
    return true;
}
}

int Textures(const std::string& recipe, const std::string& outDir)
{
    std::string text;
    if (!ReadText(recipe, &text))
        return 2;
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
