// Models without a device: the RVM reader with its material runs and its
// refusals of broken files, the pass filters, and the model registry.

#include "ResourceTestUtil.h"

#include <functional>

using namespace restest;

namespace
{
// Reads a file the way Init does, without creating buffers.
struct ReadModel
{
    explicit ReadModel(const std::string& bytes) : file(File(bytes)) { result = model.Read(&file, &vertices, &indices); }
    VFile file;
    aeModel model;
    DynArray<aeRVMVertex> vertices;
    DynArray<unsigned short> indices;
    int result = 0;
};

class ModelFile : public ResourceTest {};
}

TEST_F(ModelFile, WrongMagicVersionCountsAndIndicesAreRefused)
{
    rvmtext::Model base = Strip(2, {0, 1}, 4);
    base.materials[1].texture = "tex";
    const std::string good = Bytes(base);
    // Offsets: M at 4, material 0 at 8 (44 bytes), material 1 at 52 with its
    // name length at 92 and name at 96, V at 99, vertices at 103, T at 183,
    // triangles at 187.
    ASSERT_EQ(good.size(), 207u);
    rvmtext::Model badVertex = base;
    badVertex.triangles[1].index[2] = 4;
    rvmtext::Model badMaterial = base;
    badMaterial.triangles[0].material = 2;
    rvmtext::Model negativeMaterial = base;
    negativeMaterial.triangles[1].material = -1;
    std::string longName = Patch(good, 92, 256);
    longName.insert(96, std::string(253, 'x'));
    const std::pair<std::string, const char*> cases[] = {
        {Patch(good, 4, -1), "Ungültige Materialanzahl -1"},
        {Patch(good, 4, 0x7FFFFFFF), "Ungültige Materialanzahl"},
        {Patch(good, 4, 5), "Ungültige Materialanzahl 5"},
        {longName, "Ungültige Länge 256 des Texturnamens"},
        {Patch(good, 92, 200), "Ungültige Länge 200 des Texturnamens"},
        {Patch(good, 99, -4), "Ungültige Vertexanzahl -4"},
        {Patch(good, 99, 1 << 28), "Ungültige Vertexanzahl"},
        {Patch(good, 183, -1), "Ungültige Dreiecksanzahl -1"},
        {Patch(good, 183, 3), "Ungültige Dreiecksanzahl 3"},
        {Bytes(badVertex), "verweist auf den Vertex 4, die Datei hat aber nur 4 Vertices!"},
        {Bytes(badMaterial), "verweist auf das Material 2, die Datei hat aber nur 2 Materialien!"},
        {Bytes(negativeMaterial), "verweist auf das Material -1"},
        {"rvm" + good.substr(3), "Falscher FourC-Code!"},
        {"RVN" + good.substr(3), "Falscher FourC-Code!"},
        {"RV", "Falscher FourC-Code!"},
        {good.substr(0, 3) + '\x01' + good.substr(4), "Nicht unterstützte Dateiversion!"},
    };
    for (const auto& [bytes, message] : cases)
    {
        test::LogCapture log;
        EXPECT_EQ(ReadModel(bytes).result, 0) << message;
        EXPECT_TRUE(log.Contains(message)) << message << "\n" << log.Text();
        VFile file = File(bytes);
        EXPECT_EQ(aeModelManager::AddModel(&file, "bad.rvm", nullptr), 0);
    }
    EXPECT_EQ(aeModelManager::GetNumModels(), 0);
}

