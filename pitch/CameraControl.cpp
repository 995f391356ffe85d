#include "pitch/CameraControl.h"

#include "engine/plugins/RtAnim.h"
#include "framework/Debug.h"
#include "framework/Matrix3.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/Atmosphere.h"
#include "scene/Clump.h"
#include "settings/PitchCoordinates.h"
#include "simulation/TrackedObject.h"

#include <algorithm>
#include <cmath>

REGISTER_FACTORY(CameraControls, FreeCameraControl);
REGISTER_FACTORY(CameraControls, SimpleCameraControl);
REGISTER_FACTORY(CameraControls, SplineCameraControl);
REGISTER_FACTORY(CameraControls, TrackingCameraControl);

namespace {

TrackedObject* s_target = nullptr;
bool s_flipped = false;

constexpr float kHalfTurn = 3.1415925f;
constexpr int kButtonTurn = 1;
constexpr int kButtonFly = 2;
constexpr int kButtonSlide = 16;
// The first hit along a line is whichever the engine reports first, not the nearest: each
// pull brings the camera in front of one more, and a line crosses only a few.
constexpr int kMaxPulls = 8;
const Quaternion kNoRotation = Quaternion::Identity;
const Vector3 kNoPosition{0.0f, 0.0f, 0.0f};

// Rotation replacing the frame's matrix, then the translation appended.
void PlaceFrame(RwFrame* frame, const Quaternion& rotation, const Vector3& position)
{
    FrameHelper helper(frame);
    helper.SetOrientation(rotation);
    helper.Translate(position, rwCombinePostMultiply);
}

int ActionValue(const char* name)
{
    return static_cast<int>(BufferedInputController::Instance()->GetAction(name, InputController::kValue));
}

}  // namespace

const std::vector<CameraControlEntry>& GetCameraControlTable()
{
    static const std::vector<CameraControlEntry> table = {
        {"Free Camera", "FreeCameraControl"},         {"StandardMedium", "TrackingCameraControl"},
        {"LeftToRightMedium", "TrackingCameraControl"}, {"RightToLeftMedium", "TrackingCameraControl"},
        {"TopDownMedium", "TrackingCameraControl"},   {"IsometricMedium", "TrackingCameraControl"},
        {"Goal Left Far", "FreeCameraControl"},       {"Goal Left Middle", "FreeCameraControl"},
        {"Goal Left Near", "FreeCameraControl"},      {"Goal Right Far", "FreeCameraControl"},
        {"Goal Right Middle", "FreeCameraControl"},   {"Goal Right Near", "FreeCameraControl"},
        {"Corner Left Far", "TrackingCameraControl"}, {"Corner Left Near", "TrackingCameraControl"},
        {"Corner Right Far", "TrackingCameraControl"}, {"Corner Right Near", "TrackingCameraControl"},
        {"Whole Field", "FreeCameraControl"},         {"Kick Off", "FreeCameraControl"},
        {"Fly", "TrackingCameraControl"},             {"Penalty Left", "FreeCameraControl"},
        {"Penalty Right", "FreeCameraControl"},       {"Menu", "FreeCameraControl"},
        {"Throw In", "TrackingCameraControl"},        {"Referee", "TrackingCameraControl"},
        {"Players Bench", "SimpleCameraControl"},     {"Intro Camera", "SplineCameraControl"},
        {"CutScene", "SplineCameraControl"},
    };
    return table;
}

void SetCameraTarget(TrackedObject* target)
{
    s_target = target;
}

TrackedObject* GetCameraTarget()
{
    return s_target;
}

void SetCameraFlipped(bool flipped)
{
    s_flipped = flipped;
}

bool IsCameraFlipped()
{
    return s_flipped;
}

void CameraControl::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("CameraControl", descriptor);
    serializer.SerializeString("Next in sequence", &nextInSequence);
    serializer.SerializeString("Previous in sequence", &previousInSequence);
    serializer.SerializeString("Next zoom level", &nextZoomLevel);
    serializer.SerializeString("Previous zoom level", &previousZoomLevel);
    serializer.EndSection();
}

void CameraControl::SerializeParent(Serializer& serializer)
{
    CameraControl::Serialize(serializer, "parent class");
}

