#include "Occlusion.h"

#include <algorithm>
#include <cmath>

namespace
{
// How far inside a face's outline on the screen a hidden point must lie: the
// rasteriser's own rounding and this test's differ by far less.
const float kEdgePixels = 2.0f;

// Where the line from a to b crosses the plane at view depth z.
Vector3 AtDepth(const Vector3& a, const Vector3& b, float z)
{
    return a + (b - a) * ((z - a.z) / (b.z - a.z));
}
}

void aeFieldPieces::Box::Add(const Vector3& p)
{
    vMin = bAny ? Vector3Minimize(vMin, p) : p;
    vMax = bAny ? Vector3Maximize(vMax, p) : p;
    bAny = true;
}

void aeFieldPieces::Box::Add(const Box& other)
{
    bUnbounded = bUnbounded || other.bUnbounded;
    if (other.bAny)
    {
        Add(other.vMin);
        Add(other.vMax);
    }
}

void aeFieldPieces::Add(int slot, const aeModelShape& shape, const Matrix& m)
{
    Box& box = aSlots[slot];
    if (shape.bUnbounded)
        box.bUnbounded = true;
    if (!shape.bHasBounds)
        return;
    for (int i = 0; i < 8; ++i)
        box.Add(Vector3TransformCoords(BoxCorner(shape.vMin, shape.vMax, i), m, nullptr));
    for (const aeModelFace& face : shape.aFaces)
    {
        if (iNumFaces == kMaxFaces)
            break;
        abyFaceSlot[iNumFaces] = static_cast<unsigned char>(slot);
        aeModelFace& out = aFaces[iNumFaces++];
        out.vCorner = Vector3TransformCoords(face.vCorner, m, nullptr);
        out.vSide1 = Vector3TransformNormal(face.vSide1, m);
        out.vSide2 = Vector3TransformNormal(face.vSide2, m);
    }
}

bool aeOcclusion::Begin(const Matrix& view, const Matrix& projection, float width, float height)
{
    m_iNumFaces = 0;
    // An affine view and a perspective projection with w = view depth (as
    // Direct3D's left-handed ones): near = -_43 / _33, far = _33 near / (_33 - 1).
    if (view._14 != 0.0f || view._24 != 0.0f || view._34 != 0.0f || view._44 != 1.0f)
        return false;
    if (projection._14 != 0.0f || projection._24 != 0.0f || projection._34 != 1.0f || projection._44 != 0.0f)
        return false;
    if (!(projection._33 > 1.0f) || !(width >= 1.0f) || !(height >= 1.0f))
        return false;
    m_fNear = -projection._43 / projection._33;
    m_fFar = projection._33 * m_fNear / (projection._33 - 1.0f);
    if (!(m_fNear > 0.0f) || !(m_fFar > m_fNear) || !std::isfinite(m_fFar))
        return false;
    m_View = view;
    m_Projection = projection;
    m_fWidth = width;
    m_fHeight = height;
    return true;
}

void aeOcclusion::ToPixels(const Vector3& v, float* x, float* y) const
{
    const Matrix& p = m_Projection;
    *x = ((v.x * p._11 + v.y * p._21 + v.z * p._31 + p._41) / v.z + 1.0f) * 0.5f * m_fWidth;
    *y = (1.0f - (v.x * p._12 + v.y * p._22 + v.z * p._32 + p._42) / v.z) * 0.5f * m_fHeight;
}

// Behind a face by this much (view units), a point stays behind it in the
// depth buffer: many times a 24-bit step at that depth.
float aeOcclusion::DepthMargin(float depth) const
{
    return 0.02f + depth * depth * 1e-6f / m_fNear;
}

