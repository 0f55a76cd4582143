// Animations without a device: the RVAN reader and its refusals, key-frame
// lookup and interpolation, the billboard orientations, name resolution, the
// player, and the built-in sprite model's bytes.

#include "ResourceTestUtil.h"

using namespace restest;

namespace
{
class AnimationFile : public ResourceTest
{
protected:
    // Loads an animation of the given objects into the manager.
    aeAnimation* Load(const std::vector<ranimtext::Object>& objects, float duration = 2.0f, const char* name = "a.ran")
    {
        ranimtext::Animation a;
        a.duration = duration;
        a.objects = objects;
        const std::string bytes = Bytes(a);
        VFile file = File(bytes);
        aeAnimation* out = nullptr;
        EXPECT_EQ(aeAnimationManager::AddAnimation(&file, name, &out), 1);
        return out;
    }
};

aeAnimObject* Object(const std::vector<ranimtext::KeyFrame>& keys, int type = 0)
{
    static aeAnimObject* s_pObject = nullptr;
    delete s_pObject;
    s_pObject = new aeAnimObject();
    ranimtext::Animation a;
    a.objects.push_back(Obj("thing", type, keys));
    const std::string bytes = Bytes(a);
    VFile file = File(bytes);
    file.Seek(12, 0);
    EXPECT_EQ(s_pObject->Init(&file), 1);
    return s_pObject;
}

const Matrix kIdentity = MatrixIdentity();
}

TEST_F(AnimationFile, ReadsObjectsAndKeyFramesInFileOrder)
{
    {
        // Without a device the manager runs without the sprite model.
        test::LogCapture log;
        EXPECT_EQ(aeAnimationManager::Init(), 1);
        EXPECT_EQ(aeAnimationManager::IsInitialized(), 1);
        EXPECT_EQ(aeAnimationManager::GetBasicSpriteModel(), nullptr);
        EXPECT_TRUE(log.Contains("Das Basis-Sprite-Modell konnte nicht geladen werden!"));
    }
    aeAnimation* a = Load({Obj("w\xE4nde.rvm", 3, {Key(0.0f, 1, Vector3(1, 2, 3), Vector3(4, 5, 6), Vector3(7, 8, 9)),
                                                   Key(1.0f, 0)}),
                           Obj("", 0, {})},
                          2.5f);
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->GetName(), "a.ran");
    EXPECT_EQ(a->GetTime(), 2.5f);
    ASSERT_EQ(a->GetNumObjects(), 2);
    aeAnimObject* o = a->GetObjectA(0);
    EXPECT_STREQ(o->GetName(), "w\xE4nde.rvm");
    EXPECT_EQ(o->GetType(), 3);
    ASSERT_EQ(o->GetNumKeyFrames(), 2);
    // File order position, rotation, scale; memory order scale, rotation, position.
    const aeKeyFrame k = o->GetKeyFrame(0);
    EXPECT_EQ(k.m_vPosition, Vector3(1, 2, 3));
    EXPECT_EQ(k.m_vRotation, Vector3(4, 5, 6));
    EXPECT_EQ(k.m_vScale, Vector3(7, 8, 9));
    EXPECT_EQ(k.m_bVisible, 1);
    EXPECT_EQ(o->GetKeyFrame(1).m_bVisible, 0);
    EXPECT_EQ(a->GetObjectA(1)->GetNumKeyFrames(), 0);
    // Neither a model nor a texture of that name: nothing to draw with.
    EXPECT_EQ(o->GetModel(), nullptr);
    EXPECT_EQ(o->GetSpriteTexture(), nullptr);
    // A device loss without the sprite model touches only the animations.
    aeAnimationManager::PrepareRestore();
    EXPECT_EQ(aeAnimationManager::Restore(), 1);
    aeAnimationManager::Exit();
    aeAnimationManager::Exit();
    EXPECT_EQ(aeAnimationManager::IsInitialized(), 0);
}