TEST_F(ModelFile, EveryShortenedFileAndEveryBadParameterIsRefused)
{
    rvmtext::Model m = Strip(2, {0, 0, 1}, 5);
    m.materials[0].texture = "wall.png";
    const std::string good = Bytes(m);
    test::LogCapture log;
    for (size_t n = 0; n < good.size(); ++n)
    {
        ReadModel r(good.substr(0, n));
        EXPECT_EQ(r.result, 0) << n << " bytes";
    }
    // The whole file reads to its end; a missing texture is reported and the
    // model stays untextured.
    aeTextureManager::Init();
    ReadModel whole(good);
    ASSERT_EQ(whole.result, 1);
    EXPECT_EQ(whole.model.GetNumIndices(), 9);
    EXPECT_EQ(whole.model.GetNumVertices(), 5);
    EXPECT_EQ(whole.file.GetRemaining(), 0);
    EXPECT_STREQ(whole.model.GetMaterial(0)->acTextureName, "wall.png");
    EXPECT_EQ(whole.model.GetMaterial(0)->pTexture, nullptr);
    EXPECT_TRUE(log.Contains("Die Textur wall.png konnte nicht gefunden werden!"));
    // A material coming back keeps only its last run, but its highest vertex
    // counts every triangle it ever had.
    ReadModel runs(Bytes(Strip(2, {0, 1, 0})));
    EXPECT_EQ(runs.model.GetMaterial(0)->iFirstIndex, 6);
    EXPECT_EQ(runs.model.GetMaterial(0)->iNumTriangles, 1);
    EXPECT_EQ(runs.model.GetMaterial(0)->iHighestVertex, 4);
    // A negative name length means "no texture" and is no fault.
    rvmtext::Model negative = Strip(1, {0});
    negative.materials[0].negativeLength = -7;
    ReadModel r(Bytes(negative));
    EXPECT_EQ(r.result, 1);
    EXPECT_STREQ(r.model.GetMaterial(0)->acTextureName, "");

    // Init and AddModel check their parameters.
    aeModel model;
    const std::string bytes = Bytes(Strip(1, {}, 0));
    VFile file = File(bytes);
    EXPECT_EQ(model.Init(nullptr, "x"), 0);
    EXPECT_EQ(model.Init(&file, nullptr), 0);
    EXPECT_EQ(aeModelManager::AddModel(nullptr, "x", nullptr), 0);
    EXPECT_EQ(aeModelManager::AddModel(&file, nullptr, nullptr), 0);
    EXPECT_EQ(aeModelManager::AddModelArchive(nullptr), 0);
    EXPECT_TRUE(log.Contains("Funktion: aeModel::Init Beschreibung: Der Funktion wurden ungültige Parameter übergeben!"));
    EXPECT_TRUE(log.Contains("Funktion: aeModelManager::AddModel Beschreibung: Der Funktion wurden ungültige Parameter"));
    // Vertices need the graphics device.
    const std::string withVertices = Bytes(Strip(1, {0}));
    VFile vfile = File(withVertices);
    EXPECT_EQ(model.Init(&vfile, "x.rvm"), 0);
    EXPECT_TRUE(log.Contains("Das Grafikgerät wurde noch nicht initialisiert!"));
}

// The drawing tests see opaque, blended and faded materials in their passes;
// these are the cases no picture shows.
TEST(ModelPass, OddPassesAndAlphasAboveOne)
{
    aeModelMaterial opaque = {};
    aeModelMaterial blended = {};
    blended.iTransparent = 7;
    EXPECT_EQ(aeModel::IsInPass(&blended, 5), 1);
    EXPECT_EQ(aeModel::IsInPassEx(&opaque, Color(1.0f, 1.0f, 1.0f, 0.5f), AE_RENDER_ALL), 1);
    EXPECT_EQ(aeModel::IsInPassEx(&opaque, Color(1.0f, 0.5f, 0.5f, 1.0f), AE_RENDER_TRANSPARENT), 0);
    // An alpha above 1 counts as opaque and, not being exactly 1, as transparent too.
    const Color over(1.0f, 1.0f, 1.0f, 2.0f);
    EXPECT_EQ(aeModel::IsInPassEx(&opaque, over, AE_RENDER_OPAQUE), 1);
    EXPECT_EQ(aeModel::IsInPassEx(&opaque, over, AE_RENDER_TRANSPARENT), 1);
}

TEST(ModelShape, OpaqueParallelogramsOfTwoTrianglesAreFacesAndTheBoxHoldsEveryVertex)
{
    rvmtext::Model m;
    m.materials = {Mat(0), Mat(1)};
    AddSquare(&m, -10.0f, -14.0f, 10.0f, 14.0f, -1.0f, 0);  // a face
    // A kite (two triangles on one side, corners not mirrored) and two
    // triangles with only a corner in common: no faces.
    const int base = static_cast<int>(m.vertices.size());
    for (const auto& [x, y] : std::vector<std::pair<float, float>>{{0, 0}, {2, 0}, {0, 2}, {3, 3}, {-2, 0}, {0, -2}})
        m.vertices.push_back(rvmtext::Vertex{x, y, 5.0f, 0.0f, 0.0f});
    m.triangles.push_back(Tri(base, base + 1, base + 2, 0));
    m.triangles.push_back(Tri(base + 1, base + 3, base + 2, 0));
    m.triangles.push_back(Tri(base, base + 4, base + 5, 0));
    m.triangles.push_back(Tri(base, base + 2, base + 3, 0));
    AddSquare(&m, 0.0f, 0.0f, 4.0f, 4.0f, 3.0f, 1);  // transparent: no face
    ReadModel read(Bytes(m));
    ASSERT_EQ(read.result, 1);
    const aeModelShape& shape = read.model.GetShape();
    ASSERT_TRUE(shape.bHasBounds);
    EXPECT_EQ(shape.vMin, Vector3(-10.0f, -14.0f, -1.0f));
    EXPECT_EQ(shape.vMax, Vector3(10.0f, 14.0f, 5.0f));
    ASSERT_EQ(shape.aFaces.size(), 1u);
    const aeModelFace& f = shape.aFaces[0];
    EXPECT_EQ(f.vCorner, Vector3(-10.0f, 14.0f, -1.0f));  // the corner the shared diagonal leaves out
    EXPECT_EQ(f.vCorner + f.vSide1 + f.vSide2, Vector3(10.0f, -14.0f, -1.0f));
    EXPECT_FALSE(shape.bUnbounded);

    // A vertex that is no number leaves the model without a box.
    m.vertices[0].x = NAN;
    ReadModel broken(Bytes(m));
    ASSERT_EQ(broken.result, 1);
    EXPECT_TRUE(broken.model.GetShape().bUnbounded);
    EXPECT_FALSE(broken.model.GetShape().bHasBounds);
}