// a and b as one parallelogram when b continues a in the same plane: they
// share a whole side, and the sides leading away from it run on in the same
// direction (a corridor's walls, field after field).
bool aeOcclusion::Continue(const aeModelFace& a, const aeModelFace& b, aeModelFace* joined)
{
    const float tolerance = 1e-4f * (Vector3Length(a.vSide1) + Vector3Length(a.vSide2));
    auto same = [tolerance](const Vector3& p, const Vector3& q) { return Vector3Length(p - q) <= tolerance; };
    // Each face as its corner, a side along the shared edge and a side across.
    for (int turnA = 0; turnA < 2; ++turnA)
        for (int turnB = 0; turnB < 2; ++turnB)
        {
            const Vector3 along = turnA ? a.vSide2 : a.vSide1, across = turnA ? a.vSide1 : a.vSide2;
            const Vector3 alongB = turnB ? b.vSide2 : b.vSide1, acrossB = turnB ? b.vSide1 : b.vSide2;
            if (!same(along, alongB) || Vector3Dot(across, acrossB) <= 0.0f ||
                Vector3Length(Vector3Cross(across, acrossB)) > tolerance * Vector3Length(acrossB))
                continue;
            // b begins at a's far edge, or a at b's.
            if (same(a.vCorner + across, b.vCorner) || same(b.vCorner + acrossB, a.vCorner))
            {
                joined->vCorner = same(a.vCorner + across, b.vCorner) ? a.vCorner : b.vCorner;
                joined->vSide1 = along;
                joined->vSide2 = across + acrossB;
                return true;
            }
        }
    return false;
}

void aeOcclusion::AddFace(const aeModelFace& face)
{
    // A face that continues one already there makes it larger. Only faces
    // in the same plane can.
    const Vector3 normal = Vector3Cross(face.vSide1, face.vSide2);
    const float length = Vector3Length(normal);
    if (!(length > 0.0f))
        return;
    const Vector3 n = normal / length;
    const float reach = 1e-4f * (Vector3Length(face.vSide1) + Vector3Length(face.vSide2));
    aeModelFace joined;
    for (int k = 0; k < m_iNumFaces; ++k)
    {
        const Face& other = m_aFaces[k];
        if (std::fabs(Vector3Dot(n, other.vWorldNormal)) < 0.9999f ||
            std::fabs(Vector3Dot(other.vWorldNormal, face.vCorner - other.world.vCorner)) > reach)
            continue;
        Face larger;
        if (Continue(other.world, face, &joined) && Project(joined, &larger))
        {
            m_aFaces[k] = larger;
            return;
        }
    }
    if (m_iNumFaces < kMaxFaces && Project(face, &m_aFaces[m_iNumFaces]))
        ++m_iNumFaces;
}

bool aeOcclusion::Project(const aeModelFace& face, Face* out) const
{
    const Vector3 world[4] = {face.vCorner, face.vCorner + face.vSide1, face.vCorner + face.vSide1 + face.vSide2,
                              face.vCorner + face.vSide2};
    Vector3 v[4];
    for (int i = 0; i < 4; ++i)
    {
        v[i] = Vector3TransformCoords(world[i], m_View, nullptr);
        // Nothing of the face may be cut away by the far plane.
        if (!(v[i].z < m_fFar))
            return false;
    }
    // The part of the face well beyond the near plane: what the near plane
    // cuts away hides nothing.
    const float nearest = m_fNear * 1.01f + 1e-3f;
    Vector3 kept[5];
    int n = 0;
    for (int i = 0; i < 4; ++i)
    {
        const Vector3& a = v[i];
        const Vector3& b = v[(i + 1) % 4];
        if (a.z >= nearest)
            kept[n++] = a;
        if ((a.z >= nearest) != (b.z >= nearest))
        {
            if (n == 5)
                return false;
            kept[n++] = AtDepth(a, b, nearest);
        }
    }
    if (n < 3)
        return false;
    Face f;
    f.world = face;
    f.vWorldNormal = Vector3Normalize(Vector3Cross(face.vSide1, face.vSide2));
    Vector3 normal = Vector3Cross(v[1] - v[0], v[3] - v[0]);
    const float length = Vector3Length(normal);
    if (!(length > 0.0f))
        return false;
    normal = normal / length;
    float offset = -Vector3Dot(normal, v[0]);
    if (offset > 0.0f)
    {
        normal = -normal;
        offset = -offset;
    }
    // The eye (the origin) must lie clearly in front of the face's plane.
    if (!(offset < -1e-3f))
        return false;
    f.vNormal = normal;
    f.fOffset = offset;
    float px[5], py[5], cx = 0.0f, cy = 0.0f;
    for (int i = 0; i < n; ++i)
    {
        ToPixels(kept[i], &px[i], &py[i]);
        cx += px[i] / static_cast<float>(n);
        cy += py[i] / static_cast<float>(n);
    }
    f.iNumEdges = n;
    for (int i = 0; i < n; ++i)
    {
        const int j = (i + 1) % n;
        float a = py[i] - py[j], b = px[j] - px[i];
        const float edge = std::sqrt(a * a + b * b);
        if (!(edge > 1.0f))
            return false;
        a /= edge;
        b /= edge;
        float c = -(a * px[i] + b * py[i]);
        if (a * cx + b * cy + c < 0.0f)
        {
            a = -a;
            b = -b;
            c = -c;
        }
        c -= kEdgePixels;
        // Too narrow to hide anything after the margin.
        if (!(a * cx + b * cy + c > 0.0f))
            return false;
        f.afEdge[i][0] = a;
        f.afEdge[i][1] = b;
        f.afEdge[i][2] = c;
    }
    *out = f;
    return true;
}