TEST_F(AnimationFile, MagicMustMatchAndUntrustedCountsAndLengthsAreRefused)
{
    aeAnimationManager::Init();
    ranimtext::Animation a;
    a.objects.push_back(Obj("abc", 1, {Key(0, 1), Key(1, 1)}));
    const std::string good = Bytes(a);
    // Offsets: N at 8, type at 12, name length at 16, name at 20, K at 23.
    ASSERT_EQ(good.size(), 27u + 2 * 44);
    std::string longName = Patch(good, 16, 256);
    longName.insert(20, std::string(253, 'n'));
    std::vector<std::pair<std::string, const char*>> cases = {
        {Patch(good, 8, -1), "Ungültige Objektanzahl"},
        {Patch(good, 8, 0x7FFFFFFF), "Ungültige Objektanzahl"},
        {Patch(good, 8, 2), "endet vorzeitig"},
        {Patch(good, 16, -1), "Ungültige Namenslänge -1"},
        {longName, "Ungültige Namenslänge 256"},
        {Patch(good, 16, 200), "Ungültige Namenslänge 200"},
        {Patch(good, 23, -2), "Ungültige Anzahl von Schlüsselbildern"},
        {Patch(good, 23, 3), "Ungültige Anzahl von Schlüsselbildern"},
        {Patch(good, 23, 1 << 30), "Ungültige Anzahl von Schlüsselbildern"},
    };
    // Each byte of the magic counts, in either case.
    for (size_t at = 0; at < 4; ++at)
        for (char c : {static_cast<char>(good[at] ^ 0x20), 'X'})
        {
            cases.emplace_back(good, "Falscher Four-Characters-Code!");
            cases.back().first[at] = c;
        }
    for (const auto& [bytes, message] : cases)
    {
        test::LogCapture log;
        VFile file = File(bytes);
        EXPECT_EQ(aeAnimationManager::AddAnimation(&file, "bad.ran", nullptr), 0) << message;
        EXPECT_TRUE(log.Contains(message)) << message << "\n" << log.Text();
    }
    test::LogCapture log;
    for (size_t n = 0; n < good.size(); ++n)
    {
        VFile file = File(good.substr(0, n));
        EXPECT_EQ(aeAnimationManager::AddAnimation(&file, "short.ran", nullptr), 0) << n << " bytes";
    }
    EXPECT_EQ(aeAnimationManager::GetNumAnimations(), 0);
    VFile file = File(good);
    EXPECT_EQ(aeAnimationManager::AddAnimation(&file, "good.ran", nullptr), 1);
}

