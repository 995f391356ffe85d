#pragma once

#include "match/setpieces/SetPiece.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class SplineCameraControl;

// The opening scene of a match: both sides appear at their spawn points and walk to the
// kick-off formation under the level's intro camera path, with the intro music and a fade
// from and to black. A button on either controller skips it; it never takes a kick.
class EnterPitch : public SetPiece {
public:
    // The walkers are borrowed and must outlive the scene.
    explicit EnterPitch(const std::vector<Character*>& walkers);
    ~EnterPitch() override;

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;

    bool IsKickTaken() const override { return false; }
    void GetTakerPlacement(Vector3&, Vector3&) const override {}
    Character* GetTaker() const override { return nullptr; }

    // "camera0" followed by a number in 1..count-1 for the level's camera count (levels 1 to
    // 4: 7, 6, 0, 0); levels with fewer than two cameras take camera 1 without drawing.
    static std::string ChooseCameraName(int level);
    // The intro paths a level has ("camera01" ...), in order.
    static std::vector<std::string> IntroPathNames(int level);

    const std::string& GetCameraName() const { return m_cameraName; }

private:
    void PlaceReferee();
    void PlaceWalkers();
    void StartCamera();
    void FlushInput();
    bool SkipRequested();
    void WalkToFormation(int side);
    void SendToFormation(int side);
    // The brain order to the player's kick-off place.
    void SendToPlace(int side, int32_t index);
    bool IsCameraFinished() const;
    float CameraTimeLeft() const;

    std::vector<Character*> m_walkers;
    // Borrowed from the game's camera controls while pushed; null when none was pushed.
    SplineCameraControl* m_camera = nullptr;
    // Owned through StateSlot; null once ended.
    State* m_fadeIn = nullptr;
    State* m_fadeOut = nullptr;
    uint32_t m_savedHudMask = 0;
    bool m_ignoreFirstInput = false;
    // By controller, buttons a and b: down when the scene started and not released since.
    std::array<std::array<bool, 2>, 2> m_heldAtEnter{};
    bool m_pathLoaded = false;
    std::string m_cameraName;
};