void FreeCameraControl::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Free Camera", descriptor);
    SerializeParent(serializer);
    serializer.SerializeVector3("Position", &m_position);
    serializer.SerializeButton("angle", "");
    serializer.SerializeFloat("Angle X", &m_angleX);
    serializer.SerializeButton("angle", "");
    serializer.SerializeFloat("Angle Y", &m_angleY);
    serializer.SerializeFloat("Move Speed", &m_moveSpeed);
    serializer.SerializeFloat("Rotation Speed", &m_rotationSpeed);
    serializer.EndSection();
}

bool FreeCameraControl::Activate()
{
    BufferedInputController::Instance()->RegisterInputListener(this);
    return true;
}

bool FreeCameraControl::Deactivate()
{
    BufferedInputController::Instance()->UnregisterInputListener(this);
    return true;
}

const Quaternion& FreeCameraControl::GetRotation()
{
    LogMessageBox("NOT IMPLEMENTED");
    return kNoRotation;
}

void FreeCameraControl::ApplyToFrame(RwFrame* frame)
{
    FrameHelper helper(frame);
    helper.Rotate(Vector3::UnitX, m_angleX, rwCombineReplace);
    helper.Rotate(Vector3::UnitY, m_angleY, rwCombinePostMultiply);
    helper.Translate(m_position, rwCombinePostMultiply);
}

bool FreeCameraControl::OnInput(float dt)
{
    const float dx = static_cast<float>(ActionValue("mouse delta x"));
    const float dy = static_cast<float>(ActionValue("mouse delta y"));
    const int buttons = ActionValue("mouse buttons");
    const float move = m_moveSpeed * dt;
    if (buttons & kButtonFly) {
        m_position.x -= std::sin(m_angleY) * dy * std::cos(-m_angleX) * move;
        m_position.y -= std::sin(-m_angleX) * dy * move;
        m_position.z -= std::cos(m_angleY) * dy * std::cos(-m_angleX) * move;
    } else if (buttons & kButtonTurn) {
        m_angleY -= dx * m_rotationSpeed * dt;
        m_angleX += dy * m_rotationSpeed * dt;
    } else if (buttons & kButtonSlide) {
        const Quaternion q = Quaternion(m_angleY, Vector3::UnitY) * Quaternion(m_angleX, Vector3::UnitX);
        m_position = m_position - q.Rotate(Vector3::UnitY) * (dy * move);
        m_position = m_position - q.Rotate(Vector3::UnitX) * (dx * move);
    }
    return true;
}

void SimpleCameraControl::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Simple Camera", descriptor);
    SerializeParent(serializer);
    serializer.SerializeVector3("Position", &m_position);
    serializer.SerializeQuaternion("Rotation", &m_rotation);
    serializer.EndSection();
}

void SimpleCameraControl::ApplyToFrame(RwFrame* frame)
{
    PlaceFrame(frame, m_rotation, m_position);
}

SplineCameraControl::SplineCameraControl() = default;

SplineCameraControl::~SplineCameraControl()
{
    DestroyPath();
}

void SplineCameraControl::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("SplineCameraControl", descriptor);
    serializer.EndSection();
}

void SplineCameraControl::DestroyPath()
{
    if (m_interpolator)
        RtAnimInterpolatorDestroy(m_interpolator);
    if (m_animation)
        RtAnimAnimationDestroy(m_animation);
    m_interpolator = nullptr;
    m_animation = nullptr;
}

void SplineCameraControl::SetAnimation(RtAnimAnimation* animation)
{
    DestroyPath();
    m_time = 0.0f;
    m_finished = false;
    if (!animation)
        return;
    m_animation = animation;
    m_interpolator = RtAnimInterpolatorCreate(RtAnimAnimationGetNumNodes(animation), sizeof(RtAnimKeyFrame));
    if (!m_interpolator) {
        LogError("SplineCameraControl::SetAnimation: no interpolator; the path is left out\n");
        DestroyPath();
        return;
    }
    RtAnimInterpolatorSetCurrentAnim(m_interpolator, m_animation);
    RtAnimInterpolatorSetCurrentTime(m_interpolator, 0.0f);
}

