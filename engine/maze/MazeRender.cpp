// Drawing the maze: the sky around the eye, then every field of the 11 × 11
// window around the camera that the visibility pass leaves open, each piece
// through its slot's animation player; and the camera's view and projection.

#include "Occlusion.h"
#include "Sound.h"
#include "aeCamera.h"
#include "aeGrafik.h"
#include "aeMaze.h"

#include <algorithm>
#include <cmath>

namespace
{
const float kHalfPi = 1.5707963267948966f;

// Each slot's piece transform carries a model authored at the field centre (a
// wall along X, as wall 0) to its place; walls 2 and 3 are mirror images.
struct PieceTransforms
{
    Matrix am[AE_NUM_SLOTS];

    PieceTransforms(float floorDepth)
    {
        am[AE_SLOT_FLOOR] = MatrixTranslation(Vector3(0.0f, -floorDepth, 0.0f));
        am[AE_SLOT_CEILING] = MatrixIdentity();  // the record's height is added per field
        am[AE_SLOT_WALL0] = MatrixTranslation(Vector3(0.0f, 0.0f, 10.0f));
        am[AE_SLOT_WALL1] = MatrixRotationY(kHalfPi) * MatrixTranslation(Vector3(10.0f, 0.0f, 0.0f));
        am[AE_SLOT_WALL2] = MatrixScaling(Vector3(1.0f, 1.0f, -1.0f)) * MatrixTranslation(Vector3(0.0f, 0.0f, -10.0f));
        am[AE_SLOT_WALL3] = MatrixRotationY(kHalfPi) * MatrixScaling(Vector3(-1.0f, 1.0f, 1.0f)) *
                            MatrixTranslation(Vector3(-10.0f, 0.0f, 0.0f));
        am[AE_SLOT_OBJECT] = MatrixIdentity();
    }
    // The slot's transform; the ceiling's is its record's height.
    Matrix Of(int slot, const aeMazeRecord* record) const
    {
        if (slot == AE_SLOT_CEILING)
            return MatrixTranslation(Vector3(0.0f, static_cast<const aeCeiling*>(record)->m_fHeight, 0.0f));
        return am[slot];
    }
};
}

int aeMazeField::Render(float dt, Matrix fieldTransform, Vector3 eye, Vector3 right, int pass)
{
    return RenderExcept(dt, fieldTransform, eye, right, pass, 0);
}

int aeMazeField::RenderExcept(float dt, Matrix fieldTransform, Vector3 eye, Vector3 right, int pass, unsigned hidden)
{
    const PieceTransforms pieces(aeMaze::m_fFloorDepth);
    for (int slot = 0; slot < AE_NUM_SLOTS; ++slot)
    {
        const aeMazeRecord* record = ShownRecord(slot);
        if (!record)
            continue;
        if (hidden & (1u << slot))
        {
            m_aAnimations[slot].Advance(dt);
            continue;
        }
        m_aAnimations[slot].Render(dt, pieces.Of(slot, record) * fieldTransform, eye, right, pass);
    }
    return 1;
}

void aeMazeField::GetPieces(float dt, const Matrix& fieldTransform, Vector3 eye, Vector3 right, aeFieldPieces* out)
{
    const PieceTransforms pieces(aeMaze::m_fFloorDepth);
    for (int slot = 0; slot < AE_NUM_SLOTS; ++slot)
    {
        const aeMazeRecord* record = ShownRecord(slot);
        if (!record)
            continue;
        // The same steps as the player's and the animation's drawing, on a copy.
        aeAnimationPlayer player = m_aAnimations[slot];
        aeAnimation* animation = player.m_pAnimation;
        if (!animation)
            continue;
        const float t = player.Advance(dt);
        const Matrix world = pieces.Of(slot, record) * fieldTransform;
        for (int i = 0; i < animation->GetNumObjects(); ++i)
        {
            aeAnimObject* object = animation->GetObjectA(i);
            aeModel* model = object->m_pModel;
            // Drawing stops at an object without a model or without buffers.
            if (!model || ((model->GetNumVertices() > 0 && model->GetNumIndices() > 0) &&
                           (!model->GetVertexBuffer() || !model->GetIndexBuffer())))
                break;
            Matrix m;
            if (object->GetWorldMatrix(t, world, eye, right, 1, &m))
                out->Add(slot, model->GetShape(), m);
        }
    }
    for (const aeFieldPieces::Box& box : out->aSlots)
        out->field.Add(box);
}

// The centre of field (x, y) in the world.
static Vector3 FieldCentre(int x, int y)
{
    return Vector3((aeMaze::m_iWidth - 1) * 10.0f - 20.0f * x, 0.0f, (aeMaze::m_iHeight - 1) * 10.0f - 20.0f * y);
}

