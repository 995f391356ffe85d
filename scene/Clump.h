#pragma once

#include "engine/core/RwCore.h"
#include "scene/RenderObject.h"

#include <string>
#include <vector>

struct RpAtomic;
struct RpClump;

struct BoundingSphere {
    Vector3 centre{0.0f, 0.0f, 0.0f};
    float radius = 0.0f;
};

// The smallest sphere around both; when one holds the other, that one (the first on a tie).
BoundingSphere MergeBoundingSpheres(const BoundingSphere& a, const BoundingSphere& b);

// A model loaded from a clump file with its textures, placed by its position, rotation and
// scale on top of the placement its root frame had in the file.
class Clump : public RenderObject {
public:
    Clump();
    ~Clump() override;

    Clump(const Clump&) = delete;
    Clump& operator=(const Clump&) = delete;

    // Reading reloads the model only when the geometry or texture folder changed.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    float GetDistanceToCamera() const override;
    void Render() override;
    void Update(float dt) override;
    // Name, placement, visibility and scale are copied; the engine clump is cloned.
    virtual Clump* Clone() const;

    // A file that cannot be read gives a dummy clump and still returns true; false for an
    // empty name (nothing changes) or a hierarchy exported without matrices (no clump left).
    virtual bool LoadClump(const std::string& fileName, const std::string& textureFolder, bool bindPose);
    // Releases the model with the hierarchy on its frames.
    void DestroyClump();
    // Replaces the model by a stand-in of radius 1 at the origin.
    bool CreateDummyClump();

    // Null without a model.
    RpClump* GetRwClump() const { return m_clump; }
    RwFrame* GetFrame() const;
    RwMatrix* GetFrameMatrix() const;
    // Appends the atomics in the engine's order; returns the vector's size.
    int GetAtomics(std::vector<RpAtomic*>& atomics) const;
    // Every material's alpha becomes alpha x 255 and the geometry modulates by it.
    void SetAlpha(float alpha);

    // Atomics listed here are neither drawn nor counted in the bounding sphere.
    void AddInvisibleAtomics(const std::vector<int>& indices);
    void ExcludeFromBounds(const std::vector<int>& indices) { AddInvisibleAtomics(indices); }
    const std::vector<int>& GetInvisibleAtomics() const { return m_invisibleAtomics; }
    void SetInvisibleAtomics(const std::vector<int>& indices) { m_invisibleAtomics = indices; }

    // In model space; always contains the model's origin.
    void GetBoundingSphere(BoundingSphere& sphere) const;
    // Bakes the placement into the vertices (normals stay) and resets it.
    void FreezeTransform();

    // Names the files without loading them, for writers of tables; reading the table loads.
    void NameFiles(const std::string& geometry, const std::string& textureFolder)
    {
        m_geometry = geometry;
        m_textures = textureFolder;
    }
    const std::string& GetGeometry() const { return m_geometry; }
    const std::string& GetTexturePath() const { return m_textures; }
    void SetScale(const Vector3& scale) { m_scale = scale; }
    const Vector3& GetScale() const { return m_scale; }
    const Vector3& GetInitialPosition() const { return m_initialPosition; }
    const Quaternion& GetInitialRotation() const { return m_initialRotation; }

protected:
    Vector3 m_scale{1.0f, 1.0f, 1.0f};
    std::string m_geometry;
    std::string m_textures;
    RpClump* m_clump = nullptr;
    Vector3 m_initialPosition{0.0f, 0.0f, 0.0f};
    Quaternion m_initialRotation = Quaternion::Identity;
    std::vector<int> m_invisibleAtomics;
};

// Moves an engine frame it does not own. Angles are radians.
class FrameHelper {
public:
    explicit FrameHelper(RwFrame* frame) : m_frame(frame) {}
    RwFrame* GetFrame() const { return m_frame; }

    void Translate(const Vector3& v, RwOpCombineType combine);
    void Rotate(const Vector3& axis, float angle, RwOpCombineType combine);
    void Rotate(const Vector3& axis, float angle) { Rotate(axis, angle, rwCombineReplace); }
    // Replaces the frame's matrix by the rotation alone.
    void SetOrientation(const Quaternion& orientation);

private:
    RwFrame* m_frame;
};
