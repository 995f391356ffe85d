#pragma once

#include "framework/Color.h"
#include "framework/Object.h"

#include <memory>
#include <string>
#include <vector>

class Clump;
struct RpMaterial;
struct RtAnimAnimation;
struct RtAnimInterpolator;
struct RwMatrix;
struct RwTexture;

// A copy of an engine material's surface, kept by the actions that drive it. The engine
// material is borrowed: it lives as long as the clump it came from.
class Material : public Object {
public:
    Material() = default;
    // Null is logged and leaves the defaults.
    explicit Material(RpMaterial* material);

    // Reading writes the colour and surface into the engine material; the texture name is
    // only shown.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    RpMaterial* GetRwMaterial() const { return m_material; }
    const Color& GetColor() const { return m_color; }
    const std::string& GetTextureName() const { return m_textureName; }

private:
    RpMaterial* m_material = nullptr;
    Color m_color;
    float m_ambient = 0.0f;
    float m_diffuse = 0.0f;
    float m_specular = 0.0f;
    std::string m_textureName;
};

// Animates the surfaces of a clump it is attached to; run once per frame by its owner.
class Action : public Object {
public:
    virtual bool IsActive() const { return true; }
    // Only clumps can carry actions.
    virtual bool CanApply(Object* object, int value) const;
    // Binds the action to the clump, dropping what an earlier attach collected; false when
    // the object is not a clump (where the action needs one).
    virtual bool Attach(Object* object, int value) = 0;
    virtual bool Detach() { return true; }
    // object is unused (owners pass null).
    virtual bool DoAction(Object* object, float dt) = 0;

    Clump* GetClump() const { return m_clump; }

protected:
    // The materials of the clump's atomics that have a texture, in atomic order.
    static std::vector<Material> TexturedMaterials(const Clump& clump);

    Clump* m_clump = nullptr;
};

// Plays numbered image files ("name0001.png", "name0002.png", ...) as a flip-book on the
// first textured material.
class AnimatedTextureAction : public Action {
public:
    ~AnimatedTextureAction() override;
    void Serialize(Serializer& serializer, const char* descriptor) override;
    bool Attach(Object* object, int value) override;
    bool Detach() override;
    bool DoAction(Object* object, float dt) override;

    // The frame shown at the current time; -1 without frames.
    int GetFrameIndex() const;
    const std::vector<RwTexture*>& GetFrames() const { return m_frames; }
    const std::vector<Material>& GetMaterials() const { return m_materials; }
    // Names the first frame without reading; reading the table or ReadFrames reads.
    void SetFileName(const std::string& name, int startIndex, float speed);
    // Reads the frames from the start index on until one is missing; the time starts again.
    void ReadFrames();

private:
    void DestroyFrames();

    std::vector<Material> m_materials;
    std::string m_fileName;
    int32_t m_startIndex = 0;
    float m_animSpeed = 0.0f;
    float m_time = 0.0f;
    // One reference each.
    std::vector<RwTexture*> m_frames;
};

// Fades every material of the clump by the first node's x translation in an animation file.
class AnimatedTransparencyAction : public Action {
public:
    ~AnimatedTransparencyAction() override;
    void Serialize(Serializer& serializer, const char* descriptor) override;
    bool Attach(Object* object, int value) override;
    bool DoAction(Object* object, float dt) override;

    // 0..1; the value the last DoAction applied.
    float GetAlpha() const { return m_alpha; }
    // Names the file without reading; reading the table or ReadAnimation reads.
    void SetAnimation(const std::string& fileName, float speed);
    // A file that cannot be read leaves the action without an animation (it does nothing).
    void ReadAnimation();

private:
    void DestroyAnimation();

    std::string m_fileName;
    RtAnimAnimation* m_animation = nullptr;
    RtAnimInterpolator* m_interpolator = nullptr;
    float m_time = 0.0f;
    float m_speed = 1.0f;
    float m_alpha = 1.0f;
};

// Scrolls the texture coordinates of the first textured material.
class AnimateUVAction : public Action {
public:
    ~AnimateUVAction() override;
    void Serialize(Serializer& serializer, const char* descriptor) override;
    bool Attach(Object* object, int value) override;
    bool Detach() override;
    bool DoAction(Object* object, float dt) override;

    float GetOffsetU() const { return m_offsetU; }
    float GetOffsetV() const { return m_offsetV; }
    const RwMatrix* GetUVMatrix() const { return m_uvMatrix; }
    const std::vector<Material>& GetMaterials() const { return m_materials; }
    void SetSpeed(float u, float v)
    {
        m_speedU = u;
        m_speedV = v;
    }

private:
    // Takes the effect off the material that carries the matrix, then frees the matrix.
    void Release();

    std::vector<Material> m_materials;
    RwMatrix* m_uvMatrix = nullptr;
    // The material pointing at the matrix, with a reference held so that it can be told to
    // forget the matrix even after its clump has let it go.
    RpMaterial* m_transformed = nullptr;
    float m_offsetU = 0.0f, m_offsetV = 0.0f;
    float m_speedU = 0.0f, m_speedV = 0.0f;
};

// Moves the vertices of pre-lit geometry in crossing sine waves around the height it first
// found, with a transparency that follows the waves.
class WaterAction : public Action {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    bool Attach(Object* object, int value) override;
    bool DoAction(Object* object, float dt) override;

    // The height the waves move around; taken from the first vertex this action locks.
    float GetBaseHeight() const { return m_baseHeight; }
    // The pre-lit alpha of a wave value w in -1..1.
    int Alpha(float w) const;

private:
    float m_time = 0.0f;
    float m_factorX = 3.0f;
    float m_factorZ = 6.0f;
    float m_waveHeight = 0.2f;
    float m_alphaMin = 120.0f;
    float m_alphaMax = 240.0f;
    bool m_haveBaseHeight = false;
    float m_baseHeight = 0.0f;
};

using ActionList = std::vector<std::unique_ptr<Action>>;

// The owner's list of actions in its table: count, each entry's class and table, and the
// editor's creation box. Entries can be empty (an unknown class): owners skip them.
void SerializeMaterialActions(Serializer& serializer, ActionList& actions);
// Attaches every action of the list to the clump.
void AttachMaterialActions(ActionList& actions, Clump* clump);
// Runs every action of the list for the frame.
void RunMaterialActions(ActionList& actions, float dt);
