// Models from primitives. A recipe holds one statement a line:
//
//   material <name> texture "<file>" color r g b a [transparent 1] [tile T] [shade 0]
//   box   <material> x0 y0 z0 x1 y1 z1 [faces +x-x+y-y+z-z] [tile T] [uoff U] [voff V]
//   prism <material> cx cz radius y0 y1 sides [caps 0]
//   quad  <material> x y z  x y z  x y z  x y z [uv u0 v0 u1 v1]
//
// Boxes and prisms are mapped by their world coordinates, one texture repeat
// per `tile` units (20 unless given). Faces are darkened by their direction
// (top 1.0, sides 0.8 / 0.92, bottom 0.55) unless the material says shade 0,
// so that the flat ambient lighting of the engine still shows the shape.

#include <cstdio>
#include <array>
#include <cmath>
#include <map>

#include "RvmText.h"
#include "Common.h"

namespace cg
{
namespace
{
struct MaterialDef
{
    rvmtext::Material base;
    double tile = 20.0;
    bool shade = true;
};

class Builder
{
public:
    std::map<std::string, MaterialDef> defs;

    // The material index for a definition and a shading factor.
    int Material(const std::string& name, double shade)
    {
        const MaterialDef& d = defs.at(name);
        if (!d.shade)
            shade = 1.0;
        const auto key = std::make_pair(name, static_cast<int>(shade * 1000));
        auto it = m_Variants.find(key);
        if (it != m_Variants.end())
            return it->second;
        rvmtext::Material m = d.base;
        for (int i = 0; i < 3; ++i)
            m.color[i] = static_cast<float>(m.color[i] * shade);
        m_Model.materials.push_back(m);
        const int index = static_cast<int>(m_Model.materials.size()) - 1;
        m_Variants[key] = index;
        m_aTriangles.resize(m_Model.materials.size());
        return index;
    }
    int Vertex(double x, double y, double z, double u, double v)
    {
        m_Model.vertices.push_back(rvmtext::Vertex{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                                                   static_cast<float>(u), static_cast<float>(v)});
        return static_cast<int>(m_Model.vertices.size()) - 1;
    }
    void Quad(int material, int a, int b, int c, int d)
    {
        m_aTriangles[static_cast<size_t>(material)].push_back({a, b, c});
        m_aTriangles[static_cast<size_t>(material)].push_back({a, c, d});
    }
    void Triangle(int material, int a, int b, int c) { m_aTriangles[static_cast<size_t>(material)].push_back({a, b, c}); }
    // Every material's triangles in one run, materials in order.
    rvmtext::Model Finish()
    {
        for (size_t m = 0; m < m_aTriangles.size(); ++m)
            for (const auto& t : m_aTriangles[m])
            {
                rvmtext::Triangle tri;
                for (int k = 0; k < 3; ++k)
                    tri.index[k] = static_cast<uint16_t>(t[static_cast<size_t>(k)]);
                tri.material = static_cast<int32_t>(m);
                m_Model.triangles.push_back(tri);
            }
        return m_Model;
    }
    size_t NumVertices() const { return m_Model.vertices.size(); }

private:
    rvmtext::Model m_Model;
    std::map<std::pair<std::string, int>, int> m_Variants;
    std::vector<std::vector<std::array<int, 3>>> m_aTriangles;
};

double Num(const std::vector<std::string>& w, size_t i) { return i < w.size() ? std::atof(w[i].c_str()) : 0.0; }

void Box(Builder& b, const std::string& mat, double x0, double y0, double z0, double x1, double y1, double z1,
         const std::string& faces, double tile, double uoff, double voff)
{
    auto want = [&](const char* f) { return faces.empty() || faces.find(f) != std::string::npos; };
    auto put = [&](double shade, double ax, double ay, double az, double bx, double by, double bz, double cx, double cy,
                   double cz, double dx, double dy, double dz, int axisU, int axisV, double signU) {
        const int m = b.Material(mat, shade);
        const double p[4][3] = {{ax, ay, az}, {bx, by, bz}, {cx, cy, cz}, {dx, dy, dz}};
        int idx[4];
        for (int k = 0; k < 4; ++k)
        {
            const double u = signU * p[k][axisU] / tile + uoff;
            const double v = (axisV == 1 ? -p[k][1] / tile : p[k][axisV] / tile) + voff;
            idx[k] = b.Vertex(p[k][0], p[k][1], p[k][2], u, v);
        }
        b.Quad(m, idx[0], idx[1], idx[2], idx[3]);
    };
    if (want("-z")) put(0.92, x0, y0, z0, x0, y1, z0, x1, y1, z0, x1, y0, z0, 0, 1, 1);
    if (want("+z")) put(0.92, x1, y0, z1, x1, y1, z1, x0, y1, z1, x0, y0, z1, 0, 1, -1);
    if (want("-x")) put(0.8, x0, y0, z1, x0, y1, z1, x0, y1, z0, x0, y0, z0, 2, 1, -1);
    if (want("+x")) put(0.8, x1, y0, z0, x1, y1, z0, x1, y1, z1, x1, y0, z1, 2, 1, 1);
    if (want("+y")) put(1.0, x0, y1, z0, x0, y1, z1, x1, y1, z1, x1, y1, z0, 0, 2, 1);
    if (want("-y")) put(0.55, x0, y0, z1, x0, y0, z0, x1, y0, z0, x1, y0, z1, 0, 2, 1);
}

void Prism(Builder& b, const std::string& mat, double cx, double cz, double r, double y0, double y1, int sides, bool caps,
           double tile)
{
    const double pi = 3.14159265358979;
    for (int s = 0; s < sides; ++s)
    {
        const double a0 = 2 * pi * s / sides, a1 = 2 * pi * (s + 1) / sides;
        const double shade = 0.75 + 0.25 * std::cos((a0 + a1) / 2 - 0.8);
        const int m = b.Material(mat, shade);
        const double u0 = s / double(sides) * std::max(1.0, 2 * pi * r / tile), u1 = (s + 1) / double(sides) * std::max(1.0, 2 * pi * r / tile);
        const int a = b.Vertex(cx + r * std::cos(a0), y0, cz + r * std::sin(a0), u0, -y0 / tile);
        const int bb = b.Vertex(cx + r * std::cos(a0), y1, cz + r * std::sin(a0), u0, -y1 / tile);
        const int c = b.Vertex(cx + r * std::cos(a1), y1, cz + r * std::sin(a1), u1, -y1 / tile);
        const int d = b.Vertex(cx + r * std::cos(a1), y0, cz + r * std::sin(a1), u1, -y0 / tile);
        b.Quad(m, a, bb, c, d);
        if (caps)
        {
            const int mt = b.Material(mat, 1.0);
            const int centre = b.Vertex(cx, y1, cz, 0.5, 0.5);
            const int e = b.Vertex(cx + r * std::cos(a0), y1, cz + r * std::sin(a0), 0.5 + 0.5 * std::cos(a0), 0.5 + 0.5 * std::sin(a0));
            const int f = b.Vertex(cx + r * std::cos(a1), y1, cz + r * std::sin(a1), 0.5 + 0.5 * std::cos(a1), 0.5 + 0.5 * std::sin(a1));
            b.Triangle(mt, centre, e, f);
        }
    }
}
}

int Models(const std::string& recipe, const std::string& outFile)
{
    std::string text;
    if (!ReadText(recipe, &text))
        return 2;
    Builder b;
    int lineNo = 0;
    for (const std::string& line : Lines(text))
    {
        ++lineNo;
        const std::vector<std::string> w = Split(line);
        if (w.empty())
            continue;
        auto fail = [&](const char* what) {
            std::fprintf(stderr, "%s:%d: %s\n", recipe.c_str(), lineNo, what);
            return 1;
        };
        if (w[0] == "material")
        {
            if (w.size() < 2)
                return fail("material ohne Namen");
            MaterialDef d;
            d.base.color[0] = d.base.color[1] = d.base.color[2] = d.base.color[3] = 1.0f;
            for (size_t i = 2; i < w.size(); ++i)
            {
                if (w[i] == "texture" && i + 1 < w.size())
                    d.base.texture = w[++i];
                else if (w[i] == "color" && i + 4 < w.size())
                {
                    for (int k = 0; k < 4; ++k)
                        d.base.color[k] = static_cast<float>(Num(w, i + 1 + static_cast<size_t>(k)));
                    i += 4;
                }
                else if (w[i] == "transparent" && i + 1 < w.size())
                    d.base.transparent = std::atoi(w[++i].c_str());
                else if (w[i] == "tile" && i + 1 < w.size())
                    d.tile = Num(w, ++i);
                else if (w[i] == "shade" && i + 1 < w.size())
                    d.shade = std::atoi(w[++i].c_str()) != 0;
                else
                    return fail("unbekannte Angabe bei material");
            }
            b.defs[w[1]] = d;
            continue;
        }
        if (w.size() < 2 || !b.defs.count(w[1]))
            return fail("unbekanntes Material");
        const Options o(w, w[0] == "box" ? 8 : (w[0] == "prism" ? 8 : 14));
        const double tile = o.Num("tile", b.defs[w[1]].tile);
        if (w[0] == "box")
        {
            if (w.size() < 8)
                return fail("box braucht zwei Ecken");
            Box(b, w[1], std::min(Num(w, 2), Num(w, 5)), std::min(Num(w, 3), Num(w, 6)), std::min(Num(w, 4), Num(w, 7)),
                std::max(Num(w, 2), Num(w, 5)), std::max(Num(w, 3), Num(w, 6)), std::max(Num(w, 4), Num(w, 7)),
                o.Str("faces"), tile, o.Num("uoff", 0), o.Num("voff", 0));
        }
        else if (w[0] == "prism")
        {
            if (w.size() < 8)
                return fail("prism braucht cx cz radius y0 y1 seiten");
            Prism(b, w[1], Num(w, 2), Num(w, 3), Num(w, 4), Num(w, 5), Num(w, 6), std::max(3, std::atoi(w[7].c_str())),
                  o.Int("caps", 1) != 0, tile);
        }
        else if (w[0] == "quad")
        {
            if (w.size() < 14)
                return fail("quad braucht vier Ecken");
            double uv[4] = {0, 0, 1, 1};
            if (w.size() >= 19 && w[14] == "uv")
                for (int k = 0; k < 4; ++k)
                    uv[k] = Num(w, 15 + static_cast<size_t>(k));
            const int m = b.Material(w[1], 1.0);
            const double us[4] = {uv[0], uv[0], uv[2], uv[2]}, vs[4] = {uv[3], uv[1], uv[1], uv[3]};
            int idx[4];
            for (int k = 0; k < 4; ++k)
                idx[k] = b.Vertex(Num(w, 2 + 3 * static_cast<size_t>(k)), Num(w, 3 + 3 * static_cast<size_t>(k)),
                                  Num(w, 4 + 3 * static_cast<size_t>(k)), us[k], vs[k]);
            b.Quad(m, idx[0], idx[1], idx[2], idx[3]);
        }
        else
            return fail("unbekannte Anweisung");
        if (b.NumVertices() > 65536)
            return fail("mehr als 65536 Eckpunkte");
    }
    if (!WriteBytes(outFile, rvmtext::ToBinary(b.Finish())))
    {
        std::fprintf(stderr, "contentgen: %s kann nicht geschrieben werden\n", outFile.c_str());
        return 2;
    }
    return 0;
}
}
