#include "scene/Clump.h"

#include "engine/bridge/EngineBridge.h"
#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Debug.h"
#include "framework/MathUtil.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/RwGraphics.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

REGISTER_FACTORY(RenderObjects, Clump);

namespace {

RwV3d ToRw(const Vector3& v)
{
    return RwV3d{v.x, v.y, v.z};
}

// The matrix becomes the rotation followed by the translation.
void SetMatrix(RwMatrix* matrix, const Quaternion& rotation, const Vector3& translation)
{
    Quaternion q = rotation;
    q.Normalize();
    const Matrix3 m = q.ToMatrix();
    matrix->right = ToRw(m.GetColumn(0));
    matrix->up = ToRw(m.GetColumn(1));
    matrix->at = ToRw(m.GetColumn(2));
    matrix->pos = ToRw(translation);
    RwMatrixUpdateFlags(matrix);
}

RpAtomic* AppendAtomic(RpAtomic* atomic, void* data)
{
    static_cast<std::vector<RpAtomic*>*>(data)->push_back(atomic);
    return atomic;
}

bool IsListed(const std::vector<int>& indices, int index)
{
    return std::find(indices.begin(), indices.end(), index) != indices.end();
}

BoundingSphere FromRw(const RwSphere& s)
{
    return BoundingSphere{Vector3{s.center.x, s.center.y, s.center.z}, s.radius};
}

}  // namespace

BoundingSphere MergeBoundingSpheres(const BoundingSphere& a, const BoundingSphere& b)
{
    const Vector3 d = b.centre - a.centre;
    const float lengthSquared = d.LengthSquared();
    const float radiusDifference = a.radius - b.radius;
    if (lengthSquared <= radiusDifference * radiusDifference)
        return a.radius >= b.radius ? a : b;
    const float length = std::sqrt(lengthSquared);
    BoundingSphere merged;
    merged.radius = (length + a.radius + b.radius) * 0.5f;
    merged.centre = a.centre + d * ((length + b.radius - a.radius) / (2.0f * length));
    return merged;
}

Clump::Clump()
{
    m_position = Vector3{0.0f, 0.0f, 0.0f};
    m_rotation = Quaternion::Identity;
}

Clump::~Clump()
{
    DestroyClump();
}

void Clump::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Clump", descriptor);
    const std::string oldGeometry = m_geometry;
    const std::string oldTextures = m_textures;
    serializer.SerializeButton("filename [Geometry|*.dff]", "");
    serializer.SerializeString("geometry", &m_geometry);
    serializer.SerializeButton("filename [Path|*.*]", "");
    serializer.SerializeString("textures", &m_textures);
    if (serializer.IsReading() && (m_geometry != oldGeometry || m_textures != oldTextures)) {
        DestroyClump();
        // Not the override: a table reload must not redo what a subclass adds to loading.
        const std::string geometry = m_geometry;
        const std::string textures = m_textures;
        Clump::LoadClump(geometry, textures, true);
    }
    serializer.SerializeVector3("Position", &m_position);
    serializer.SerializeQuaternion("Orientation", &m_rotation);
    serializer.SerializeVector3("Scale", &m_scale);
    serializer.EndSection();
}

float Clump::GetDistanceToCamera() const
{
    const RwMatrix* matrix = GetFrameMatrix();
    if (!matrix)
        return RenderObject::GetDistanceToCamera();
    return RwGraphics::Instance()->GetDistanceToCamera(Vector3{matrix->pos.x, matrix->pos.y, matrix->pos.z});
}

void Clump::Update(float)
{
    RwFrame* frame = GetFrame();
    if (!frame)
        return;
    SetMatrix(RwFrameGetMatrix(frame), m_rotation * m_initialRotation, m_position + m_initialPosition);
    RwFrameUpdateObjects(frame);
    const RwV3d scale = ToRw(m_scale);
    RwFrameScale(frame, &scale, rwCombinePreMultiply);
}

void Clump::Render()
{
    if (!m_clump)
        return;
    if (m_invisibleAtomics.empty()) {
        RpClumpRender(m_clump);
        return;
    }
    std::vector<RpAtomic*> atomics;
    GetAtomics(atomics);
    for (size_t i = 0; i < atomics.size(); ++i) {
        if (!IsListed(m_invisibleAtomics, int(i)))
            RpAtomicRender(atomics[i]);
    }
}

Clump* Clump::Clone() const
{
    auto* clone = new Clump();
    clone->SetName(GetName());
    clone->m_position = m_position;
    clone->m_rotation = m_rotation;
    clone->m_visible = m_visible;
    clone->m_scale = m_scale;
    if (m_clump)
        clone->m_clump = RpClumpClone(m_clump);
    return clone;
}