bool SplineCameraControl::LoadPath(const std::string& clumpFile, const std::string& animationFile)
{
    DestroyPath();
    auto clump = std::make_unique<Clump>();
    clump->LoadClump(clumpFile, "", true);
    RtAnimAnimation* animation = RtAnimAnimationRead(animationFile.c_str());
    m_clump = std::move(clump);
    m_pathClump = m_clump.get();
    SetAnimation(animation);
    if (!animation)
        LogWarning("SplineCameraControl::Load: no path in \"%s\"; the camera stays where it is\n",
                   animationFile.c_str());
    return HasPath();
}

bool SplineCameraControl::Activate()
{
    LoadPath("<LP>\\camera\\camera.dff", "<LP>\\camera\\camera.anm");
    return true;
}

bool SplineCameraControl::Load(const std::string& directory, const std::string& clumpFile,
                               const std::string& animationFile)
{
    return LoadPath(directory + clumpFile, directory + animationFile);
}

float SplineCameraControl::GetDuration() const
{
    return m_animation ? m_animation->duration : 0.0f;
}

const Vector3& SplineCameraControl::GetPosition()
{
    LogMessageBox("SplineCameraControl::GetPosition not implemented\n");
    return kNoPosition;
}

const Quaternion& SplineCameraControl::GetRotation()
{
    LogMessageBox("SplineCameraControl::GetRotation not implemented\n");
    return kNoRotation;
}

void SplineCameraControl::Update(float dt)
{
    if (!m_interpolator)
        return;
    m_time += dt * m_speed;
    if (m_time > GetDuration()) {
        m_time = GetDuration();
        m_finished = true;
    }
    RtAnimInterpolatorSetCurrentTime(m_interpolator, m_time);
}

void SplineCameraControl::ApplyToFrame(RwFrame* frame)
{
    RtAnimKeyFrame* key = RtAnimInterpolatorGetInterpFrame(m_interpolator, 0);
    if (!key || !frame)
        return;
    RwMatrix* matrix = RwFrameGetMatrix(frame);
    RtAnimScheme1Apply(matrix, key);
    if (const RwMatrix* path = m_pathClump ? m_pathClump->GetFrameMatrix() : nullptr)
        RwMatrixTransform(matrix, path, rwCombinePostMultiply);
    RwMatrixUpdateFlags(matrix);
    RwFrameUpdateObjects(frame);
}

void TrackingCameraControl::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("TrackedCameraControl", descriptor);
    SerializeParent(serializer);
    serializer.SerializeVector3("MinOffset", &m_minOffset);
    serializer.SerializeVector3("MaxOffset", &m_maxOffset);
    serializer.SerializeFloat("CurrentOff", &m_zoom);
    serializer.SerializeButton("angle", "");
    serializer.SerializeFloat("Angle X", &m_angleX);
    serializer.SerializeButton("angle", "");
    serializer.SerializeFloat("Angle Y", &m_angleY);
    serializer.SerializeBool("Lock x offset?", &m_lockX);
    serializer.SerializeBool("Lock y offset?", &m_lockY);
    serializer.SerializeBool("Lock z offset?", &m_lockZ);
    serializer.SerializeBool("Lock rotation?", &m_lockRotation);
    serializer.SerializeFloat("Blend time", &m_blendTime);
    serializer.SerializeBool("Is flippable?", &m_flippable);
    serializer.EndSection();
}

Quaternion TrackingCameraControl::GetWantedRotation() const
{
    const float yaw = m_angleY + (s_flipped && m_flippable ? kHalfTurn : 0.0f);
    Matrix3 m;
    m.FromEulerZYX(0.0f, yaw, m_angleX);
    if (s_target && !m_lockRotation)
        m = s_target->GetRotation().ToMatrix() * m;
    Quaternion q;
    q.FromMatrix(m);
    return q;
}

Vector3 TrackingCameraControl::GetTrackedPoint() const
{
    // The picture stays the pitch: a target far beyond its lines is framed at their edge.
    Vector3 p = s_target ? PitchFrame::KeepInside(s_target->GetPosition(), -kBeyondLines) : Vector3{0.0f, 0.0f, 0.0f};
    if (m_lockX)
        p.x = 0.0f;
    if (m_lockY)
        p.y = 0.0f;
    if (m_lockZ)
        p.z = 0.0f;
    return p;
}

