#pragma once

#include "framework/CurrentInstance.h"

#include <list>
#include <memory>
#include <string>
#include <vector>

class CameraControl;

// The game's camera controls and the stack of those in use: the top one is active and places
// the view. The game makes one and registers it (Current is null while no game runs); the
// match flow, the set pieces and the front end push their views on the registered one.
class CameraStack : public CurrentInstance<CameraStack> {
public:
    CameraStack();
    ~CameraStack();

    CameraStack(const CameraStack&) = delete;
    CameraStack& operator=(const CameraStack&) = delete;

    // The controls of the camera control table, each a member "Cameras|<name>" of the cast
    // "cameras" when it exists; the controls made before go, and the stack empties. A class
    // the factory does not hold is logged and passed over.
    void CreateControls();
    // The stack empties and the controls go.
    void Clear();

    // Makes the control of "Cameras|<name>" the active one; an unknown name changes nothing.
    void PushCamera(const std::string& name);
    // Back to the control below the top; an empty stack stays empty.
    void PopCamera();
    // Null while the stack is empty.
    CameraControl* GetActiveCamera() const;
    // Remembers the base camera and its zoom in the slot (0 to 2) and saves the user file.
    void StoreCameraChoice(int slot);
    // With one entry on the stack, brings back the slot's camera; an unknown name leaves the
    // stack as it is (logged).
    void RestoreCameraChoice(int slot);
    // The stack's indices into GetCameraControls, top first.
    const std::list<int>& GetCameraStack() const { return m_stack; }
    const std::vector<std::unique_ptr<CameraControl>>& GetCameraControls() const { return m_controls; }

    // The player's camera keys, heard only while the stack holds the base camera alone: the
    // next control of the table, the next in the active one's sequence, and its zoom.
    void HandleCameraKeys();

private:
    // -1 when no control bears the name.
    int FindCameraIndex(const std::string& name) const;

    std::vector<std::unique_ptr<CameraControl>> m_controls;
    std::list<int> m_stack;  // front = top
};