// Whether everything of the field around centre lies so deep in the view that
// the squared exponential fog leaves less than half a step of its colour (the
// pixel comes out as the fog colour exactly). The depth is the one the fog
// uses, the distance along the view direction; the box is generous: a field's
// pieces stay within 11 units of its centre sideways and 50 up or down.
static bool IsInFullFog(const D3DMATRIX& view, Vector3 centre, float density)
{
    // exp(-(d * density)^2) < 0.5 / 255 from d * density > 2.497 on; a little more
    // for the renderer's approximation of exp.
    const float kFullFog = 2.6f;
    float nearest = centre.x * view._13 + centre.y * view._23 + centre.z * view._33 + view._43;
    nearest -= 11.0f * std::fabs(view._13) + 50.0f * std::fabs(view._23) + 11.0f * std::fabs(view._33);
    return nearest * density > kFullFog;
}

const aeMazeRecord* aeMazeField::ShownRecord(int slot) const
{
    const aeMazeRecord* record = GetRecord(slot);
    // A piece without animation has nothing to draw; a fired mode-2 piece is
    // gone.
    if (!record || !record->m_pAnimation)
        return nullptr;
    if (record->m_iMode == AE_MODE_VANISH && (m_byActivated & g_abySlotBits[slot]))
        return nullptr;
    return record;
}

void aeMazeField::Advance(float dt)
{
    for (int slot = 0; slot < AE_NUM_SLOTS; ++slot)
        if (ShownRecord(slot))
            m_aAnimations[slot].Advance(dt);
}

static_assert(aeFieldPieces::kSlots == AE_NUM_SLOTS, "a box for every slot");

namespace
{
// Leaves out the fields, or single slots of them, that opaque faces drawn
// nearer the eye hide completely (their players move on). The opaque pass
// finds them, nearest first; the transparent pass of the same view right
// after it leaves out the same ones: their blended pieces lie behind those
// faces as well.
class HiddenFields
{
public:
    void Begin(IDirect3DDevice9* device, int pass, float dt, int x0, int y0, const aeMazeField* fields)
    {
        D3DMATRIX view, projection;
        D3DVIEWPORT9 viewport;
        const bool matrices = SUCCEEDED(device->GetTransform(D3DTS_VIEW, &view)) &&
                              SUCCEEDED(device->GetTransform(D3DTS_PROJECTION, &projection)) &&
                              SUCCEEDED(device->GetViewport(&viewport));
        m_bReuse = pass == AE_RENDER_TRANSPARENT && dt == 0.0f && matrices && m_bValid && m_View == Matrix(view) &&
                   m_Projection == Matrix(projection) && m_iX0 == x0 && m_iY0 == y0 && m_pFields == fields;
        m_bFind = pass != AE_RENDER_TRANSPARENT && matrices && aeGrafik::OpaqueFacesHide() &&
                  m_Occlusion.Begin(view, projection, static_cast<float>(viewport.Width),
                                    static_cast<float>(viewport.Height));
        if (pass != AE_RENDER_TRANSPARENT)
            m_iCount = 0;
        if (!m_bFind)
            return;
        m_View = view;
        m_Projection = projection;
        m_iX0 = x0;
        m_iY0 = y0;
        m_pFields = fields;
        for (unsigned char& hidden : m_abyHidden)
            hidden = 0;
    }
    // Draws the field of the window's cell, or those of its slots that are
    // not hidden.
    void Draw(aeMazeField& field, int cell, float dt, const Matrix& transform, Vector3 eye, Vector3 right, int pass)
    {
        if (!m_bFind)
        {
            field.RenderExcept(dt, transform, eye, right, pass, m_bReuse ? m_abyHidden[cell] : 0);
            return;
        }
        aeFieldPieces pieces;
        field.GetPieces(dt, transform, eye, right, &pieces);
        unsigned hidden = 0;
        if (Hidden(pieces.field))
        {
            hidden = kAllSlots;
            ++m_iCount;
        }
        else
            for (int slot = 0; slot < aeFieldPieces::kSlots; ++slot)
                if (Hidden(pieces.aSlots[slot]))
                    hidden |= 1u << slot;
        m_abyHidden[cell] = static_cast<unsigned char>(hidden);
        field.RenderExcept(dt, transform, eye, right, pass, hidden);
        for (int f = 0; f < pieces.iNumFaces; ++f)
            if (!(hidden & (1u << pieces.abyFaceSlot[f])))
                m_Occlusion.AddFace(pieces.aFaces[f]);
    }
    void End() { m_bValid = m_bFind; }
    bool Hidden(const aeFieldPieces::Box& box) const
    {
        return box.bAny && !box.bUnbounded && m_Occlusion.Hides(box.vMin, box.vMax);
    }
    int GetCount() const { return m_iCount; }

private:
    aeOcclusion m_Occlusion;
    bool m_bFind = false, m_bReuse = false, m_bValid = false;
    Matrix m_View, m_Projection;
    int m_iX0 = 0, m_iY0 = 0;
    const aeMazeField* m_pFields = nullptr;
    static const unsigned kAllSlots = (1u << AE_NUM_SLOTS) - 1;
    unsigned char m_abyHidden[121] = {};
    int m_iCount = 0;
};
HiddenFields g_Hidden;
}  // namespace

