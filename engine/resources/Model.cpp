#include "aeResourceRegistry.h"
#include "aeModel.h"
#include "BoundedReader.h"
#include "VFile.h"
#include "aeArchive.h"
#include "aeError.h"
#include "aeGrafik.h"
#include "aeIndexBuffer.h"
#include "aeTextureManager.h"
#include "aeVertexBuffer.h"

#include <cstring>
#include <new>

// Fixed part of a material record: flag, power, two colours, name length.
static const int kMaterialBytes = 44;
static const int kVertexBytes = 20;
// Three 16-bit indices and a 32-bit material index.
static const int kTriangleBytes = 10;

static_assert(sizeof(aeRVMVertex) == kVertexBytes, "aeRVMVertex must match the file");

// ---------------------------------------------------------------------------
// aeModel
// ---------------------------------------------------------------------------

aeModel::aeModel() : m_pVertexBuffer(nullptr), m_pIndexBuffer(nullptr), m_iNumVertices(0), m_iNumIndices(0)
{
    m_acName[0] = 0;
}

aeModel::~aeModel()
{
    Exit();
}

void aeModel::Exit()
{
    delete m_pVertexBuffer;
    m_pVertexBuffer = nullptr;
    delete m_pIndexBuffer;
    m_pIndexBuffer = nullptr;
    m_aMaterials.Free();
    m_Shape.Clear();
    m_iNumVertices = 0;
    m_iNumIndices = 0;
}

// Looks a material's texture up by its name; a missing one is reported and the
// material stays untextured.
static void FindMaterialTexture(aeModelMaterial* material, const char* function)
{
    material->pTexture = aeTextureManager::GetTexture(aeTextureManager::FindTexture(material->acTextureName));
    if (!material->pTexture)
        AE_ERROR(function, "Die Textur %s konnte nicht gefunden werden!", material->acTextureName);
}

int aeModel::Read(VFile* file, DynArray<aeRVMVertex>* vertices, DynArray<unsigned short>* indices)
{
    if (!file || !vertices || !indices)
    {
        AE_INVALID_PARAMETER("aeModel::Init");
        return 0;
    }
    m_Shape.Clear();
    unsigned char header[4] = {0, 0, 0, 0};
    file->Read(4, header);
    if (std::memcmp(header, "RVM", 3) != 0)
    {
        AE_ERROR("aeModel::Init", "Falscher FourC-Code!");
        return 0;
    }
    if (header[3] != 0)
    {
        AE_ERROR("aeModel::Init", "Nicht unterstützte Dateiversion!");
        return 0;
    }

    // Every count is checked against the bytes that are left before anything
    // is allocated for it.
    aeBoundedReader in(file);
    int numMaterials = 0;
    if (!in.ReadCount(&numMaterials, kMaterialBytes))
    {
        AE_ERROR("aeModel::Init", "Ungültige Materialanzahl %d in der Modelldatei!", numMaterials);
        return 0;
    }
    m_aMaterials.Alloc(numMaterials);
    if (m_aMaterials.GetNumElements() != numMaterials)
    {
        AE_ERROR("aeModel::Init", "Nicht genug Speicher für das Modell!");
        return 0;
    }
    for (int i = 0; i < numMaterials; ++i)
    {
        aeModelMaterial& m = m_aMaterials[i];
        int length = 0;
        int ok = file->Read(4, &m.iTransparent);
        ok = ok && file->Read(4, &m.fPower);
        ok = ok && file->Read(16, &m.cColor.r);
        ok = ok && file->Read(16, &m.cSpecular.r);
        ok = ok && file->Read(4, &length);
        if (!ok)
        {
            AE_ERROR("aeModel::Init", "Die Modelldatei endet vorzeitig!");
            return 0;
        }
        if (length > 0 && !in.Fits(length, 1, 255))
        {
            AE_ERROR("aeModel::Init", "Ungültige Länge %d des Texturnamens in der Modelldatei!", length);
            return 0;
        }
        m.pTexture = nullptr;
        m.acTextureName[0] = 0;
        if (length > 0)
        {
            file->Read(length, m.acTextureName);
            m.acTextureName[length] = 0;
            FindMaterialTexture(&m, "aeModel::Init");
        }
        m.iNumTriangles = 0;
    }

    int numVertices = 0;
    if (!in.ReadCount(&numVertices, kVertexBytes))
    {
        AE_ERROR("aeModel::Init", "Ungültige Vertexanzahl %d in der Modelldatei!", numVertices);
        return 0;
    }
    vertices->Alloc(numVertices);
    if (vertices->GetNumElements() != numVertices)
    {
        AE_ERROR("aeModel::Init", "Nicht genug Speicher für das Modell!");
        return 0;
    }
    if (numVertices > 0)
        file->Read(numVertices * kVertexBytes, vertices->GetData());
    m_iNumVertices = numVertices;

    int numTriangles = 0;
    if (!in.ReadCount(&numTriangles, kTriangleBytes))
    {
        AE_ERROR("aeModel::Init", "Ungültige Dreiecksanzahl %d in der Modelldatei!", numTriangles);
        return 0;
    }
    const int numIndices = numTriangles * 3;
    indices->Alloc(numIndices);
    if (indices->GetNumElements() != numIndices)
    {
        AE_ERROR("aeModel::Init", "Nicht genug Speicher für das Modell!");
        return 0;
    }

    // Group the triangles into one run per material. A material that comes
    // back after another one keeps only its last run.
    int current = 0;
    int runStart = 0;
    for (int t = 0; t < numTriangles; ++t)
    {
        unsigned short* triangle = &(*indices)[t * 3];
        int material = 0;
        file->Read(6, triangle);
        file->Read(4, &material);
        for (int k = 0; k < 3; ++k)
            if (triangle[k] >= numVertices)
            {
                AE_ERROR("aeModel::Init", "Das Dreieck %d verweist auf den Vertex %d, die Datei hat aber nur %d Vertices!",
                         t, triangle[k], numVertices);
                return 0;
            }
        if (material < 0 || material >= numMaterials)
        {
            AE_ERROR("aeModel::Init", "Das Dreieck %d verweist auf das Material %d, die Datei hat aber nur %d Materialien!",
                     t, material, numMaterials);
            return 0;
        }
        if (material != current)
        {
            m_aMaterials[current].iFirstIndex = runStart;
            m_aMaterials[current].iNumTriangles = (t * 3 - runStart) / 3;
            current = material;
            runStart = t * 3;
        }
        aeModelMaterial& m = m_aMaterials[current];
        for (int k = 0; k < 3; ++k)
        {
            if (triangle[k] > m.iHighestVertex)
                m.iHighestVertex = triangle[k];
            if (triangle[k] < m.iLowestVertex)
                m.iLowestVertex = triangle[k];
        }
    }
    if (numMaterials > 0)
    {
        m_aMaterials[current].iFirstIndex = runStart;
        m_aMaterials[current].iNumTriangles = (numIndices - runStart) / 3;
    }
    m_iNumIndices = numIndices;
    m_Shape.Build(m_aMaterials.GetData(), numMaterials, vertices->GetData(), numVertices, indices->GetData());
    return 1;
}

