// Maps from a drawn plan. The source is the map tool's text form with the
// grid drawn instead of listed layer by layer:
//
//   plan
//   +-+-+-+
//   |a a|b|        cells at odd rows and columns, one letter each
//   + +-+ +        walls between them: the characters on the lines between
//   |a d b|
//   +-+-+-+
//   end
//   cell a floor 0 ceiling 0 [object 2] [color 405060]
//   edge | 0 0     wall record of the field left of / above the edge, then
//   edge - 0 0     of the field right of / below it ('.' = none)
//
// Every other line is copied unchanged; `size` and the seven layers are
// written from the plan. A preview picture of the plan can be drawn as well.

#include <cstdio>
#include <map>

#include "Image.h"

namespace cg
{
namespace
{
struct CellDef
{
    int index[7] = {-1, -1, -1, -1, -1, -1, -1};  // floor, ceiling, walls 0-3, object
    uint32_t color = 0x6A6050;
};
struct EdgeDef
{
    int first = -1, second = -1;
    uint32_t color = 0xE8DCC0;
};

int ParseIndex(const std::string& s) { return s == "." ? -1 : std::atoi(s.c_str()); }
}

int Maze(const std::string& source, const std::string& outText, const std::string& preview)
{
    std::string text;
    if (!ReadText(source, &text))
        return 2;
    std::vector<std::string> plan, passthrough;
    std::map<char, CellDef> cells;
    std::map<char, EdgeDef> edges;
    bool inPlan = false;
    int lineNo = 0, startX = -1, startY = -1, exitX = -1, exitY = -1;
    auto fail = [&](const std::string& what) {
        std::fprintf(stderr, "%s:%d: %s\n", source.c_str(), lineNo, what.c_str());
        return 1;
    };
    for (const std::string& raw : Lines(text))
    {
        ++lineNo;
        std::string line = raw;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (inPlan)
        {
            if (line == "end")
                inPlan = false;
            else
                plan.push_back(line);
            continue;
        }
        const std::vector<std::string> w = Split(line);
        if (!w.empty() && w[0] == "plan")
        {
            inPlan = true;
            continue;
        }
        if (!w.empty() && w[0] == "cell")
        {
            if (w.size() < 2 || w[1].size() != 1)
                return fail("cell braucht ein Zeichen");
            CellDef d;
            for (size_t i = 2; i + 1 < w.size(); i += 2)
            {
                static const char* const keys[7] = {"floor", "ceiling", "wall0", "wall1", "wall2", "wall3", "object"};
                bool known = false;
                for (int k = 0; k < 7; ++k)
                    if (w[i] == keys[k])
                    {
                        d.index[k] = ParseIndex(w[i + 1]);
                        known = true;
                    }
                if (w[i] == "color")
                {
                    d.color = static_cast<uint32_t>(std::strtoul(w[i + 1].c_str(), nullptr, 16));
                    known = true;
                }
                if (!known)
                    return fail("unbekannte Angabe " + w[i]);
            }
            cells[w[1][0]] = d;
            continue;
        }
        if (!w.empty() && w[0] == "edge")
        {
            // The edge character may itself be a quote-free symbol like | or -.
            if (w.size() < 4 || w[1].size() != 1)
                return fail("edge braucht ein Zeichen und zwei Indizes");
            EdgeDef d;
            d.first = ParseIndex(w[2]);
            d.second = ParseIndex(w[3]);
            if (w.size() >= 6 && w[4] == "color")
                d.color = static_cast<uint32_t>(std::strtoul(w[5].c_str(), nullptr, 16));
            edges[w[1][0]] = d;
            continue;
        }
        if (w.size() >= 3 && w[0] == "start")
        {
            startX = std::atoi(w[1].c_str());
            startY = std::atoi(w[2].c_str());
        }
        if (w.size() >= 3 && w[0] == "exit" && w[1] != "none")
        {
            exitX = std::atoi(w[1].c_str());
            exitY = std::atoi(w[2].c_str());
        }
        if (!w.empty() && (w[0] == "size" || w[0] == "layer"))
            return fail("size und layer entstehen aus dem Plan");
        passthrough.push_back(line);
    }
    if (plan.size() < 3 || plan.size() % 2 == 0 || plan[0].size() < 3 || plan[0].size() % 2 == 0)
        return fail("der Plan braucht 2·H+1 Zeilen zu 2·B+1 Zeichen");
    const int width = static_cast<int>(plan[0].size() / 2), height = static_cast<int>(plan.size() / 2);
    for (std::string& row : plan)
        row.resize(plan[0].size(), ' ');
    std::vector<int> layers[7];
    for (auto& l : layers)
        l.assign(static_cast<size_t>(width * height), -1);
    auto at = [&](int x, int y) { return static_cast<size_t>(y * width + x); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const char c = plan[static_cast<size_t>(2 * y + 1)][static_cast<size_t>(2 * x + 1)];
            if (c == ' ')
                continue;
            auto it = cells.find(c);
            if (it == cells.end())
                return fail(std::string("Feldzeichen ohne cell: ") + c);
            for (int k = 0; k < 7; ++k)
                layers[k][at(x, y)] = it->second.index[k];
        }
    auto edgeAt = [&](int row, int col, EdgeDef* out) {
        const char c = plan[static_cast<size_t>(row)][static_cast<size_t>(col)];
        if (c == ' ' || c == '+')
            return 0;
        auto it = edges.find(c);
        if (it == edges.end())
            return -1;
        *out = it->second;
        return 1;
    };
    for (int y = 0; y <= height; ++y)
        for (int x = 0; x < width; ++x)
        {
            EdgeDef e;
            const int r = edgeAt(2 * y, 2 * x + 1, &e);
            if (r < 0)
                return fail("Wandzeichen ohne edge in Planzeile " + std::to_string(2 * y + 1));
            if (r == 0)
                continue;
            if (y > 0 && e.first >= 0)
                layers[4][at(x, y - 1)] = e.first;   // wall 2 of the field above
            if (y < height && e.second >= 0)
                layers[2][at(x, y)] = e.second;      // wall 0 of the field below
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x <= width; ++x)
        {
            EdgeDef e;
            const int r = edgeAt(2 * y + 1, 2 * x, &e);
            if (r < 0)
                return fail("Wandzeichen ohne edge in Planzeile " + std::to_string(2 * y + 2));
            if (r == 0)
                continue;
            if (x > 0 && e.first >= 0)
                layers[5][at(x - 1, y)] = e.first;   // wall 3 of the field to the left
            if (x < width && e.second >= 0)
                layers[3][at(x, y)] = e.second;      // wall 1 of the field to the right
        }

    std::string out = "# Generated from " + source + " by contentgen maze; do not edit.\n";
    out += "size " + std::to_string(width) + " " + std::to_string(height) + "\n";
    for (const std::string& l : passthrough)
        out += l + "\n";
    static const char* const names[7] = {"floor", "ceiling", "wall0", "wall1", "wall2", "wall3", "object"};
    for (int k = 0; k < 7; ++k)
    {
        out += std::string("layer ") + names[k] + "\n";
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                const int v = layers[k][at(x, y)];
                out += (x ? " " : "") + (v < 0 ? std::string(".") : std::to_string(v));
            }
            out += "\n";
        }
        out += "end\n";
    }
    if (!WriteBytes(outText, out))
    {
        std::fprintf(stderr, "contentgen: %s kann nicht geschrieben werden\n", outText.c_str());
        return 2;
    }
    if (preview.empty())
        return 0;

    // The preview: the maze seen from above on dark parchment, 2:1 as the menu
    // shows it. It keeps the 3D view's handedness: a player looking towards
    // row + 1 has column + 1 on the right, so rows run up the picture (row 0
    // at the bottom) and columns to the right. The plan text is that
    // picture upside down.
    Image img(256, 128, 0xFF000000);
    const Noise n(7);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            img.Set(x, y, Scale(Rgb{0.22, 0.18, 0.13}, 0.8 + 0.4 * n.Fbm(x / 256.0, y / 128.0, 4)));
    const int cs = std::max(2, std::min((img.w - 16) / width, (img.h - 16) / height));
    const int ox = (img.w - cs * width) / 2, oy = (img.h - cs * height) / 2;
    auto lineY = [&](int gridRow) { return oy + (height - gridRow) * cs; };  // picture y of the line above row gridRow
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const char c = plan[static_cast<size_t>(2 * y + 1)][static_cast<size_t>(2 * x + 1)];
            if (c == ' ')
                continue;
            Rgb col = ToRgb(cells[c].color);
            if (cells[c].index[6] >= 0)
                col = Mix(col, Rgb{0.9, 0.8, 0.4}, 0.35);
            img.Fill(ox + x * cs, lineY(y + 1), ox + (x + 1) * cs, lineY(y), col);
        }
    const int t = std::max(1, cs / 6);
    for (int row = 0; row <= 2 * height; ++row)
        for (int col = 0; col <= 2 * width; ++col)
        {
            if ((row & 1) == (col & 1))
                continue;
            EdgeDef e;
            if (edgeAt(row, col, &e) <= 0)
                continue;
            const Rgb c = ToRgb(e.color);
            if (row % 2 == 0)  // between rows row/2 - 1 and row/2
                img.Fill(ox + (col / 2) * cs - t, lineY(row / 2) - t, ox + (col / 2 + 1) * cs + t, lineY(row / 2) + t, c);
            else
                img.Fill(ox + (col / 2) * cs - t, lineY(row / 2 + 1) - t, ox + (col / 2) * cs + t, lineY(row / 2) + t, c);
        }
    auto dot = [&](int x, int y, const Rgb& c) {
        if (x < 0 || y < 0)
            return;
        img.Fill(ox + x * cs + cs / 4, lineY(y + 1) + cs / 4, ox + x * cs + cs * 3 / 4, lineY(y + 1) + cs * 3 / 4, c);
    };
    dot(startX, startY, Rgb{0.3, 0.9, 0.3});
    dot(exitX, exitY, Rgb{1.0, 0.8, 0.2});
    if (!WriteBytes(preview, Bmp(img)))
    {
        std::fprintf(stderr, "contentgen: %s kann nicht geschrieben werden\n", preview.c_str());
        return 2;
    }
    return 0;
}
}
