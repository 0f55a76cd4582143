#pragma once
// Builders for model and animation files (through the content tools' own
// conversions, so the tests read real files), and small helpers.

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Engine.h"
#include "aeGrafik.h"
#include "aeIndexBuffer.h"
#include "aeTextureManager.h"
#include "aeVertexBuffer.h"
#include "TestSupport.h"

#include "RanimText.h"
#include "RvmText.h"

namespace restest
{
inline rvmtext::Material Mat(int transparent, Color color = Color(1.0f, 1.0f, 1.0f, 1.0f), const std::string& texture = "")
{
    rvmtext::Material m;
    m.transparent = transparent;
    std::memcpy(m.color, &color, sizeof(m.color));
    m.texture = texture;
    return m;
}

inline rvmtext::Triangle Tri(int a, int b, int c, int material)
{
    return rvmtext::Triangle{{static_cast<uint16_t>(a), static_cast<uint16_t>(b), static_cast<uint16_t>(c)}, material};
}

// numVertices vertices on a line, one material per entry of `materials`
// (opaque white unless given), one triangle per entry of `triangleMaterials`
// using vertices (i, i+1, i+2) modulo the vertex count.
inline rvmtext::Model Strip(int numMaterials, const std::vector<int>& triangleMaterials, int numVertices = 8)
{
    rvmtext::Model m;
    for (int i = 0; i < numMaterials; ++i)
        m.materials.push_back(Mat(0));
    for (int i = 0; i < numVertices; ++i)
        m.vertices.push_back(rvmtext::Vertex{static_cast<float>(i), 0.0f, 0.0f, 0.0f, 0.0f});
    for (size_t i = 0; i < triangleMaterials.size(); ++i)
    {
        const int a = static_cast<int>(i) % numVertices;
        m.triangles.push_back(Tri(a, (a + 1) % numVertices, (a + 2) % numVertices, triangleMaterials[i]));
    }
    return m;
}

// A square from (x1, y1) to (x2, y2) at depth z with the given material.
inline void AddSquare(rvmtext::Model* m, float x1, float y1, float x2, float y2, float z, int material)
{
    const int base = static_cast<int>(m->vertices.size());
    m->vertices.push_back(rvmtext::Vertex{x1, y1, z, 0.0f, 1.0f});
    m->vertices.push_back(rvmtext::Vertex{x1, y2, z, 0.0f, 0.0f});
    m->vertices.push_back(rvmtext::Vertex{x2, y2, z, 1.0f, 0.0f});
    m->vertices.push_back(rvmtext::Vertex{x2, y1, z, 1.0f, 1.0f});
    m->triangles.push_back(Tri(base, base + 1, base + 2, material));
    m->triangles.push_back(Tri(base, base + 2, base + 3, material));
}

// A box from lo to hi, four corners of its own per face, wound clockwise seen
// from outside as the content tools make it (inward: the other way). The
// bits of `leave` drop faces: -z, +z, -x, +x, +y, -y.
inline void AddBox(rvmtext::Model* m, Vector3 lo, Vector3 hi, int material, unsigned leave = 0, bool inward = false)
{
    const float x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
    const float faces[6][4][3] = {{{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}},
                                  {{x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1}},
                                  {{x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}},
                                  {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}},
                                  {{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}},
                                  {{x0, y0, z1}, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}}};
    for (unsigned f = 0; f < 6; ++f)
    {
        if (leave & (1u << f))
            continue;
        const int base = static_cast<int>(m->vertices.size());
        for (const auto& c : faces[f])
            m->vertices.push_back(rvmtext::Vertex{c[0], c[1], c[2], 0.0f, 0.0f});
        m->triangles.push_back(inward ? Tri(base, base + 2, base + 1, material) : Tri(base, base + 1, base + 2, material));
        m->triangles.push_back(inward ? Tri(base, base + 3, base + 2, material) : Tri(base, base + 2, base + 3, material));
    }
}

inline ranimtext::KeyFrame Key(float time, int visible, Vector3 position = Vector3(0.0f, 0.0f, 0.0f),
                               Vector3 rotation = Vector3(0.0f, 0.0f, 0.0f), Vector3 scale = Vector3(1.0f, 1.0f, 1.0f))
{
    ranimtext::KeyFrame k;
    k.time = time;
    k.visible = visible;
    std::memcpy(k.position, &position, sizeof(k.position));
    std::memcpy(k.rotation, &rotation, sizeof(k.rotation));
    std::memcpy(k.scale, &scale, sizeof(k.scale));
    return k;
}

inline ranimtext::Object Obj(const std::string& name, int type, const std::vector<ranimtext::KeyFrame>& keys)
{
    return ranimtext::Object{type, name, keys};
}

inline std::string Bytes(const rvmtext::Model& m) { return rvmtext::ToBinary(m); }
inline std::string Bytes(const ranimtext::Animation& a) { return ranimtext::ToBinary(a); }

// An int32 patched into a byte string.
inline std::string Patch(std::string bytes, size_t at, int32_t value)
{
    std::memcpy(&bytes[at], &value, 4);
    return bytes;
}

inline VFile File(const std::string& bytes)
{
    return VFile(bytes.data(), static_cast<int>(bytes.size()));
}

// A ZIP archive of stored entries, as the data directories hold them.
inline std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string out;
    for (const auto& [name, data] : entries)
    {
        std::string h(30, '\0');
        auto put16 = [&](size_t at, uint32_t v) { h[at] = char(v & 0xFF); h[at + 1] = char((v >> 8) & 0xFF); };
        put16(0, 0x4B50);
        put16(2, 0x0403);
        put16(4, 10);
        put16(18, static_cast<uint32_t>(data.size()));
        put16(22, static_cast<uint32_t>(data.size()));
        put16(26, static_cast<uint32_t>(name.size()));
        out += h + name + data;
    }
    return out + std::string("PK\x01\x02", 4) + std::string(42, '\0');
}

inline void ExpectMatrixNear(const Matrix& a, const Matrix& b, float eps = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << "row " << r << " column " << c;
}

// Managers of this kind keep static state; each test starts and ends clean.
class ResourceTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        aeAnimationManager::Exit();
        aeModelManager::Exit();
        aeTextureManager::Exit();
    }
};
}