bool Clump::LoadClump(const std::string& fileName, const std::string& textureFolder, bool bindPose)
{
    if (fileName.empty())
        return false;
    // Copies first: the arguments may be our own fields.
    const std::string file = fileName;
    const std::string folder = textureFolder;
    DestroyClump();
    m_geometry = file;
    m_textures = folder;
    DebugTrace("loading Clump: \"%s\" (\"%s\")\n", file.c_str(), folder.c_str());
    RwImageSetPath(folder.c_str());

    if (RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, file.c_str())) {
        if (RwStreamFindChunk(stream, rwChunkClump, nullptr, nullptr))
            m_clump = RpClumpStreamRead(stream);
        else
            LogError("Clump::LoadClump: Could not find chunk.\n");
        RwStreamClose(stream, nullptr);
    } else {
        LogError("Clump::LoadClump: Failed to load file <%s>!\n", file.c_str());
    }
    if (!m_clump) {
        LogError("Clump::LoadClump: Failed to read clump, creating a dummy clump.\n");
        const RwV3d origin{0.0f, 0.0f, 0.0f};
        m_clump = RpClumpCreateDummy(&origin, 1.0f);
        if (!m_clump)
            return false;
    }

    RwFrame* root = RpClumpGetFrame(m_clump);
    if (root) {
        const RwMatrix* matrix = RwFrameGetMatrix(root);
        m_initialRotation = Math::QuaternionFromRwMatrix(matrix);
        m_initialPosition = Vector3{matrix->pos.x, matrix->pos.y, matrix->pos.z};
    } else {
        m_initialRotation = Quaternion::Identity;
        m_initialPosition = Vector3{0.0f, 0.0f, 0.0f};
    }
    m_position = Vector3{0.0f, 0.0f, 0.0f};
    m_rotation = Quaternion::Identity;

    RpHAnimHierarchy* hierarchy = RpHAnimFrameFindHierarchy(root);
    if (!hierarchy)
        return true;
    if (hierarchy->flags & rpHAnimHierarchyNoMatrices) {
        LogError("Clump::LoadClump: Clump is exported with no matrices!\n");
        DestroyClump();
        return false;
    }

    std::vector<RpAtomic*> atomics;
    GetAtomics(atomics);
    for (RpAtomic* atomic : atomics) {
        RpSkin* skin = RpSkinGeometryGetSkin(RpAtomicGetGeometry(atomic));
        if (!skin)
            continue;
        RpSkinAtomicSetHAnimHierarchy(atomic, hierarchy);
        if (!bindPose || !hierarchy->pMatrixArray)
            continue;
        hierarchy->flags |= rpHAnimHierarchyLocalSpaceMatrices;
        const int bones = RpSkinGetNumBones(skin);
        // A skin may name more bones than the hierarchy has matrices for.
        const int count = std::min(bones, hierarchy->numNodes);
        if (bones != hierarchy->numNodes)
            LogWarning("Clump::LoadClump: skin of %d bones on a hierarchy of %d nodes in <%s>.\n", bones,
                       hierarchy->numNodes, file.c_str());
        const RwMatrix* skinToBone = RpSkinGetSkinToBoneMatrices(skin);
        for (int i = 0; i < count; ++i) {
            if (!RwMatrixInvert(&hierarchy->pMatrixArray[i], &skinToBone[i]))
                RwMatrixSetIdentity(&hierarchy->pMatrixArray[i]);
        }
    }
    return true;
}

void Clump::DestroyClump()
{
    if (!m_clump)
        return;
    if (RpHAnimHierarchy* hierarchy = RpHAnimFrameFindHierarchy(RpClumpGetFrame(m_clump))) {
        RpHAnimHierarchyDetach(hierarchy);
        RpHAnimHierarchyDestroy(hierarchy);
    }
    RpClumpDestroy(m_clump);
    m_clump = nullptr;
}

bool Clump::CreateDummyClump()
{
    DestroyClump();
    const RwV3d origin{0.0f, 0.0f, 0.0f};
    m_clump = RpClumpCreateDummy(&origin, 1.0f);
    return true;
}

RwFrame* Clump::GetFrame() const
{
    return m_clump ? RpClumpGetFrame(m_clump) : nullptr;
}

RwMatrix* Clump::GetFrameMatrix() const
{
    RwFrame* frame = GetFrame();
    return frame ? RwFrameGetMatrix(frame) : nullptr;
}

int Clump::GetAtomics(std::vector<RpAtomic*>& atomics) const
{
    if (m_clump) {
        atomics.reserve(atomics.size() + size_t(RpClumpGetNumAtomics(m_clump)));
        RpClumpForAllAtomics(m_clump, AppendAtomic, &atomics);
    }
    return int(atomics.size());
}