int aeMaze::Render(float dt, Vector3 eye, Vector3 right, int pass)
{
    IDirect3DDevice9* device = aeGrafik::GetDevice();
    if (!device || !m_pFields)
        return 1;
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);

    int x0 = m_iStartX, y0 = m_iStartY;
    aeCamera::GetPositionInField(&x0, &y0);
    int window[121];
    for (int& cell : window)
        cell = 1;
    CalcVisibility(x0, y0, window);

    if (m_SkyAnimation.GetAnimation())
        m_SkyAnimation.Render(dt, MatrixTranslation(eye), eye, right, pass);

    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP2);
    device->SetRenderState(D3DRS_FOGCOLOR, 0);
    const float density = m_fFog;
    DWORD densityBits;
    static_assert(sizeof(densityBits) == sizeof(density));
    __builtin_memcpy(&densityBits, &density, sizeof(density));
    device->SetRenderState(D3DRS_FOGDENSITY, densityBits);

    // Without a sky the screen behind the maze is the fog's colour, so a
    // field lying wholly where the fog has swallowed every colour would show
    // nothing but that colour: it is not drawn, only its players move on as
    // if it were.
    D3DMATRIX view;
    const bool cull =
        !m_SkyAnimation.GetAnimation() && density > 0.0f && SUCCEEDED(device->GetTransform(D3DTS_VIEW, &view));
    // The fields left open, in the plan's order.
    int order[121];
    int count = 0;
    for (int cell = 0; cell < 121; ++cell)
    {
        const int x = x0 + cell % 11 - 5, y = y0 + cell / 11 - 5;
        if (x < 0 || x >= m_iWidth || y < 0 || y >= m_iHeight || !window[cell])
            continue;
        if (cull && IsInFullFog(view, FieldCentre(x, y), density))
            m_pFields[y * m_iWidth + x].Advance(dt);
        else
            order[count++] = cell;
    }
    // The opaque pass runs from the eye outwards, so that the depth test turns
    // away what nearer pieces hide before it is shaded (a software renderer
    // spends most of a frame shading). Blended pieces keep the plan's order.
    if (pass == AE_RENDER_OPAQUE)
    {
        float distance[121];
        for (int i = 0; i < count; ++i)
        {
            const int cell = order[i];
            const Vector3 centre = FieldCentre(x0 + cell % 11 - 5, y0 + cell / 11 - 5);
            distance[cell] = (centre.x - eye.x) * (centre.x - eye.x) + (centre.z - eye.z) * (centre.z - eye.z);
        }
        std::stable_sort(order, order + count, [&distance](int a, int b) { return distance[a] < distance[b]; });
    }
    g_Hidden.Begin(device, pass, dt, x0, y0, m_pFields);
    for (int i = 0; i < count; ++i)
    {
        const int x = x0 + order[i] % 11 - 5, y = y0 + order[i] / 11 - 5;
        g_Hidden.Draw(m_pFields[y * m_iWidth + x], order[i], dt, MatrixTranslation(FieldCentre(x, y)), eye, right, pass);
    }
    g_Hidden.End();
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    return 1;
}

int aeMaze::GetNumHiddenFields()
{
    return g_Hidden.GetCount();
}

int aeCamera::SetMatrices(Vector3* eye, Vector3* right, int pass)
{
    const float r = m_fRotation, u = m_fUpDown;
    const Vector3 p(m_vPosition.x, 0.0f, m_vPosition.y);
    const Vector3 d(-std::sin(r) * std::cos(u), std::sin(u), -std::cos(r) * std::cos(u));
    const Vector3 side = Vector3(d.z, 0.0f, -d.x) * 0.075f;
    Vector3 from = p, to = p + d;
    if (pass == 1)
    {
        from = p + side;
        to = p + d * 60.0f;
    }
    else if (pass == 2)
    {
        from = p - side;
        to = p + d * 60.0f;
    }
    Matrix view = MatrixCamera(from, to, Vector3(0.0f, 1.0f, 0.0f));
    const Vector2 screen = aeGrafik::m_vScreenSize;
    Matrix projection = MatrixProjection(1.2217305f, screen.x / screen.y, 0.1f, 200.0f);
    if (IDirect3DDevice9* device = aeGrafik::GetDevice())
    {
        device->SetTransform(D3DTS_VIEW, &static_cast<D3DMATRIX&>(view));
        device->SetTransform(D3DTS_PROJECTION, &static_cast<D3DMATRIX&>(projection));
    }
    if (aeSoundManager::IsInitialized())
        aeSoundManager::SetListener(p, Vector3(view._12, view._22, view._32), Vector3(view._13, view._23, view._33), 0.0f);
    if (eye)
        *eye = p;
    if (right)
        *right = Vector3(view._11, view._21, view._31);
    return 1;
}