TEST(AnimationKeyFrames, LookupTakesTheNearestQualifyingKeysInterpolatesAndAppliesTheWorld)
{
    // Unsorted keys, two with the same time, one beyond 1.1 and one below -0.1.
    aeAnimObject* o = Object({Key(0.6f, 1), Key(0.2f, 1), Key(1.2f, 1), Key(0.6f, 0), Key(-0.2f, 1), Key(1.05f, 1)});
    EXPECT_EQ(o->GetNextKeyFrame(0.3f), o->GetPrevKeyFrame(0.7f)); // key 0, first of the equal times
    EXPECT_EQ(o->GetNextKeyFrame(0.3f)->m_bVisible, 1);
    EXPECT_EQ(o->GetPrevKeyFrame(0.3f)->m_fTime, 0.2f);
    EXPECT_EQ(o->GetNextKeyFrame(0.2f)->m_fTime, 0.2f); // equal counts on both sides
    EXPECT_EQ(o->GetPrevKeyFrame(0.2f)->m_fTime, 0.2f);
    EXPECT_EQ(o->GetNextKeyFrame(0.9f)->m_fTime, 1.05f); // 1.2 does not count
    EXPECT_EQ(o->GetNextKeyFrame(1.05f)->m_fTime, 1.05f);
    EXPECT_EQ(o->GetNextKeyFrame(1.08f)->m_fTime, 0.6f); // nothing left below 1.1: key 0
    EXPECT_EQ(o->GetNextKeyFrame(1.08f), o->GetNextKeyFrame(2.0f));
    EXPECT_EQ(o->GetPrevKeyFrame(0.1f)->m_fTime, 0.6f); // -0.2 does not count: key 0

    // Interpolation and visibility.
    o = Object({Key(0.0f, 1, Vector3(0, 0, 0), Vector3(0, 0, 0), Vector3(1, 1, 1)),
                Key(1.0f, 0, Vector3(10, 20, 30), Vector3(0, 0, 0), Vector3(3, 3, 3))});
    Matrix m;
    ASSERT_EQ(o->GetWorldMatrix(0.25f, kIdentity, Vector3(0, 0, -10), Vector3(1, 0, 0), 1, &m), 1);
    ExpectMatrixNear(m, MatrixScaling(Vector3(1.5f, 1.5f, 1.5f)) * MatrixTranslation(Vector3(2.5f, 5, 7.5f)));
    // Drawn while the visible key is the nearer one; outside 0 to 1 or not a number: nothing.
    for (auto [t, drawn] : {std::pair{0.49f, 1}, {0.5f, 0}, {0.9f, 0}, {-0.01f, 0}, {1.01f, 0}, {std::nanf(""), 0},
                            {INFINITY, 0}})
        EXPECT_EQ(o->GetWorldMatrix(t, kIdentity, Vector3(0, 0, -10), Vector3(1, 0, 0), 1, &m), drawn) << t;

    // Keys closer than 0.001: the previous key alone, values and visibility.
    aeAnimObject* same = Object({Key(0.5f, 1, Vector3(1, 0, 0)), Key(0.5005f, 0, Vector3(9, 0, 0))});
    ASSERT_EQ(same->GetWorldMatrix(0.5002f, kIdentity, Vector3(0, 0, 0), Vector3(1, 0, 0), 1, &m), 1);
    EXPECT_FLOAT_EQ(m.m41, 1.0f);

    // Rotation angles interpolate one by one, without wrapping.
    aeAnimObject* turn = Object({Key(0.0f, 1, Vector3(0, 0, 0), Vector3(0, 0, 0)),
                                 Key(1.0f, 1, Vector3(0, 0, 0), Vector3(0, 3.0f, 0))});
    ASSERT_EQ(turn->GetWorldMatrix(0.5f, kIdentity, Vector3(0, 0, 0), Vector3(1, 0, 0), 1, &m), 1);
    ExpectMatrixNear(m, MatrixRotation(0, 1.5f, 0));

    // Scale, rotation, translation, then the world matrix.
    const Vector3 s(2, 3, 4), r(0.3f, -0.7f, 1.1f), p(5, -6, 7);
    o = Object({Key(0.0f, 1, p, r, s)});
    const Matrix world = MatrixRotationY(0.4f) * MatrixTranslation(Vector3(100, 0, -50));
    ASSERT_EQ(o->GetWorldMatrix(0.7f, world, Vector3(0, 0, 0), Vector3(1, 0, 0), 1, &m), 1);
    ExpectMatrixNear(m, MatrixScaling(s) * MatrixRotation(r.x, r.y, r.z) * MatrixTranslation(p) * world, 1e-4f);
    // One neutral key: exactly the world matrix. Unknown types are type 0.
    for (int type : {0, 5, -1})
    {
        aeAnimObject* plain = Object({Key(0.0f, 1)}, type);
        ASSERT_EQ(plain->GetWorldMatrix(0.0f, world, Vector3(3, 3, 3), Vector3(0, 0, 1), 1, &m), 1);
        EXPECT_EQ(m, world);
    }
    aeAnimObject* none = Object({});
    EXPECT_EQ(none->GetWorldMatrix(0.5f, world, Vector3(0, 0, 0), Vector3(1, 0, 0), 1, &m), 0);
}

