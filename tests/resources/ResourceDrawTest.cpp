// Models and animations on a headless device: passes, material runs, tints,
// sprites with their own textures, and device loss.

#include "ResourceTestUtil.h"
#include "graphics/GrafikTestSupport.h"

#include <functional>

using namespace restest;

namespace
{
constexpr uint32_t kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

class ResourceDraw : public test::GrafikFixture
{
protected:
    void SetUp() override
    {
        OpenDevice();
        Identity();
        aeGrafik::SetRS(D3DRS_LIGHTING, TRUE);
        IDirect3DDevice9* device = aeGrafik::GetDevice();
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    }
    void TearDown() override
    {
        aeAnimationManager::Exit();
        aeModelManager::Exit();
        aeTextureManager::Exit();
        test::GrafikFixture::TearDown();
    }
    // Identity transforms: model coordinates are clip coordinates, x and y
    // from -1 to 1 across the 320 x 240 screen. Full ambient light shows the
    // material colours as they are.
    static void Identity()
    {
        Matrix identity = MatrixIdentity();
        aeGrafik::SetWorldMatrix(&identity);
        aeGrafik::SetCameraMatrix(&identity);
        aeGrafik::SetProjectionMatrix(&identity);
        aeGrafik::SetRS(D3DRS_AMBIENT, 0xFFFFFFFF);
    }

    // One frame: draw gives `result`, and the spots at clip coordinates show
    // their colours (each channel within 2).
    struct Spot { float x, y; uint32_t rgb; };
    void ExpectFrame(const std::function<int()>& draw, std::initializer_list<Spot> spots, int result = 1)
    {
        aeGrafik::Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        aeGrafik::BeginScene();
        EXPECT_EQ(draw(), result);
        aeGrafik::EndScene();
        const std::vector<uint32_t> pixels = ReadBackBuffer();
        for (const Spot& s : spots)
        {
            const uint32_t p = Pixel(pixels, static_cast<int>((s.x + 1.0f) * 160.0f), static_cast<int>((1.0f - s.y) * 120.0f));
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(static_cast<int>((p >> shift) & 0xFF), static_cast<int>((s.rgb >> shift) & 0xFF), 2)
                    << s.x << ", " << s.y << ": " << std::hex << p;
        }
    }

    static std::unique_ptr<aeModel> LoadModel(const rvmtext::Model& m, const char* name = "m.rvm")
    {
        auto model = std::make_unique<aeModel>();
        const std::string bytes = Bytes(m);
        VFile file = File(bytes);
        EXPECT_EQ(model->Init(&file, name), 1);
        return model;
    }
    static IDirect3DTexture9* AddTexture(const char* name, const std::vector<uint32_t>& rgb, int size = 2)
    {
        const auto bmp = test::MakeBmp(size, size, rgb);
        VFile image(bmp.data(), static_cast<int>(bmp.size()));
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(aeTextureManager::AddTexture(&image, name, 0xFFFF00FF, &texture), 1);
        return texture;
    }

};

// Left square of material 0, right square of material 1.
rvmtext::Model TwoSquares(const rvmtext::Material& left, const rvmtext::Material& right)
{
    rvmtext::Model m;
    m.materials = {left, right};
    AddSquare(&m, -0.9f, -0.5f, -0.1f, 0.5f, 0.5f, 0);
    AddSquare(&m, 0.1f, -0.5f, 0.9f, 0.5f, 0.5f, 1);
    return m;
}
}

