#pragma once
// Animations: named sets of animated objects loaded from RVAN files, the
// player that holds the playing state of one use of an animation, and the
// registry of loaded animations.
//
// The drawing half (models, sprite textures, the basic sprite model and the
// Render operations) belongs to the graphics side and is added there; what is
// here is the data, the file reader and the timing logic the maze relies on.

#include "DynList.h"
#include "aeMath.h"

class VFile;
class aeModel;

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

    // The key with the smallest time >= t (times below 1.1), or key 0.
    aeKeyFrame* GetNextKeyFrame(float t);
    // The key with the largest time <= t (times above -0.1), or key 0.
    aeKeyFrame* GetPrevKeyFrame(float t);

    aeKeyFrame GetKeyFrame(int index) { return m_aKeyFrames[index]; }
    int GetNumKeyFrames() const { return m_aKeyFrames.GetNumElements(); }
    int GetType() const { return m_iType; }
    aeModel* GetModel() const { return m_pModel; }
    const char* GetName() const { return m_acName; }

    // Resolved against the model and texture managers once they exist; null
    // until then, which leaves the object undrawn.
    aeModel* m_pModel;
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
    // Created by the graphics side together with the models.
    static aeModel* m_pBasicSpriteModel;

    static int Init();
    static void Exit();
    static int IsInitialized() { return m_bInitialized; }

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
};