int aeModel::Init(VFile* file, const char* name)
{
    if (!file || !name)
    {
        AE_INVALID_PARAMETER("aeModel::Init");
        return 0;
    }
    Exit();
    DynArray<aeRVMVertex> vertices;
    DynArray<unsigned short> indices;
    if (!Read(file, &vertices, &indices))
        return 0;

    // Empty buffers are not created; a model without triangles draws nothing.
    if ((m_iNumVertices > 0 || m_iNumIndices > 0) && !aeGrafik::GetDevice())
    {
        AE_ERROR("aeModel::Init", "Das Grafikgerät wurde noch nicht initialisiert!");
        return 0;
    }
    if (m_iNumVertices > 0)
    {
        m_pVertexBuffer = new (std::nothrow) aeVertexBuffer();
        if (!m_pVertexBuffer || !m_pVertexBuffer->Init(static_cast<DWORD>(m_iNumVertices), AE_RVM_FVF) ||
            !m_pVertexBuffer->SetVertices(vertices.GetData()))
            return 0;
    }
    if (m_iNumIndices > 0)
    {
        m_pIndexBuffer = new (std::nothrow) aeIndexBuffer();
        if (!m_pIndexBuffer || !m_pIndexBuffer->Init(static_cast<DWORD>(m_iNumIndices)) ||
            !m_pIndexBuffer->SetIndices(indices.GetData()))
            return 0;
    }
    std::strncpy(m_acName, name, sizeof(m_acName) - 1);
    m_acName[sizeof(m_acName) - 1] = 0;
    return 1;
}

void aeModel::PrepareRestore()
{
    if (m_pVertexBuffer)
        m_pVertexBuffer->PrepareRestore();
    if (m_pIndexBuffer)
        m_pIndexBuffer->PrepareRestore();
}

int aeModel::Restore()
{
    // The buffers report their own failures; the model restores what it can.
    if (aeGrafik::GetDevice())
    {
        if (m_pVertexBuffer)
            m_pVertexBuffer->Restore();
        if (m_pIndexBuffer)
            m_pIndexBuffer->Restore();
    }
    const int count = m_aMaterials.GetNumElements();
    for (int i = 0; i < count; ++i)
    {
        aeModelMaterial& m = m_aMaterials[i];
        m.pTexture = nullptr;
        if (m.acTextureName[0])
            FindMaterialTexture(&m, "aeModel::Restore");
    }
    return 1;
}

int aeModel::IsInPass(const aeModelMaterial* material, int mode)
{
    if (mode == AE_RENDER_OPAQUE)
        return material->iTransparent == 0;
    if (mode == AE_RENDER_TRANSPARENT)
        return material->iTransparent != 0;
    return 1;
}

