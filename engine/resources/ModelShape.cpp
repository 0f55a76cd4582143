#include "aeModelShape.h"

#include "aeModel.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <numeric>
#include <unordered_map>

namespace
{
Vector3 Position(const aeRVMVertex& v)
{
    return Vector3(v.x, v.y, v.z);
}

// The two triangles (a0, a1, a2) and (b0, b1, b2) as one parallelogram: they
// share exactly two corners, and the two corners they do not share lie
// mirrored about the middle of the shared side.
bool AsParallelogram(const Vector3 a[3], const Vector3 b[3], aeModelFace* face)
{
    int match[3] = {-1, -1, -1};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (a[i] == b[j])
            {
                if (match[i] >= 0)
                    return false;
                match[i] = j;
            }
    int ownA = -1;
    for (int i = 0; i < 3; ++i)
        if (match[i] < 0)
        {
            if (ownA >= 0)
                return false;
            ownA = i;
        }
    if (ownA < 0)
        return false;
    const int j1 = match[(ownA + 1) % 3], j2 = match[(ownA + 2) % 3];
    if (j1 == j2)
        return false;
    const int ownB = 3 - j1 - j2;
    const Vector3& s1 = a[(ownA + 1) % 3];
    const Vector3& s2 = a[(ownA + 2) % 3];
    const Vector3 side1 = s1 - a[ownA], side2 = s2 - a[ownA];
    const float size = Vector3Length(side1) + Vector3Length(side2);
    if (!(Vector3Length(Vector3Cross(side1, side2)) > 1e-6f * size * size))
        return false;
    if (!(Vector3Length(a[ownA] + b[ownB] - s1 - s2) <= 1e-5f * size))
        return false;
    face->vCorner = a[ownA];
    face->vSide1 = side1;
    face->vSide2 = side2;
    return true;
}

// One number per distinct position (−0 and +0 are the same point).
class PositionIds
{
public:
    int Of(const Vector3& p)
    {
        const float c[3] = {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f};
        uint32_t bits[3];
        std::memcpy(bits, c, sizeof(bits));
        const uint64_t key = (static_cast<uint64_t>(bits[0]) * 0x9E3779B97F4A7C15ull) ^
                             (static_cast<uint64_t>(bits[1]) * 0xC2B2AE3D27D4EB4Full) ^ bits[2];
        auto range = m_Ids.equal_range(key);
        for (auto it = range.first; it != range.second; ++it)
            if (m_aPoints[static_cast<size_t>(it->second)] == p)
                return it->second;
        const int id = static_cast<int>(m_aPoints.size());
        m_aPoints.push_back(p);
        m_Ids.emplace(key, id);
        return id;
    }
    const Vector3& operator[](int id) const { return m_aPoints[static_cast<size_t>(id)]; }

private:
    std::unordered_multimap<uint64_t, int> m_Ids;
    std::vector<Vector3> m_aPoints;
};

uint64_t SideKey(int a, int b)
{
    return (static_cast<uint64_t>(std::min(a, b)) << 32) | static_cast<uint64_t>(std::max(a, b));
}

// Whether the opaque triangles are closed (see aeModelShape::bClosed), and
// their winding. Triangles whose corners are not three distinct points draw
// nothing and do not count. Pieces are joined where a side has exactly two
// triangles; a side shared by more (two boxes along one edge) must still be
// run along both ways equally often by each piece.
bool FindClosed(const aeModelMaterial* materials, int numMaterials, const aeRVMVertex* vertices,
                const unsigned short* indices, Vector3 centre, float size, bool* clockwise)
{
    struct Side
    {
        int forward = 0, backward = 0;
        int triangles[2] = {-1, -1};
    };
    PositionIds ids;
    std::unordered_map<uint64_t, Side> sides;
    std::vector<std::array<int, 3>> triangles;
    for (int m = 0; m < numMaterials; ++m)
    {
        const aeModelMaterial& material = materials[m];
        if (material.iTransparent != 0)
            continue;
        for (int t = 0; t < material.iNumTriangles; ++t)
        {
            const unsigned short* index = indices + material.iFirstIndex + t * 3;
            std::array<int, 3> id;
            for (int k = 0; k < 3; ++k)
                id[k] = ids.Of(Position(vertices[index[k]]));
            if (id[0] == id[1] || id[1] == id[2] || id[2] == id[0])
                continue;
            for (int k = 0; k < 3; ++k)
            {
                const int a = id[k], b = id[(k + 1) % 3];
                Side& side = sides[SideKey(a, b)];
                (a < b ? side.forward : side.backward)++;
                side.triangles[side.triangles[0] < 0 ? 0 : 1] = static_cast<int>(triangles.size());
            }
            triangles.push_back(id);
        }
    }
    if (triangles.empty())
        return false;
    std::vector<int> piece(triangles.size());
    std::iota(piece.begin(), piece.end(), 0);
    auto root = [&piece](int t) {
        while (piece[static_cast<size_t>(t)] != t)
            t = piece[static_cast<size_t>(t)] = piece[static_cast<size_t>(piece[static_cast<size_t>(t)])];
        return t;
    };
    bool shared = false;
    for (const auto& entry : sides)
    {
        const Side& side = entry.second;
        if (side.forward != side.backward)
            return false;
        if (side.forward == 1)
            piece[static_cast<size_t>(root(side.triangles[0]))] = root(side.triangles[1]);
        else
            shared = true;
    }
    if (shared)
    {
        // Each piece on its own along the sides it shares with others.
        std::map<std::pair<uint64_t, int>, int> balance;
        for (size_t t = 0; t < triangles.size(); ++t)
            for (int k = 0; k < 3; ++k)
            {
                const int a = triangles[t][static_cast<size_t>(k)], b = triangles[t][static_cast<size_t>((k + 1) % 3)];
                const uint64_t key = SideKey(a, b);
                if (sides.at(key).forward == 1)
                    continue;
                balance[{key, root(static_cast<int>(t))}] += a < b ? 1 : -1;
            }
        for (const auto& entry : balance)
            if (entry.second != 0)
                return false;
    }
    // Six times each piece's volume, measured from the model's centre.
    std::vector<double> volume(triangles.size(), 0.0);
    for (size_t t = 0; t < triangles.size(); ++t)
    {
        const std::array<int, 3>& id = triangles[t];
        const Vector3 a = ids[id[0]] - centre, b = ids[id[1]] - centre, c = ids[id[2]] - centre;
        volume[static_cast<size_t>(root(static_cast<int>(t)))] += Vector3Dot(a, Vector3Cross(b, c));
    }
    const double least = 1e-6 * static_cast<double>(size) * size * size;
    int sign = 0;
    for (size_t t = 0; t < triangles.size(); ++t)
    {
        if (root(static_cast<int>(t)) != static_cast<int>(t))
            continue;
        const double v = volume[t];
        const int s = v > least ? 1 : (v < -least ? -1 : 0);
        if (s == 0 || (sign != 0 && s != sign))
            return false;
        sign = s;
    }
    // Seen from outside, a clockwise triangle's (b − a) × (c − a) points
    // outwards in a left-handed space: the volume comes out positive.
    *clockwise = sign > 0;
    return true;
}
}  // namespace

