#pragma once
// Static textured triangle meshes loaded from RVM files, and the registry of
// loaded models.
//
// A model holds its materials, one vertex buffer (position and texture
// coordinates) and one 16-bit index buffer whose triangles are grouped into one
// contiguous run per material, so that drawing costs one call per material.

#include "DynList.h"
#include "aeMath.h"
#include "aeModelMaterial.h"
#include "aeModelShape.h"

class VFile;
class aeVertexBuffer;
class aeIndexBuffer;

// D3DFVF_XYZ | D3DFVF_TEX1: the vertex format of every model.
#define AE_RVM_FVF 0x102

// Drawing passes of Render/RenderEx.
#define AE_RENDER_ALL 0
#define AE_RENDER_OPAQUE 1
#define AE_RENDER_TRANSPARENT 2

// One vertex as stored in the file and in the vertex buffer (20 bytes).
struct aeRVMVertex
{
    float x, y, z;
    float u, v;
};

class aeModel
{
public:
    aeModel();
    ~aeModel();
    aeModel(const aeModel&) = delete;
    aeModel& operator=(const aeModel&) = delete;

    // Reads one RVM file from the file's cursor and creates the buffers.
    int Init(VFile* file, const char* name);
    void Exit();

    // The reading half of Init, without the device: checks the file, fills the
    // materials (with their textures looked up and their index runs), the
    // counts, and the vertices and indices that go into the buffers.
    int Read(VFile* file, DynArray<aeRVMVertex>* vertices, DynArray<unsigned short>* indices);

    // Device loss: the buffers drop their device parts and are recreated from
    // their memory copies; textures are looked up again by name.
    void PrepareRestore();
    int Restore();

    // Draws with the current world matrix; mode is one of AE_RENDER_*. The
    // backs of closed opaque pieces are left out where nothing could see them
    // (aeModelShape::BackWinding).
    int Render(int mode);
    // The same with every material colour multiplied by tint.
    int RenderEx(Color tint, int mode);

    // Whether Render / RenderEx draw a material in the given pass.
    static int IsInPass(const aeModelMaterial* material, int mode);
    static int IsInPassEx(const aeModelMaterial* material, Color tint, int mode);

    char* GetName() { return m_acName; }
    int GetNumMaterials() const { return m_aMaterials.GetNumElements(); }
    aeModelMaterial* GetMaterial(int index) { return &m_aMaterials[index]; }
    int GetNumVertices() const { return m_iNumVertices; }
    int GetNumIndices() const { return m_iNumIndices; }
    aeVertexBuffer* GetVertexBuffer() const { return m_pVertexBuffer; }
    aeIndexBuffer* GetIndexBuffer() const { return m_pIndexBuffer; }
    // The box around the vertices and the opaque flat faces, as read.
    const aeModelShape& GetShape() const { return m_Shape; }

    DynArray<aeModelMaterial> m_aMaterials;
    aeVertexBuffer* m_pVertexBuffer;
    aeIndexBuffer* m_pIndexBuffer;
    int m_iNumVertices;
    int m_iNumIndices;
    char m_acName[256];

private:
    aeModelShape m_Shape;

    int Draw(const Color* tint, int mode, const char* function);
};

class aeModelManager
{
public:
    static int m_bInitialized;
    static DynList<aeModel> m_aModels;

    static int Init();
    static void Exit();
    static int IsInitialized() { return m_bInitialized; }
    static int GetNumModels() { return m_aModels.GetNumElements(); }

    static int AddModel(VFile* file, const char* name, aeModel** out);
    static int AddModelArchive(VFile* archive);
    // Index of the first model called name (exact, case-sensitive), or -1.
    static int FindModel(const char* name);
    // Null for a negative index; the index must be below the count.
    static aeModel* GetModel(int index) { return m_aModels.GetElement(index); }
    static aeModel* GetModel(const char* name);
    static void DeleteModel(int index);
    static void DeleteModel(const char* name);

    static void PrepareRestore();
    static int Restore();
};