namespace
{
// A convex outline on the screen, in pixels.
struct Outline
{
    static const int kMax = 16;
    int n = 0;
    float x[kMax], y[kMax];
};

// The part of in where a x + b y + c >= 0; false when it has too many corners.
bool Clip(const Outline& in, float a, float b, float c, Outline* out)
{
    out->n = 0;
    for (int i = 0; i < in.n; ++i)
    {
        const int j = (i + 1) % in.n;
        const float di = a * in.x[i] + b * in.y[i] + c, dj = a * in.x[j] + b * in.y[j] + c;
        if (di >= 0.0f)
        {
            if (out->n == Outline::kMax)
                return false;
            out->x[out->n] = in.x[i];
            out->y[out->n++] = in.y[i];
        }
        if ((di >= 0.0f) != (dj >= 0.0f))
        {
            if (out->n == Outline::kMax)
                return false;
            const float t = di / (di - dj);
            out->x[out->n] = in.x[i] + t * (in.x[j] - in.x[i]);
            out->y[out->n++] = in.y[i] + t * (in.y[j] - in.y[i]);
        }
    }
    return true;
}

float Area(const Outline& o)
{
    float twice = 0.0f;
    for (int i = 0; i < o.n; ++i)
    {
        const int j = (i + 1) % o.n;
        twice += o.x[i] * o.y[j] - o.x[j] * o.y[i];
    }
    return std::fabs(twice) * 0.5f;
}

// The convex hull of n points (monotone chain), n at most Outline::kMax.
Outline Hull(const float* px, const float* py, int n)
{
    int order[Outline::kMax];
    for (int i = 0; i < n; ++i)
        order[i] = i;
    std::sort(order, order + n, [px, py](int i, int j) { return px[i] < px[j] || (px[i] == px[j] && py[i] < py[j]); });
    auto turn = [px, py](int o, int a, int b) {
        return (px[a] - px[o]) * (py[b] - py[o]) - (py[a] - py[o]) * (px[b] - px[o]);
    };
    int hull[2 * Outline::kMax], k = 0;
    for (int i = 0; i < n; ++i)
    {
        while (k >= 2 && turn(hull[k - 2], hull[k - 1], order[i]) <= 0.0f)
            --k;
        hull[k++] = order[i];
    }
    for (int i = n - 2, lower = k + 1; i >= 0; --i)
    {
        while (k >= lower && turn(hull[k - 2], hull[k - 1], order[i]) <= 0.0f)
            --k;
        hull[k++] = order[i];
    }
    Outline o;
    for (int i = 0; i + 1 < k; ++i)
    {
        o.x[o.n] = px[hull[i]];
        o.y[o.n++] = py[hull[i]];
    }
    return o;
}
}  // namespace