TEST(AnimationBillboard, UprightSpritesTurnAboutTheVerticalAxisAndTheOtherTypesFollowTheirAxes)
{
    aeAnimObject* o = Object({Key(0.0f, 1, Vector3(0, 0, 0), Vector3(0, 0, 0), Vector3(2, 2, 2))}, AE_BILLBOARD_Y);
    const Matrix world = MatrixTranslation(Vector3(10, 0, 10));
    for (float angle = 0.0f; angle < 6.28f; angle += 0.5f)
    {
        // The viewer walks round the object at eye height 3.
        const Vector3 eye(10 + 20 * std::sin(angle), 3, 10 - 20 * std::cos(angle));
        const Vector3 right(std::cos(angle), 0, std::sin(angle));
        Matrix m;
        ASSERT_EQ(o->GetWorldMatrix(0.0f, world, eye, right, 1, &m), 1);
        // Its local y stays the world's up; its local z points from the viewer
        // to the object in the ground plane, so the quad faces the viewer.
        const Vector3 up = Vector3Normalize(Vector3(m.m21, m.m22, m.m23));
        const Vector3 z = Vector3Normalize(Vector3(m.m31, m.m32, m.m33));
        EXPECT_NEAR(up.y, 1.0f, 1e-5f) << angle;
        const Vector3 away = Vector3Normalize(Vector3(10 - eye.x, 0, 10 - eye.z));
        EXPECT_NEAR(Vector3Dot(z, away), 1.0f, 1e-5f) << angle;
        EXPECT_NEAR(Vector3Length(Vector3(m.m11, m.m12, m.m13)), 2.0f, 1e-5f);
        EXPECT_EQ(Vector3(m.m41, m.m42, m.m43), Vector3(10, 0, 10));
    }

    // The other types follow their axes.
    const Vector3 eye(3, 4, -12);
    const Vector3 right = Vector3Normalize(Vector3(1, 0.2f, 0.1f));
    const Vector3 p(1, 1, 1);
    Matrix m;
    auto axis = [&](int row) { return Vector3(m.m[row][0], m.m[row][1], m.m[row][2]); };

    // Type 1: z from the viewer to the object, y = z x right, x = z x y.
    ASSERT_EQ(Object({Key(0, 1, p)}, AE_BILLBOARD_FULL)->GetWorldMatrix(0, kIdentity, eye, right, 1, &m), 1);
    const Vector3 z1 = Vector3Normalize(p - eye);
    const Vector3 y1 = Vector3Normalize(Vector3Cross(z1, right));
    EXPECT_NEAR(Vector3Dot(axis(2), z1), 1.0f, 1e-5f);
    EXPECT_NEAR(Vector3Dot(axis(1), y1), 1.0f, 1e-5f);
    EXPECT_NEAR(Vector3Dot(axis(0), Vector3Normalize(Vector3Cross(z1, y1))), 1.0f, 1e-5f);

    // Type 2: x stays, y and z turn about it towards the viewer.
    ASSERT_EQ(Object({Key(0, 1, p)}, AE_BILLBOARD_X)->GetWorldMatrix(0, kIdentity, eye, right, 1, &m), 1);
    EXPECT_NEAR(Vector3Dot(axis(0), Vector3(1, 0, 0)), 1.0f, 1e-6f);
    EXPECT_NEAR(Vector3Dot(axis(1), Vector3Normalize(Vector3Cross(Vector3(1, 0, 0), Vector3Normalize(eye - p)))), 1.0f,
                1e-5f);
    EXPECT_NEAR(Vector3Dot(axis(1), Vector3(1, 0, 0)), 0.0f, 1e-6f);

    // Type 4: z stays, x and y follow the viewer's right direction.
    ASSERT_EQ(Object({Key(0, 1, p)}, AE_BILLBOARD_Z)->GetWorldMatrix(0, kIdentity, eye, right, 1, &m), 1);
    EXPECT_NEAR(Vector3Dot(axis(2), Vector3(0, 0, 1)), 1.0f, 1e-6f);
    const Vector3 y4 = Vector3Normalize(Vector3Cross(Vector3(0, 0, 1), right));
    EXPECT_NEAR(Vector3Dot(axis(1), y4), 1.0f, 1e-5f);
    EXPECT_NEAR(Vector3Dot(axis(0), Vector3Normalize(Vector3Cross(y4, Vector3(0, 0, 1)))), 1.0f, 1e-5f);

    // The billboard looks from the world position; the tinted variant from
    // the key-frame position itself.
    const Matrix moved = MatrixTranslation(Vector3(0, 0, 40));
    o = Object({Key(0, 1, p)}, AE_BILLBOARD_FULL);
    ASSERT_EQ(o->GetWorldMatrix(0, moved, eye, right, 1, &m), 1);
    EXPECT_NEAR(Vector3Dot(axis(2), Vector3Normalize(p + Vector3(0, 0, 40) - eye)), 1.0f, 1e-5f);
    ASSERT_EQ(o->GetWorldMatrix(0, moved, eye, right, 0, &m), 1);
    EXPECT_NEAR(Vector3Dot(axis(2), z1), 1.0f, 1e-5f);
}

