// The model and animation tools: binary -> text -> binary round trips,
// hand-written text, refusals and the checks.

#include "ResourceTestUtil.h"

#include <random>

using namespace restest;

namespace
{
// Binary -> text -> binary through the tool's namespace (rvmtext or ranimtext).
template <class Format>
std::string RoundTrip(const std::string& bytes)
{
    Format file, back;
    std::string error;
    EXPECT_TRUE(FromBinary(bytes, &file, &error)) << error;
    const std::string text = ToText(file);
    EXPECT_TRUE(FromText(text, &back, &error)) << error << "\n" << text;
    return ToBinary(back);
}

float Bits(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// Awkward names: Windows-1252 letters, quotes, backslashes, control and
// unassigned bytes, a '#' that is no comment.
const std::string kAwkward = std::string("T\xFCr \"alt\"\\#1\x01\x81\x7F.png");
}

TEST(RvmTool, AwkwardModelsComeBackByteForByte)
{
    rvmtext::Model m = Strip(3, {2, 0, 0, 1, 2}, 5);
    m.materials[0].texture = kAwkward;
    m.materials[1].negativeLength = -3;
    m.materials[2].texture = std::string(255, 'x');
    m.materials[2].power = Bits(0x7FC00001); // a NaN with payload
    m.materials[2].color[0] = -0.0f;
    m.materials[2].specular[3] = INFINITY;
    m.vertices[1].u = 1e-45f;
    m.vertices[2].v = 0.1f;
    m.vertices[3].x = -3.4028235e38f;
    m.triangles[1].index[0] = 65535; // faults are kept, too
    m.triangles[2].material = -9;
    m.version = 7;
    m.trailing = std::string("\0\xFFz", 3);
    const std::string bytes = Bytes(m);
    EXPECT_EQ(RoundTrip<rvmtext::Model>(bytes), bytes);
    EXPECT_EQ(RoundTrip<rvmtext::Model>(Bytes(rvmtext::Model())), Bytes(rvmtext::Model()));

    std::mt19937 random(17);
    for (int round = 0; round < 50; ++round)
    {
        rvmtext::Model r;
        for (uint32_t i = random() % 4; i > 0; --i)
        {
            rvmtext::Material mat;
            mat.transparent = static_cast<int32_t>(random());
            mat.power = Bits(random());
            for (float& c : mat.color)
                c = Bits(random());
            for (float& c : mat.specular)
                c = Bits(random());
            for (uint32_t n = random() % 20; n > 0; --n)
                mat.texture += static_cast<char>(random());
            r.materials.push_back(mat);
        }
        for (uint32_t i = random() % 10; i > 0; --i)
            r.vertices.push_back(rvmtext::Vertex{Bits(random()), Bits(random()), Bits(random()), Bits(random()), Bits(random())});
        for (uint32_t i = random() % 10; i > 0; --i)
            r.triangles.push_back(Tri(random() & 0xFFFF, random() & 0xFFFF, random() & 0xFFFF, static_cast<int>(random())));
        const std::string b = Bytes(r);
        ASSERT_EQ(RoundTrip<rvmtext::Model>(b), b) << "round " << round;
    }
}

TEST(RvmTool, HandWrittenTextBuildsTheModelAndCheckNamesFaults)
{
    const std::string text = test::U8(u8R"(# a wall
version 0
material 0 transparent 0 power 0 color 1 1 1 1 specular 0 0 0 0 texture "Mauer_grün.png"
material 1 transparent 1 power 8 color 1 0.5 0.25 0.5 specular 1 1 1 1 texture ""   # glass
vertex 0 -10 0 0 uv 0 1
vertex 1 -10 10 0 uv 0 0
vertex 2 10 10 0 uv 1 0
triangle 0 1 2 material 0
triangle 2 1 0 material 1
)");
    rvmtext::Model m;
    std::string error;
    ASSERT_TRUE(rvmtext::FromText(text, &m, &error)) << error;
    EXPECT_EQ(m.materials[0].texture, "Mauer_gr\xFCn.png");
    const std::string bytes = rvmtext::ToBinary(m);
    ASSERT_EQ(bytes.size(), 8u + 44 + 14 + 44 + 4 + 60 + 4 + 20);

    // Each value lands in its field.
    const rvmtext::Material& glass = m.materials[1];
    EXPECT_EQ(std::vector<float>(glass.color, glass.color + 4), (std::vector<float>{1.0f, 0.5f, 0.25f, 0.5f}));
    EXPECT_EQ(glass.power, 8.0f);
    EXPECT_EQ(m.triangles[1].material, 1);
    EXPECT_EQ(m.triangles[1].index[0], 2);
    EXPECT_EQ(m.vertices[1].y, 10.0f);
    EXPECT_EQ(m.vertices[0].v, 1.0f);

    std::string report;
    EXPECT_TRUE(rvmtext::Check(m, &report)) << report;

    // Check names what the engine refuses or splits.
    m = Strip(2, {0, 1, 0}, 3);
    m.triangles[1].index[1] = 3;
    m.triangles[2].material = 2;
    m.version = 1;
    m.trailing = "x";
    EXPECT_FALSE(rvmtext::Check(m, &report));
    EXPECT_NE(report.find("Fehler: Version 1"), std::string::npos) << report;
    EXPECT_NE(report.find("Fehler: Dreieck 1 verweist auf den Vertex 3"), std::string::npos) << report;
    EXPECT_NE(report.find("Fehler: Dreieck 2 verweist auf das Material 2"), std::string::npos) << report;
    EXPECT_NE(report.find("Warnung: 1 Bytes nach"), std::string::npos) << report;
    EXPECT_FALSE(rvmtext::Check(Strip(2, {0, 1, 0}), &report));
    EXPECT_NE(report.find("Materials 0 stehen in 2 Abschnitten"), std::string::npos) << report;
}

TEST(RvmTool, BrokenTextAndFilesAreNamed)
{
    const std::pair<const char*, const char*> texts[] = {
        {"material 1 transparent 0 power 0 color 1 1 1 1 specular 0 0 0 0 texture \"\"", "Zeile 1: Die Materialien"},
        {"\nvertex 0 1 2 uv 3 4", "Zeile 2: Erwartet: vertex"},
        {"triangle 0 1 70000 material 0", "Vertexindex von 0 bis 65535"},
        {"version 256", "Version von 0 bis 255"},
        {"material 0 transparent 0 power 0 color 1 1 1 1 specular 0 0 0 0 texture 3", "Länge <= 0"},
        {"material 0 transparent 0 power x color 1 1 1 1 specular 0 0 0 0 texture \"\"", "Zahl erwartet: x"},
        {"vertices 3", "Unbekannte oder unvollständige Angabe"},
        {"trailing ABC", "Ungerade Anzahl"},
    };
    for (const auto& [text, expected] : texts)
    {
        rvmtext::Model m;
        std::string error;
        EXPECT_FALSE(rvmtext::FromText(text, &m, &error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }

    rvmtext::Model named = Strip(1, {0});
    named.materials[0].texture = "a.png";
    const std::string good = Bytes(named);
    rvmtext::Model m;
    std::string error;
    EXPECT_FALSE(rvmtext::FromBinary("rvm" + good.substr(3), &m, &error));
    EXPECT_FALSE(rvmtext::FromBinary(Patch(good, 4, -1), &m, &error));
    EXPECT_FALSE(rvmtext::FromBinary(Patch(good, 48, 256), &m, &error));
    EXPECT_NE(error.find("256 Bytes"), std::string::npos) << error;
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(rvmtext::FromBinary(good.substr(0, n), &m, &error)) << n;
}

TEST(RanimTool, AwkwardAnimationsComeBackByteForByte)
{
    ranimtext::Animation a;
    a.duration = Bits(0xFFC00000);
    a.objects.push_back(Obj(kAwkward, -4, {Key(-0.0f, 7, Vector3(1e-40f, 2, 3)), Key(1.0f, 0)}));
    a.objects.push_back(Obj("", 3, {}));
    a.objects.push_back(Obj(std::string(255, 'y'), 1, {Key(0.3f, 1, Vector3(0, 0, 0), Vector3(3.14159274f, 0, 0))}));
    a.trailing = "RVAN";
    const std::string bytes = Bytes(a);
    EXPECT_EQ(RoundTrip<ranimtext::Animation>(bytes), bytes);

    std::mt19937 random(23);
    for (int round = 0; round < 50; ++round)
    {
        ranimtext::Animation r;
        r.duration = Bits(random());
        for (uint32_t i = random() % 4; i > 0; --i)
        {
            ranimtext::Object o;
            o.type = static_cast<int32_t>(random());
            for (uint32_t n = random() % 12; n > 0; --n)
                o.name += static_cast<char>(random());
            for (uint32_t k = random() % 4; k > 0; --k)
            {
                ranimtext::KeyFrame key;
                key.time = Bits(random());
                key.visible = static_cast<int32_t>(random());
                for (float* part : {key.position, key.rotation, key.scale})
                    for (int c = 0; c < 3; ++c)
                        part[c] = Bits(random());
                o.keys.push_back(key);
            }
            r.objects.push_back(o);
        }
        const std::string b = Bytes(r);
        ASSERT_EQ(RoundTrip<ranimtext::Animation>(b), b) << "round " << round;
    }
}

TEST(RanimTool, HandWrittenTextBuildsTheAnimation)
{
    const std::string text = R"(duration 2
object 0 type 3 name "tree.png"
key 0 visible 1 position 0 5 0 rotation 0 0 0 scale 10 10 1
key 1 visible 0 position 0 5 2 rotation 0 3.14159274 0 scale 10 10 1

object 1 type 0 name "door.rvm"   # no keys
)";
    ranimtext::Animation a;
    std::string error;
    ASSERT_TRUE(ranimtext::FromText(text, &a, &error)) << error;
    const std::string bytes = ranimtext::ToBinary(a);
    ASSERT_EQ(bytes.size(), 12u + 12 + 8 + 2 * 44 + 12 + 8);

    EXPECT_EQ(a.duration, 2.0f);
    ASSERT_EQ(a.objects.size(), 2u);
    const ranimtext::KeyFrame& k = a.objects[0].keys[1];
    EXPECT_EQ(k.time, 1.0f);
    EXPECT_EQ(k.visible, 0);
    EXPECT_EQ(Vector3(k.position), Vector3(0, 5, 2));
    EXPECT_EQ(k.rotation[1], 3.14159274f);
    EXPECT_EQ(Vector3(k.scale), Vector3(10, 10, 1));
    EXPECT_EQ(a.objects[1].name, "door.rvm");

    std::string report;
    EXPECT_FALSE(ranimtext::Check(a, &report));
    EXPECT_NE(report.find("Objekt 1 hat keine Schl\xFCsselbilder"), std::string::npos) << report;
}

TEST(RanimTool, BrokenTextAndFilesAreNamed)
{
    const std::pair<const char*, const char*> texts[] = {
        {"key 0 visible 1 position 0 0 0 rotation 0 0 0 scale 1 1 1", "erst object, dann key"},
        {"object 0 type 0 name \"a\"\nobject 2 type 0 name \"b\"", "Zeile 2: Die Objekte"},
        {"object 0 type 0 name \"a\"\nkey 0 visible 1 position 0 0 rotation 0 0 0 scale 1 1 1", "Zeile 2: Erwartet"},
        {"object 0 type 0 name \"a", "schließendes Anführungszeichen"},
        {"duration fast", "Zahl erwartet"},
    };
    for (const auto& [text, expected] : texts)
    {
        ranimtext::Animation a;
        std::string error;
        EXPECT_FALSE(ranimtext::FromText(text, &a, &error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
    ranimtext::Animation a;
    a.objects.push_back(Obj("abc", 0, {Key(0, 1)}));
    const std::string good = Bytes(a);
    std::string error;
    EXPECT_FALSE(ranimtext::FromBinary("RVAn" + good.substr(4), &a, &error));
    EXPECT_FALSE(ranimtext::FromBinary(Patch(good, 8, -1), &a, &error));
    EXPECT_FALSE(ranimtext::FromBinary(Patch(good, 16, -1), &a, &error));
    EXPECT_FALSE(ranimtext::FromBinary(Patch(good, 16, 256), &a, &error));
    EXPECT_FALSE(ranimtext::FromBinary(Patch(good, 23, -1), &a, &error));
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(ranimtext::FromBinary(good.substr(0, n), &a, &error)) << n;
}