int aeModel::IsInPassEx(const aeModelMaterial* material, Color tint, int mode)
{
    // A model faded below full alpha belongs entirely to the transparent pass.
    if (mode == AE_RENDER_OPAQUE)
        return material->iTransparent == 0 && tint.a >= 1.0f;
    if (mode == AE_RENDER_TRANSPARENT)
        return material->iTransparent != 0 || tint.a != 1.0f;
    return 1;
}

// The cull mode that leaves out the backs of a shape's closed opaque pieces
// with the device's current transforms and states, or D3DCULL_NONE where they
// could show.
static DWORD BackCulling(const aeModelShape& shape, IDirect3DDevice9* device)
{
    if (!shape.bClosed || !aeGrafik::OpaqueFacesHide())
        return D3DCULL_NONE;
    D3DMATRIX world, view, projection;
    if (FAILED(device->GetTransform(D3DTS_WORLD, &world)) || FAILED(device->GetTransform(D3DTS_VIEW, &view)) ||
        FAILED(device->GetTransform(D3DTS_PROJECTION, &projection)))
        return D3DCULL_NONE;
    switch (shape.BackWinding(Matrix(world) * Matrix(view) * Matrix(projection)))
    {
    case 1:
        return D3DCULL_CW;
    case -1:
        return D3DCULL_CCW;
    default:
        return D3DCULL_NONE;
    }
}

int aeModel::Draw(const Color* tint, int mode, const char* function)
{
    if (m_iNumVertices == 0 || m_iNumIndices == 0)
        return 1;
    IDirect3DDevice9* device = aeGrafik::GetDevice();
    if (!device || !m_pVertexBuffer || !m_pIndexBuffer)
        return 0;
    aeGrafik::SetStreamSource(m_pVertexBuffer);
    aeGrafik::SetIndices(m_pIndexBuffer);
    aeGrafik::SetFVF(AE_RVM_FVF);
    // Where the model's opaque pieces are closed and drawn without blending,
    // their backs are left out: the fronts hide them anyway, and a software
    // renderer would shade them first where they come before the fronts.
    const bool blended = tint && !(tint->a >= 1.0f);
    const DWORD culling =
        blended || mode == AE_RENDER_TRANSPARENT ? static_cast<DWORD>(D3DCULL_NONE) : BackCulling(m_Shape, device);
    const int count = m_aMaterials.GetNumElements();
    for (int i = 0; i < count; ++i)
    {
        aeModelMaterial* m = &m_aMaterials[i];
        if (m->iNumTriangles <= 0)
            continue;
        if (tint)
        {
            if (!IsInPassEx(m, *tint, mode))
                continue;
            aeGrafik::SetMaterialEx(m, *tint);
        }
        else
        {
            if (!IsInPass(m, mode))
                continue;
            aeGrafik::SetMaterial(m);
        }
        // (Each material turns culling off again.)
        if (culling != D3DCULL_NONE && !m->iTransparent)
            device->SetRenderState(D3DRS_CULLMODE, culling);
        const HRESULT hr = device->DrawIndexedPrimitive(
            D3DPT_TRIANGLELIST, 0, static_cast<UINT>(m->iLowestVertex),
            static_cast<UINT>(m->iHighestVertex - m->iLowestVertex + 1), static_cast<UINT>(m->iFirstIndex),
            static_cast<UINT>(m->iNumTriangles));
        if (FAILED(hr))
        {
            AE_DXERROR(function, "aeGrafik::GetDevice()->DrawIndexedPrimitive", hr);
            return 0;
        }
    }
    if (culling != D3DCULL_NONE)
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    aeGrafik::Reset();
    return 1;
}

int aeModel::Render(int mode)
{
    return Draw(nullptr, mode, "aeModel::Render");
}

int aeModel::RenderEx(Color tint, int mode)
{
    return Draw(&tint, mode, "aeModel::RenderEx");
}

// ---------------------------------------------------------------------------
// aeModelManager
// ---------------------------------------------------------------------------

int aeModelManager::m_bInitialized = 0;
DynList<aeModel> aeModelManager::m_aModels;

int aeModelManager::Init()
{
    if (m_bInitialized)
        Exit();
    m_aModels.Clear();
    m_bInitialized = 1;
    return 1;
}

void aeModelManager::Exit()
{
    if (!m_bInitialized)
        return;
    // Deleting a model exits it.
    m_aModels.Clear();
    m_bInitialized = 0;
}

namespace
{
const aeRegistryText kRegistry = AE_REGISTRY_TEXT(ModelManager, Model, "Model.cpp", "Das Modell wurde nicht gefunden!");
}

AE_REGISTRY_OPERATIONS(aeModelManager, Model, aeModel, m_aModels)

void aeModelManager::PrepareRestore()
{
    const int count = m_aModels.GetNumElements();
    for (int i = 0; i < count; ++i)
        m_aModels[i]->PrepareRestore();
}

int aeModelManager::Restore()
{
    const int count = m_aModels.GetNumElements();
    for (int i = 0; i < count; ++i)
        m_aModels[i]->Restore();
    return 1;
}