TEST_F(ResourceDraw, ModelPassesDrawTheirOwnMaterials)
{
    // Left square opaque red, right square blended green.
    auto model = LoadModel(TwoSquares(Mat(0, Color(1.0f, 0.0f, 0.0f, 1.0f)), Mat(1, Color(0.0f, 1.0f, 0.0f, 1.0f))));
    EXPECT_NE(model->GetVertexBuffer()->GetVB(), nullptr);
    EXPECT_EQ(model->GetIndexBuffer()->GetNumIndices(), 12u);
    ExpectFrame([&] { return model->Render(AE_RENDER_OPAQUE); }, {{-0.5f, 0, kRed}, {0.5f, 0, kBlack}, {0, 0, kBlack}});
    ExpectFrame([&] { return model->Render(AE_RENDER_TRANSPARENT); }, {{-0.5f, 0, kBlack}, {0.5f, 0, kGreen}});
    ExpectFrame([&] { return model->Render(AE_RENDER_ALL); }, {{-0.5f, 0, kRed}, {0.5f, 0, kGreen}});

    // A faded model is drawn entirely in the transparent pass, blended.
    const Color faded(1, 1, 1, 0.5f);
    ExpectFrame([&] { return model->RenderEx(faded, AE_RENDER_OPAQUE); }, {{-0.5f, 0, kBlack}, {0.5f, 0, kBlack}});
    ExpectFrame([&] { return model->RenderEx(faded, AE_RENDER_TRANSPARENT); }, {{-0.5f, 0, 0x800000}, {0.5f, 0, 0x008000}});
    // The tint multiplies the colour.
    ExpectFrame([&] { return model->RenderEx(Color(0.5f, 1.0f, 1.0f, 1.0f), AE_RENDER_OPAQUE); },
                {{-0.5f, 0, 0x800000}, {0.5f, 0, kBlack}});

    // Drawing leaves the default state behind.
    DWORD blend = 1;
    aeGrafik::GetDevice()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(blend, 0u);

    // A material coming back keeps only its last run. Material 0: the
    // upper-left half of the left square, then a triangle of material 1 on the
    // right, then material 0's lower-right half.
    rvmtext::Model m = TwoSquares(Mat(0, Color(1.0f, 0.0f, 0.0f, 1.0f)), Mat(0, Color(0.0f, 0.0f, 1.0f, 1.0f)));
    m.triangles = {m.triangles[0], m.triangles[2], m.triangles[1]};
    model = LoadModel(m);
    ExpectFrame([&] { return model->Render(AE_RENDER_ALL); },
                {{-0.8f, 0.4f, kBlack} /* the first run is not drawn */, {-0.2f, -0.4f, kRed}, {0.2f, 0.4f, kBlue},
                 {0.8f, -0.4f, kBlack}});
}

TEST_F(ResourceDraw, ClosedModelsShowTheirFrontsFromEveryView)
{
    // A closed box with a red front (-z, towards the eye) and green sides and
    // back; its backs are left out wherever nothing could see them, in either
    // winding and through a mirror. Where the box reaches around the eye (the
    // near plane cuts its front away), its back shows from inside.
    const Color red(1.0f, 0.0f, 0.0f, 1.0f), green(0.0f, 1.0f, 0.0f, 1.0f);
    for (bool inward : {false, true})
        for (float nearZ : {0.2f, -0.2f})
        {
            rvmtext::Model m;
            m.materials = {Mat(0, red), Mat(0, green)};
            AddBox(&m, Vector3(-0.5f, -0.5f, nearZ), Vector3(0.5f, 0.5f, 0.8f), 1, 1, inward);
            AddBox(&m, Vector3(-0.5f, -0.5f, nearZ), Vector3(0.5f, 0.5f, 0.8f), 0, 0x3E, inward);
            auto model = LoadModel(m);
            ASSERT_TRUE(model->GetShape().bClosed);
            const uint32_t seen = nearZ > 0.0f ? kRed : kGreen;
            for (const Matrix& world : {MatrixIdentity(), MatrixScaling(Vector3(-1.0f, 1.0f, 1.0f))})
            {
                Matrix w = world;
                aeGrafik::SetWorldMatrix(&w);
                ExpectFrame([&] { return model->Render(AE_RENDER_OPAQUE); }, {{0, 0, seen}, {0.7f, 0, kBlack}});
            }
            Identity();
        }
    DWORD cull = 0;
    aeGrafik::GetDevice()->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_NONE));
}