void Clump::SetAlpha(float alpha)
{
    const long value = std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255.0f);
    std::vector<RpAtomic*> atomics;
    GetAtomics(atomics);
    for (RpAtomic* atomic : atomics) {
        RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        if (!geometry)
            continue;
        for (RwInt32 i = 0; i < geometry->matList.numMaterials; ++i) {
            if (RpMaterial* material = geometry->matList.materials[i])
                material->color.alpha = RwUInt8(value);
        }
        RpGeometrySetFlags(geometry, RpGeometryGetFlags(geometry) | rpGeometryModulateMaterialColor);
    }
}

void Clump::AddInvisibleAtomics(const std::vector<int>& indices)
{
    m_invisibleAtomics.insert(m_invisibleAtomics.end(), indices.begin(), indices.end());
}

void Clump::GetBoundingSphere(BoundingSphere& sphere) const
{
    std::vector<RpAtomic*> atomics;
    GetAtomics(atomics);
    sphere = BoundingSphere{};
    for (size_t i = 0; i < atomics.size(); ++i) {
        if (IsListed(m_invisibleAtomics, int(i)))
            continue;
        RpAtomic* atomic = atomics[i];
        if (atomic->interpolator.flags & rpInterpolatorDirtySphere)
            RpAtomicUpdateInterpolatedSphere(atomic);
        sphere = MergeBoundingSpheres(sphere, FromRw(*RpAtomicGetBoundingSphere(atomic)));
    }
}

void Clump::FreezeTransform()
{
    RwFrame* root = GetFrame();
    if (!root)
        return;
    std::vector<RpAtomic*> atomics;
    GetAtomics(atomics);

    // Every matrix is taken before any frame is reset: atomics usually share the root
    // frame, and resetting it for the first would leave the others where they were.
    struct Frozen {
        RpAtomic* atomic;
        RwMatrix toRoot;
    };
    std::vector<Frozen> frozen;
    std::vector<RwFrame*> reset{root};
    for (RpAtomic* atomic : atomics) {
        Frozen entry{atomic, *RwFrameGetMatrix(root)};
        RwFrame* frame = RpAtomicGetFrame(atomic);
        if (frame && frame != root) {
            // The atomic's placement relative to the root's parent space.
            RwMatrix chain = *RwFrameGetMatrix(frame);
            for (RwFrame* parent = RwFrameGetParent(frame); parent; parent = RwFrameGetParent(parent)) {
                RwMatrix product;
                RwMatrixMultiply(&product, &chain, RwFrameGetMatrix(parent));
                chain = product;
                if (std::find(reset.begin(), reset.end(), parent) == reset.end())
                    reset.push_back(parent);
                if (parent == root)
                    break;
            }
            entry.toRoot = chain;
            reset.push_back(frame);
        }
        frozen.push_back(entry);
    }

    std::unordered_set<RpGeometry*> done;
    for (Frozen& entry : frozen) {
        RpGeometry* geometry = RpAtomicGetGeometry(entry.atomic);
        // A geometry shared by two atomics is moved once.
        if (!geometry || !done.insert(geometry).second)
            continue;
        if (!RpGeometryLock(geometry, rpGeometryLockVertices))
            continue;
        RwV3d* vertices = geometry->morphTarget[0].verts;
        if (vertices)
            RwV3dTransformPoints(vertices, vertices, geometry->numVertices, &entry.toRoot);
        RpGeometryUnlock(geometry);
    }
    for (RwFrame* frame : reset)
        RwFrameSetIdentity(frame);
    RwFrameUpdateObjects(root);

    m_initialRotation = Quaternion::Identity;
    m_rotation = Quaternion::Identity;
    m_initialPosition = Vector3{0.0f, 0.0f, 0.0f};
    m_position = Vector3{0.0f, 0.0f, 0.0f};
}

void FrameHelper::Translate(const Vector3& v, RwOpCombineType combine)
{
    if (!m_frame)
        return;
    const RwV3d t = ToRw(v);
    RwFrameTranslate(m_frame, &t, combine);
}

void FrameHelper::Rotate(const Vector3& axis, float angle, RwOpCombineType combine)
{
    if (!m_frame)
        return;
    const RwV3d a = ToRw(axis);
    RwFrameRotate(m_frame, &a, angle * 180.0f / Math::Pi, combine);
}

void FrameHelper::SetOrientation(const Quaternion& orientation)
{
    float angle = 0.0f;
    Vector3 axis;
    orientation.ToAxisAngle(angle, axis);
    if (angle != 0.0f)
        Rotate(axis, angle, rwCombineReplace);
    else
        Rotate(Vector3::UnitY, 0.0f, rwCombineReplace);
}