Vector3 TrackingCameraControl::GetWantedPosition()
{
    m_offset = m_minOffset * m_zoom + m_maxOffset * (1.0f - m_zoom);
    return GetTrackedPoint() + GetWantedRotation().ToMatrix() * m_offset;
}

bool TrackingCameraControl::PlaceInSight(const Vector3& point, Vector3& eye)
{
    const Raycaster* rays = Raycaster::Instance();
    const Vector3 sight = point + Vector3{0.0f, kSightHeight, 0.0f};
    // Something this far above the point means it lies under the stands.
    if (rays->RayTest(sight, sight + Vector3{0.0f, kCoverHeight, 0.0f}) >= 0.0f)
        return false;
    for (int pull = 0; pull < kMaxPulls; ++pull) {
        float hit = rays->RayTest(sight, eye);
        float span = (eye - sight).Length();
        // A camera lower than the clearance is over the grass, which the line below it would
        // find: that line ends no lower than a player's middle.
        const Vector3 below{eye.x, std::max(eye.y - kClearance, point.y + kOverGrass), eye.z};
        if (hit < 0.0f && below.y < eye.y) {
            hit = rays->RayTest(sight, below);
            span = (below - sight).Length();
        }
        if (hit < 0.0f)
            return true;
        // Along the line the camera looks along, so that the point stays where the view puts it.
        const Vector3 along = eye - point;
        const float length = along.Length();
        const float wanted = std::max(hit * span - kClearance, kNearest);
        if (length <= kNearest || wanted >= length)
            return false;
        eye = point + along * (wanted / length);
    }
    return false;
}

Vector3 TrackingCameraControl::KeepInSight(const Vector3& eye, Vector3& framed) const
{
    const Vector3 followed = GetTrackedPoint();
    // The pitch is open sky wherever the stands stand round it: a point the camera cannot be
    // placed for gives way to the next one towards the centre spot.
    Vector3 toward{-followed.x, 0.0f, -followed.z};
    const float reach = toward.Length();
    if (reach > 0.0f)
        toward = toward * (kCoverStep / reach);
    Vector3 point = followed;
    for (float moved = 0.0f; moved <= reach; moved += kCoverStep, point = point + toward) {
        // The camera moves with the point it frames, keeping its angle to it.
        const Vector3 moving = eye + (point - followed);
        Vector3 placed = moving;
        // Drawn in towards a point short of the followed one, it could leave that one behind it.
        if (PlaceInSight(point, placed) && (moved == 0.0f || placed == moving)) {
            framed = point;
            return placed;
        }
    }
    framed = followed;
    Vector3 placed = eye;
    PlaceInSight(followed, placed);
    return placed;
}

bool TrackingCameraControl::StandsOverPitch()
{
    const Vector3 wanted = GetWantedPosition();
    return PitchFrame::Flatten(PitchFrame::KeepInside(wanted, 0.0f) - wanted).Length() == 0.0f;
}

bool TrackingCameraControl::Activate()
{
    Vector3 framed;
    m_position = KeepInSight(GetWantedPosition(), framed);
    m_rotation = GetWantedRotation();
    return true;
}

void TrackingCameraControl::Update(float dt)
{
    const float t = m_blendTime == 0.0f ? 1.0f : std::min(dt / m_blendTime, 1.0f);
    Vector3 framed;
    const Vector3 wanted = KeepInSight(GetWantedPosition(), framed);
    if ((wanted - m_position).Length() > kSnapDistance || t == 1.0f || wanted == m_position)
        m_position = wanted;
    else
        m_position = m_position * (1.0f - t) + wanted * t;
    // The blend may cut behind what the wanted place is clear of: drawn in towards the same
    // point, not moved on with it a second time, which would carry the camera off a frame
    // at a time.
    PlaceInSight(framed, m_position);
    m_rotation = GetWantedRotation();
}

void TrackingCameraControl::ApplyToFrame(RwFrame* frame)
{
    PlaceFrame(frame, m_rotation, m_position);
}

void TrackingCameraControl::ChangeZoom(bool in)
{
    if (in && m_zoom <= 1.0f - kZoomStep)
        m_zoom += kZoomStep;
    else if (!in && m_zoom >= kZoomStep)
        m_zoom -= kZoomStep;
}

void TrackingCameraControl::SetZoom(float zoom)
{
    m_zoom = std::clamp(zoom, 0.0f, 1.0f);
}