TEST_F(AnimationFile, ObjectsFindModelsFirstThenTexturesAndPlayersFindAnimations)
{
    test::LogCapture log;
    aeModelManager::Init();
    aeTextureManager::Init();
    aeAnimationManager::Init();
    const std::string empty = Bytes(Strip(1, {}, 0));
    VFile file = File(empty);
    aeModel* model = nullptr;
    ASSERT_EQ(aeModelManager::AddModel(&file, "door.rvm", &model), 1);
    aeAnimation* a = Load({Obj("door.rvm", 0, {Key(0, 1)}), Obj("nothing", 0, {Key(0, 1)})});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetObjectA(0)->GetModel(), model);
    EXPECT_EQ(a->GetObjectA(0)->GetSpriteTexture(), nullptr);
    EXPECT_EQ(a->GetObjectA(1)->GetModel(), nullptr);
    // An object without a model ends the drawing of its animation with 0.
    EXPECT_EQ(a->GetObjectA(1)->Render(0.5f, kIdentity, Vector3(0, 0, 0), Vector3(1, 0, 0), AE_RENDER_ALL), 0);
    EXPECT_EQ(a->Render(0.5f, kIdentity, Vector3(0, 0, 0), Vector3(1, 0, 0), AE_RENDER_ALL), 0);
    // A player drawing a zero-length animation gets an undefined time: nothing
    // is drawn, and the object without a model still ends the drawing.
    aeAnimationPlayer player;
    EXPECT_EQ(player.Render(0.1f, kIdentity, Vector3(0, 0, 0), Vector3(1, 0, 0), AE_RENDER_ALL), 0);
    ASSERT_EQ(player.Init(a), 1);
    player.SetCurrentTime(3.0f);
    player.Render(0.5f, kIdentity, Vector3(0, 0, 0), Vector3(1, 0, 0), AE_RENDER_ALL);
    EXPECT_EQ(player.GetTickCount(), 2.0f);

    // The player finds animations by their exact name.
    aeAnimation* door = Load({}, 1.0f, "door.ran");
    EXPECT_EQ(player.Init("door.ran"), 1);
    EXPECT_EQ(player.GetAnimation(), door);
    EXPECT_EQ(player.GetSpeed(), 1.0f);
    EXPECT_EQ(player.Init("Door.ran"), 0);
    EXPECT_TRUE(log.Contains("Die Animation konnte nicht gefunden werden!"));
    EXPECT_EQ(player.Init(static_cast<const char*>(nullptr)), 0);
}

TEST(AnimationPlayer, LoopsWrapOnceAndOthersStopAtTheEnds)
{
    aeAnimation animation;
    animation.m_fTime = 2.0f;
    aeAnimationPlayer player;
    EXPECT_EQ(player.GetSpeed(), 0.0f);
    ASSERT_EQ(player.Init(&animation), 1);
    EXPECT_EQ(player.GetSpeed(), 1.0f);
    EXPECT_EQ(player.IsLoop(), 0);
    player.Start(1);
    player.SetCurrentTime(1.9f);
    EXPECT_NEAR(player.Advance(0.3f), 0.1f, 1e-6f);
    // A step longer than the duration wraps only once.
    player.SetCurrentTime(0.5f);
    player.Advance(4.0f);
    EXPECT_NEAR(player.GetTickCount(), 2.5f, 1e-6f);
    player.SetSpeed(-1.0f);
    player.SetCurrentTime(0.1f);
    player.Advance(0.3f);
    EXPECT_NEAR(player.GetTickCount(), 1.8f, 1e-6f);
    player.SetLoop(0);
    player.SetCurrentTime(0.1f);
    EXPECT_EQ(player.Advance(0.3f), 0.0f);
    EXPECT_EQ(player.IsFinished(), 0);
    player.SetSpeed(2.0f);
    EXPECT_EQ(player.Advance(5.0f), 1.0f);
    EXPECT_EQ(player.GetTickCount(), 2.0f);
    EXPECT_EQ(player.IsFinished(), 1);
    // Start restarts and keeps the speed.
    player.Start(0);
    EXPECT_EQ(player.GetTickCount(), 0.0f);
    EXPECT_EQ(player.GetSpeed(), 2.0f);
    EXPECT_EQ(player.Init(static_cast<aeAnimation*>(nullptr)), 0);
    EXPECT_EQ(player.GetAnimation(), &animation);
    player.Exit();
    EXPECT_EQ(player.GetAnimation(), nullptr);
}

TEST(AnimationSprite, BuiltInModelIsTheUnitQuadByteForByte)
{
    // The built-in sprite model is its readable copy byte for byte.
    VFile resource;
    ASSERT_EQ(resource.Init(aeMain::GetDLLHandle(), MAKEINTRESOURCE(101), "RVM"), 1);
    rvmtext::Model text;
    std::string error;
    const std::string source = test::ReadBinary(std::string(HALVORAN_TEST_DATA) + "/../../engine/resources/data/Sprite.txt");
    ASSERT_TRUE(rvmtext::FromText(source, &text, &error)) << error;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(resource.GetBuffer()), resource.GetSize()), rvmtext::ToBinary(text));
}
