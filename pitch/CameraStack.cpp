#include "pitch/CameraStack.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Factory.h"
#include "input/InputController.h"
#include "pitch/CameraControl.h"
#include "settings/GameParameters.h"

namespace {

const char* const kCameraPrefix = "Cameras|";
const char* const kUserFile = "Data\\SaveGames\\user.txt";

Cast* GetCast(const char* name)
{
    return CastManager::Instance()->GetCast(name);
}

float Action(const char* name, int mode)
{
    return BufferedInputController::Instance()->GetAction(name, mode);
}

// The part of the name after its first "|", or the whole name.
std::string AfterPrefix(const char* name)
{
    const std::string text = name ? name : "";
    const size_t bar = text.find('|');
    return bar == std::string::npos ? text : text.substr(bar + 1);
}

}  // namespace

CameraStack::CameraStack() = default;

CameraStack::~CameraStack() = default;

void CameraStack::CreateControls()
{
    Clear();
    Cast* cameras = GetCast("cameras");
    for (const CameraControlEntry& entry : GetCameraControlTable()) {
        Object* made = FactoryRegistry::CameraControls().Create(entry.className);
        auto* control = dynamic_cast<CameraControl*>(made);
        if (!control) {
            LogError("CameraStack::CreateControls: no camera control class \"%s\" for \"%s\"\n",
                     entry.className ? entry.className : "", entry.name);
            delete made;
            continue;
        }
        m_controls.emplace_back(control);
        if (cameras)
            cameras->AddMember(control, (std::string(kCameraPrefix) + entry.name).c_str(), false);
    }
}

void CameraStack::Clear()
{
    m_stack.clear();
    m_controls.clear();
}

int CameraStack::FindCameraIndex(const std::string& name) const
{
    Cast* cameras = GetCast("cameras");
    CastMember* member = cameras ? cameras->FindByName((kCameraPrefix + name).c_str()) : nullptr;
    if (!member || !member->object)
        return -1;
    for (size_t i = 0; i < m_controls.size(); ++i)
        if (m_controls[i].get() == member->object)
            return static_cast<int>(i);
    return -1;
}

void CameraStack::PushCamera(const std::string& name)
{
    const int index = FindCameraIndex(name);
    if (index < 0)
        return;
    if (CameraControl* active = GetActiveCamera())
        active->Deactivate();
    m_stack.push_front(index);
    GetActiveCamera()->Activate();
}

void CameraStack::PopCamera()
{
    if (m_stack.empty())
        return;
    GetActiveCamera()->Deactivate();
    m_stack.pop_front();
    if (CameraControl* active = GetActiveCamera())
        active->Activate();
}

CameraControl* CameraStack::GetActiveCamera() const
{
    if (m_stack.empty())
        return nullptr;
    return m_controls[static_cast<size_t>(m_stack.front())].get();
}

void CameraStack::StoreCameraChoice(int slot)
{
    if (slot < 0 || slot >= GameParameters::kCameraSlots || m_stack.empty())
        return;
    CameraControl* base = m_controls[static_cast<size_t>(m_stack.back())].get();
    GameParameters* parameters = GameParameters::Instance();
    parameters->cameraNames[slot] = AfterPrefix(base->GetName());
    parameters->cameraZooms[slot] = base->GetZoom();
    if (Cast* user = GetCast("user"))
        SaveSettings(user, kUserFile);
}

void CameraStack::RestoreCameraChoice(int slot)
{
    if (slot < 0 || slot >= GameParameters::kCameraSlots)
        return;
    GameParameters* parameters = GameParameters::Instance();
    const std::string& name = parameters->cameraNames[slot];
    if (name.empty() || m_stack.size() != 1)
        return;
    // The user file is the player's: a name no control bears must not empty the stack.
    if (FindCameraIndex(name) < 0) {
        LogWarning("CameraStack::RestoreCameraChoice: no camera \"%s\"; the camera stays\n", name.c_str());
        return;
    }
    PopCamera();
    PushCamera(name);
    m_controls[static_cast<size_t>(m_stack.back())]->SetZoom(parameters->cameraZooms[slot]);
}

void CameraStack::HandleCameraKeys()
{
    if (Action("change camera", 1) != 0.0f && m_stack.size() == 1 && !m_controls.empty()) {
        const int next = (m_stack.front() + 1) % static_cast<int>(m_controls.size());
        m_controls[static_cast<size_t>(m_stack.front())]->Deactivate();
        m_controls[static_cast<size_t>(next)]->Activate();
        m_stack.pop_front();
        m_stack.push_front(next);
    }
    if (m_stack.size() != 1)
        return;
    CameraControl* active = GetActiveCamera();
    std::string successor;
    if (Action("next camera", 1) != 0.0f || Action("(menu):button f", 0) != 0.0f) {
        LogMessage("\n Camera Switch\n");
        successor = active->nextInSequence;
    }
    if (Action("zoom in camera", 1) != 0.0f || Action("(menu):button g", 1) != 0.0f)
        active->ChangeZoom(true);
    if (Action("zoom out camera", 1) != 0.0f || Action("(menu):button h", 1) != 0.0f)
        active->ChangeZoom(false);
    if (successor.empty())
        return;
    // An unknown successor would leave the stack empty.
    if (FindCameraIndex(successor) < 0) {
        LogWarning("CameraStack::HandleCameraKeys: no camera \"%s\" follows \"%s\"; the camera stays\n",
                   successor.c_str(), active->GetName() ? active->GetName() : "");
        return;
    }
    PopCamera();
    PushCamera(successor);
}
