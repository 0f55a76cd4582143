#pragma once
// Animations: named sets of animated objects loaded from RVAN files, the
// player that holds the playing state of one use of an animation, and the
// registry of loaded animations.
//
// An object shows a model, or a texture on the basic sprite model (a unit quad
// owned by the manager), and is moved along key frames in a normalised time
// from 0 to 1; it may turn towards the viewer (the billboard types).

#include "DynList.h"
#include "aeMath.h"
#include "aeModel.h"

class VFile;
class IDirect3DTexture9;

// Orientation types of an animated object; any other value means none.
#define AE_BILLBOARD_NONE 0
#define AE_BILLBOARD_FULL 1 // faces the viewer completely
#define AE_BILLBOARD_X 2    // turns about its x axis towards the viewer
#define AE_BILLBOARD_Y 3    // turns about its y axis (upright) towards the viewer
#define AE_BILLBOARD_Z 4    // turns about its z axis, following the viewer's right

// The name under which the manager loads its basic sprite model.
#define AE_BASIC_SPRITE_MODEL "Basic Sprite-Model.rvm"

// One key of an animated object, at a normalised time from 0 to 1.
struct aeKeyFrame
{
    float m_fTime;
    int m_bVisible;
    Vector3 m_vScale;
    Vector3 m_vRotation;
    Vector3 m_vPosition;
};

// One animated object: a model (or a sprite) moved along its key frames.
class aeAnimObject
{
public:
    aeAnimObject();
    ~aeAnimObject();
    aeAnimObject(const aeAnimObject&) = delete;
    aeAnimObject& operator=(const aeAnimObject&) = delete;

    int Init(VFile* file);
    void Exit();
    // Forgets the sprite texture before the textures are released.
    void PrepareRestore();
    // Looks the name up again, as a model and otherwise as a texture.
    int Restore();

    // Draws the object at the normalised time t: 0 without a model (which
    // stops the animation's drawing), 1 when drawn or hidden. eye and right
    // are the viewer's position and right direction in world space; mode is
    // the pass (AE_RENDER_*).
    int Render(float t, Matrix world, Vector3 eye, Vector3 right, int mode);
    // The same with the tint passed to the model; the billboard turns towards
    // the viewer from the interpolated position itself, not its world position.
    int RenderEx(float t, Matrix world, Vector3 eye, Vector3 right, Color tint, int mode);

    // The object's world matrix at time t, key frames interpolated and the
    // billboard applied; the billboard direction is taken from the world
    // position of the object when atWorldPosition is set. Returns 0 (and
    // leaves *out alone) when nothing is drawn at t: no key frames, t outside
    // 0 to 1 or not a number, or the nearer key frame hidden.
    int GetWorldMatrix(float t, const Matrix& world, const Vector3& eye, const Vector3& right, int atWorldPosition,
                       Matrix* out);

    // The key with the smallest time >= t (times below 1.1), or key 0.
    aeKeyFrame* GetNextKeyFrame(float t);
    // The key with the largest time <= t (times above -0.1), or key 0.
    aeKeyFrame* GetPrevKeyFrame(float t);

    aeKeyFrame GetKeyFrame(int index) { return m_aKeyFrames[index]; }
    int GetNumKeyFrames() const { return m_aKeyFrames.GetNumElements(); }
    int GetType() const { return m_iType; }
    aeModel* GetModel() const { return m_pModel; }
    IDirect3DTexture9* GetSpriteTexture() const { return m_pSpriteTexture; }
    const char* GetName() const { return m_acName; }

    // The model drawn (the basic sprite model for a sprite), or null when the
    // name matched neither a model nor a texture; not owned.
    aeModel* m_pModel;
    // The texture of a sprite object, else null; not owned.
    IDirect3DTexture9* m_pSpriteTexture;
    DynArray<aeKeyFrame> m_aKeyFrames;
    char m_acName[256];
    int m_iType;
};