bool aeOcclusion::Hides(const Vector3& boxMin, const Vector3& boxMax) const
{
    if (m_iNumFaces == 0)
        return false;
    // What of the box can show: its part beyond the near plane (taken a
    // little nearer, to be safe), the corners there and where its edges
    // cross the plane.
    Vector3 corner[8];
    for (int i = 0; i < 8; ++i)
        corner[i] = Vector3TransformCoords(BoxCorner(boxMin, boxMax, i), m_View, nullptr);
    const float cut = m_fNear * 0.99f;
    Vector3 v[Outline::kMax];
    int n = 0;
    for (int i = 0; i < 8; ++i)
    {
        if (corner[i].z >= cut)
            v[n++] = corner[i];
        for (int axis = 1; axis < 8; axis <<= 1)
        {
            const int j = i | axis;
            if (j == i || (corner[i].z >= cut) == (corner[j].z >= cut))
                continue;
            v[n++] = AtDepth(corner[i], corner[j], cut);
        }
    }
    if (n < 3)
        return false;
    float px[Outline::kMax], py[Outline::kMax], margin[Outline::kMax];
    for (int i = 0; i < n; ++i)
    {
        if (!std::isfinite(v[i].x) || !std::isfinite(v[i].y) || !std::isfinite(v[i].z))
            return false;
        ToPixels(v[i], &px[i], &py[i]);
        margin[i] = DepthMargin(v[i].z);
    }
    // Every point of the box's outline on the screen must lie inside some
    // face that the whole box lies behind: what is left of the outline after
    // taking away one such face after the other, in convex pieces, must
    // come to nothing.
    int candidates[kMaxFaces], numCandidates = 0;
    for (int k = 0; k < m_iNumFaces; ++k)
    {
        const Face& f = m_aFaces[k];
        bool behind = true;
        for (int i = 0; i < n && behind; ++i)
            behind = Vector3Dot(f.vNormal, v[i]) + f.fOffset >= margin[i];
        if (behind)
            candidates[numCandidates++] = k;
    }
    // Only what lies on the screen can show: the outline is cut to the
    // viewport and the margin around it.
    Outline hull = Hull(px, py, n), cutOut;
    const float edge = kEdgePixels;
    const float sides[4][3] = {{1, 0, edge}, {-1, 0, m_fWidth + edge}, {0, 1, edge}, {0, -1, m_fHeight + edge}};
    for (const auto& side : sides)
    {
        if (!Clip(hull, side[0], side[1], side[2], &cutOut))
            return false;
        hull = cutOut;
    }
    if (hull.n < 3 || Area(hull) <= 1e-6f)
        return true;  // nothing of it on the screen
    // Each corner of the outline must lie inside one of them at least.
    for (int i = 0; i < hull.n; ++i)
    {
        bool inside = false;
        for (int c = 0; c < numCandidates && !inside; ++c)
        {
            const Face& f = m_aFaces[candidates[c]];
            inside = true;
            for (int e = 0; e < f.iNumEdges && inside; ++e)
                inside = f.afEdge[e][0] * hull.x[i] + f.afEdge[e][1] * hull.y[i] + f.afEdge[e][2] >= 0.0f;
        }
        if (!inside)
            return false;
    }
    static const int kMaxPieces = 24;
    Outline pieces[kMaxPieces], next[kMaxPieces];
    pieces[0] = hull;
    int count = 1;
    for (int c = 0; c < numCandidates && count > 0; ++c)
    {
        const Face& f = m_aFaces[candidates[c]];
        int left = 0;
        for (int p = 0; p < count; ++p)
        {
            Outline rest = pieces[p];
            for (int e = 0; e < f.iNumEdges && rest.n >= 3; ++e)
            {
                const float a = f.afEdge[e][0], b = f.afEdge[e][1], d = f.afEdge[e][2];
                Outline outside, inside;
                if (!Clip(rest, -a, -b, -d, &outside) || !Clip(rest, a, b, d, &inside))
                    return false;
                if (outside.n >= 3 && Area(outside) > 1e-6f)
                {
                    if (left == kMaxPieces)
                        return false;
                    next[left++] = outside;
                }
                rest = inside;
            }
        }
        for (int p = 0; p < left; ++p)
            pieces[p] = next[p];
        count = left;
    }
    return count == 0;
}