TEST(ModelShape, ClosedOpaquePiecesAndTheWindingOfTheirBacksOnTheScreen)
{
    const Vector3 lo(-1.0f, -1.0f, 2.0f), hi(1.0f, 1.0f, 4.0f);
    const struct
    {
        const char* what;
        std::function<void(rvmtext::Model*)> build;
        bool closed, clockwise;
    } cases[] = {
        {"box", [&](rvmtext::Model* m) { AddBox(m, lo, hi, 0); }, true, true},
        {"box wound inwards", [&](rvmtext::Model* m) { AddBox(m, lo, hi, 0, 0, true); }, true, false},
        {"box without its back", [&](rvmtext::Model* m) { AddBox(m, lo, hi, 0, 2); }, false, false},
        {"box with one face turned over",
         [&](rvmtext::Model* m) {
             AddBox(m, lo, hi, 0, 1);
             AddBox(m, lo, hi, 0, 0x3E, true);
         },
         false, false},
        {"door frame: three boxes, two sides shared by two of them",
         [&](rvmtext::Model* m) {
             AddBox(m, Vector3(-10, -14, -1.5f), Vector3(-6, 14, 1.5f), 0);
             AddBox(m, Vector3(6, -14, -1.5f), Vector3(10, 14, 1.5f), 0);
             AddBox(m, Vector3(-6, 6, -1.5f), Vector3(6, 14, 1.5f), 0);
         },
         true, true},
        {"one box outwards, one inwards",
         [&](rvmtext::Model* m) {
             AddBox(m, lo, hi, 0);
             AddBox(m, lo + Vector3(5, 0, 0), hi + Vector3(5, 0, 0), 0, 0, true);
         },
         false, false},
        {"a square drawn from both sides holds no volume",
         [&](rvmtext::Model* m) {
             AddBox(m, lo, Vector3(hi.x, hi.y, lo.z), 0, 0x3E);
             AddBox(m, lo, Vector3(hi.x, hi.y, lo.z), 0, 0x3E, true);
         },
         false, false},
        {"transparent box", [&](rvmtext::Model* m) { AddBox(m, lo, hi, 1); }, false, false},
        {"box, an open transparent square and a triangle without area",
         [&](rvmtext::Model* m) {
             AddBox(m, lo, hi, 0);
             m->triangles.push_back(Tri(0, 0, 1, 0));
             AddSquare(m, -3.0f, -3.0f, 3.0f, 3.0f, 1.0f, 1);
         },
         true, true},
    };
    for (const auto& c : cases)
    {
        rvmtext::Model m;
        m.materials = {Mat(0), Mat(1)};
        c.build(&m);
        ReadModel read(Bytes(m));
        ASSERT_EQ(read.result, 1) << c.what;
        EXPECT_EQ(read.model.GetShape().bClosed, c.closed) << c.what;
        if (c.closed)
        {
            EXPECT_EQ(read.model.GetShape().bClockwise, c.clockwise) << c.what;
        }
    }

    // Through the game's projection from the origin along +Z, the backs of
    // a clockwise box turn counterclockwise (-1), mirrored clockwise (1).
    rvmtext::Model m;
    m.materials = {Mat(0)};
    AddBox(&m, lo, hi, 0);
    ReadModel box(Bytes(m));
    const aeModelShape& shape = box.model.GetShape();
    const Matrix projection = MatrixProjection(1.2217305f, 4.0f / 3.0f, 0.1f, 200.0f);
    const struct
    {
        const char* what;
        Matrix world;
        int winding;
    } views[] = {
        {"ahead", MatrixIdentity(), -1},
        {"mirrored", MatrixScaling(Vector3(-1, 1, 1)), 1},
        {"turned and moved", MatrixRotationY(0.3f) * MatrixTranslation(Vector3(0.5f, 0.2f, 3.0f)), -1},
        {"around the eye", MatrixTranslation(Vector3(0, 0, -3)), 0},
        {"in the near plane's window", MatrixTranslation(Vector3(0, 0, -1.95f)), 0},
        // Beside the eye and reaching behind it, clear of the window: the
        // walls of the field the eye stands in.
        {"beside the eye", MatrixScaling(Vector3(1, 1, 5)) * MatrixTranslation(Vector3(3, 0, -15)), -1},
        {"flattened", MatrixScaling(Vector3(1, 1, 0)), 0},
    };
    for (const auto& v : views)
        EXPECT_EQ(shape.BackWinding(v.world * projection), v.winding) << v.what;
    m.triangles.pop_back();
    ReadModel open(Bytes(m));
    EXPECT_EQ(open.model.GetShape().BackWinding(projection), 0);
}