class aeAnimation
{
public:
    aeAnimation();
    ~aeAnimation();
    aeAnimation(const aeAnimation&) = delete;
    aeAnimation& operator=(const aeAnimation&) = delete;

    int Init(VFile* file, const char* name);
    void Exit();
    void PrepareRestore();
    int Restore();

    // Draws the objects in order at the normalised time t; stops with 0 at the
    // first object that fails.
    int Render(float t, Matrix world, Vector3 eye, Vector3 right, int mode);
    int RenderEx(float t, Matrix world, Vector3 eye, Vector3 right, Color tint, int mode);

    char* GetName() { return m_acName; }
    const char* GetName() const { return m_acName; }
    // The duration in seconds.
    float GetTime() const { return m_fTime; }
    int GetNumObjects() const { return m_aObjects.GetNumElements(); }
    aeAnimObject* GetObjectA(int index) const { return m_aObjects.GetElement(index); }

    DynList<aeAnimObject> m_aObjects;
    char m_acName[256];
    float m_fTime;
};

// The playing state of one use of an animation: a plain value of four fields
// that the maze also sets directly.
class aeAnimationPlayer
{
public:
    aeAnimationPlayer() : m_pAnimation(nullptr), m_bLoop(0), m_fTime(0.0f), m_fSpeed(0.0f) {}

    // time 0, not looping, speed 1; a null animation is refused.
    int Init(aeAnimation* animation);
    // The same with the animation registered under name.
    int Init(const char* name);
    void Exit() { m_pAnimation = nullptr; }
    // Restarts at time 0 with the given loop flag; the speed stays.
    void Start(int loop)
    {
        m_fTime = 0.0f;
        m_bLoop = loop;
    }
    void SetLoop(int loop) { m_bLoop = loop; }
    void SetCurrentTime(float time) { m_fTime = time; }
    void SetSpeed(float speed) { m_fSpeed = speed; }
    // 1 once the time has reached the duration (always 1 without animation).
    int IsFinished() const;
    int IsLoop() const { return m_bLoop; }
    float GetTickCount() const { return m_fTime; }
    float GetSpeed() const { return m_fSpeed; }
    aeAnimation* GetAnimation() const { return m_pAnimation; }

    // Advances the time by dt x speed: a looping player wraps once in either
    // direction, any other stops at 0 and at the duration. Returns the
    // normalised time (time / duration) at which the animation is drawn.
    float Advance(float dt);

    // Advances by dt (as Advance) and draws the animation at the new time.
    int Render(float dt, Matrix world, Vector3 eye, Vector3 right, int mode);
    int RenderEx(float dt, Matrix world, Vector3 eye, Vector3 right, Color tint, int mode);

    aeAnimation* m_pAnimation;
    int m_bLoop;
    float m_fTime;
    float m_fSpeed;
};

class aeAnimationManager
{
public:
    static int m_bInitialized;
    static DynList<aeAnimation> m_aAnimations;
    // The unit quad that sprite objects are drawn on (owned).
    static aeModel* m_pBasicSpriteModel;

    // Also loads the basic sprite model from the engine's resource 101 "RVM".
    static int Init();
    static void Exit();
    static int IsInitialized() { return m_bInitialized; }
    // Device loss: the sprite model's buffers and every sprite texture are
    // dropped, and recreated / looked up again by Restore.
    static void PrepareRestore();
    static int Restore();

    static int AddAnimation(VFile* file, const char* name, aeAnimation** out);
    static int AddAnimationArchive(VFile* archive);
    // Index of the first animation called name (exact, case-sensitive), or -1.
    static int FindAnimation(const char* name);
    static aeAnimation* GetAnimation(int index) { return m_aAnimations.GetElement(index); }
    static aeAnimation* GetAnimation(const char* name);
    static int GetNumAnimations() { return m_aAnimations.GetNumElements(); }
    static void DeleteAnimation(int index);
    static void DeleteAnimation(const char* name);
    static aeModel* GetBasicSpriteModel() { return m_pBasicSpriteModel; }

private:
    static void LoadBasicSpriteModel();
};