void aeModelShape::Clear()
{
    bHasBounds = false;
    bUnbounded = false;
    aFaces.clear();
    bClosed = false;
    bClockwise = false;
}

int aeModelShape::BackWinding(const Matrix& m) const
{
    if (!bClosed || !bHasBounds)
        return 0;
    // Only where the near plane cuts a piece could the eye look into it: the
    // window the near plane leaves (its four corners taken back into the
    // model) must stay clear of the box, with room for rounding.
    Matrix back;
    if (!MatrixInvert4(m, &back))
        return 0;
    Vector3 lo, hi;
    for (int i = 0; i < 4; ++i)
    {
        float w = 0.0f;
        const Vector3 p = Vector3TransformCoords(Vector3(i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, 0.0f), back, &w);
        if (!(w != 0.0f) || !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return 0;
        lo = i ? Vector3Minimize(lo, p) : p;
        hi = i ? Vector3Maximize(hi, p) : p;
    }
    const Vector3 extent = vMax - vMin;
    const float room = 1e-3f * std::max(extent.x, std::max(extent.y, extent.z)) + 1e-3f * Vector3Length(hi - lo);
    if (lo.x <= vMax.x + room && hi.x >= vMin.x - room && lo.y <= vMax.y + room && hi.y >= vMin.y - room &&
        lo.z <= vMax.z + room && hi.z >= vMin.z - room)
        return 0;
    // A mirroring transform turns the winding over.
    const float det = MatrixDet4(m);
    if (!(det != 0.0f) || !std::isfinite(det))
        return 0;
    return bClockwise == (det > 0.0f) ? -1 : 1;
}

void aeModelShape::Build(const aeModelMaterial* materials, int numMaterials, const aeRVMVertex* vertices,
                         int numVertices, const unsigned short* indices)
{
    Clear();
    for (int i = 0; i < numVertices; ++i)
    {
        const Vector3 p = Position(vertices[i]);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        {
            Clear();
            bUnbounded = true;
            return;
        }
        vMin = bHasBounds ? Vector3Minimize(vMin, p) : p;
        vMax = bHasBounds ? Vector3Maximize(vMax, p) : p;
        bHasBounds = true;
    }
    for (int m = 0; m < numMaterials; ++m)
    {
        const aeModelMaterial& material = materials[m];
        if (material.iTransparent != 0)
            continue;
        for (int t = 0; t + 1 < material.iNumTriangles; ++t)
        {
            const unsigned short* first = indices + material.iFirstIndex + t * 3;
            const Vector3 a[3] = {Position(vertices[first[0]]), Position(vertices[first[1]]), Position(vertices[first[2]])};
            const Vector3 b[3] = {Position(vertices[first[3]]), Position(vertices[first[4]]), Position(vertices[first[5]])};
            aeModelFace face;
            if (AsParallelogram(a, b, &face))
            {
                aFaces.push_back(face);
                ++t;
            }
        }
    }
    if (bHasBounds)
    {
        const Vector3 extent = vMax - vMin;
        bClosed = FindClosed(materials, numMaterials, vertices, indices, (vMin + vMax) * 0.5f,
                             std::max(extent.x, std::max(extent.y, extent.z)), &bClockwise);
    }
}
