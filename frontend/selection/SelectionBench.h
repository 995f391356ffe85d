#pragma once

// The squad selection's 3D scene: the candidates sit side by side on a bench, a camera
// looks at them, a marker hovers over the one under the cursor, and picked candidates
// stand up in the shirt of the side that took them.

#include "framework/Color.h"
#include "framework/Vector.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Character;
class SelectionCursor;

class SelectionBench {
public:
    // Where the middle of the bench stands; it runs along the world x axis and the
    // candidates face heading 0.
    static constexpr Vector3 kOrigin{22.0f, 0.0f, 39.0f};
    // The camera keeps at least this far back, so that a short bench is not filled by two faces.
    static constexpr float kMinCameraDistance = 10.0f;
    // The camera's height over the bench and the primary camera's view window (both
    // directions) while the bench is shown.
    static constexpr float kCameraHeight = 3.5f;
    static constexpr float kViewWindow = 0.5f;
    // Free room before the last seats of a line-up change.
    static constexpr float kGapWidth = 1.0f;
    // The largest offer: a full team and the other side's five, for a line-up change.
    static constexpr int kMostCandidates = 12;

    // The seats, left to right as the camera sees them, and the bench's whole width.
    struct Seating {
        std::vector<Vector3> seats;
        float width = 0.0f;
    };
    // The shirt a candidate wears: the images go to Actor::SetShirtTexture as they stand.
    struct Shirt {
        std::string shirtPath;
        std::string numberPath;
        Color numberColour;
        bool mirror = false;
    };

    // The room a race takes on the bench; 1.5 for a race the game does not know.
    static float SeatWidth(const std::string& race);
    static bool IsKnownRace(const std::string& race);
    // Of the races the game knows.
    struct SeatWidths {
        float narrowest = 0.0f;
        float widest = 0.0f;
        float average = 0.0f;
    };
    static SeatWidths KnownSeatWidths();
    // One seat per race name in candidate order. gapCount > 0 leaves kGapWidth free before
    // the last gapCount seats (the bench of a line-up change); 0 for none.
    static Seating LayOutSeats(const std::vector<std::string>& races, int gapCount);
    // The same for seats of the given widths.
    static Seating LayOutWidths(const std::vector<float>& widths, int gapCount);
    // How far in front of the bench the camera stands for a bench of this width.
    static float CameraDistance(float benchWidth);
    // In the world: that far from the bench's middle along -z, raised to eye height.
    static Vector3 CameraPosition(float distance);
    // Where the bench camera, that far off, shows a point of the bench in a 4:3 window, in the
    // menu's 800 x 600 units: x along the bench from its middle (the first seat's side shows
    // on the left), y up from the ground, depth from the camera.
    // widen: how much wider than 4:3 the window is (the view widens, the menus stretch).
    static float ScreenX(float x, float depth, float widen = 1.0f);
    static float ScreenY(float y, float depth);
    // The top, in menu units, of a name plate plateHeight high that keeps clear of what a
    // camera that far off shows of the candidates: under their feet and the cursor's floor
    // marker when below is set, else over their heads standing.
    static float PlateTop(bool below, float plateHeight, float distance);
    // Between two neighbours' name plates, in menu units.
    static constexpr float kPlateGap = 6.0f;
    // A shirt number in 0..6 that neither team wears, from the game's random sequence.
    static int DrawShirtVariation(int shirtOne, int shirtTwo);
    // side -1: the screen's variation, which a keeper shows as its own "varNN" (NN from the
    // last character of its member name) with a black number; side 0 or 1: the team shirt
    // teamShirt with the number colour the match gives that shirt. textureSet is the
    // texture folder with its separator.
    static Shirt ChooseShirt(const std::string& race, const std::string& memberName, bool keeper, int side,
                             int variation, int teamShirt, const std::string& textureSet);

    // Makes both markers from the match settings ("Plyr select ..."), lying flat.
    SelectionBench();
    ~SelectionBench();
    SelectionBench(const SelectionBench&) = delete;
    SelectionBench& operator=(const SelectionBench&) = delete;

    // Seats the candidates (borrowed; they must outlive the bench's use until Exit), standing
    // where picked, draws the shirt variation and dresses everyone in it, makes the camera
    // "Players Bench" of the current game the active one in front of the bench and sets the
    // primary camera's view window to (0.5, 0.5), keeping the old one for Exit. gapCount
    // as for LayOutSeats. An unknown race is logged and seated as the first known one.
    void Enter(const std::vector<Character*>& candidates, const std::vector<bool>& picked, int gapCount);
    // Gives the view window back and pops the bench camera; nothing without an Enter.
    void Exit();
    // Moves the markers over the cursor's candidate, updates the candidates and lets those
    // that sit or stand still rise when picked, in the shirt of the side sideOf (candidate
    // index) names, or sit down when not. A cursor outside the candidates leaves the markers
    // where they are.
    void Update(float dt, const std::vector<bool>& picked, int cursor, const std::function<int(int)>& sideOf);
    // Every candidate rises in the chooser's shirt: for selections with one picking side.
    void Update(float dt, const std::vector<bool>& picked, int cursor, int chooser);
    // Every candidate, then the chooser's marker only.
    void Render(int chooser) const;
    // Dresses the candidate: side -1 in the variation, 0 or 1 in that team's shirt (numbers
    // from the game parameters). Nothing while the story mode runs, whose team keeps its own.
    void SetShirt(Character& candidate, int side);
    // The side whose shirt the candidate last put on (-1 for the variation); -1 for a
    // candidate the bench has not dressed.
    int GetShirtSide(size_t candidate) const;

    int GetShirtVariation() const { return m_variation; }
    const std::vector<Vector3>& GetSeats() const { return m_seating.seats; }
    float GetWidth() const { return m_seating.width; }
    float GetCameraDistance() const { return m_cameraDistance; }
    // Where the seat's middle shows across the screen (ScreenX) in the primary camera's
    // window; 0 for no such seat.
    float GetSeatScreenX(size_t seat) const;
    // How far across the screen the seat's nearer neighbour shows; the screen's width for a
    // seat alone on the bench, 0 for no such seat.
    float GetSeatScreenRoom(size_t seat) const;
    // Side 0 or 1; the bench keeps it.
    const SelectionCursor& GetMarker(int side) const;

private:
    void SeatCandidates(const std::vector<bool>& picked, int gapCount);
    void PlaceCamera();
    void UpdateCandidate(Character& candidate, size_t index, float dt, bool picked, int side);

    std::vector<Character*> m_candidates;
    Seating m_seating;
    std::unique_ptr<SelectionCursor> m_markers[2];
    // By candidate: what SetShirt last put on.
    std::vector<int> m_shirtSides;
    int m_variation = 0;
    float m_cameraDistance = kMinCameraDistance;
    float m_savedViewWindow[2] = {0.5f, 0.5f};
    bool m_entered = false;
    // Only a camera this bench put on the stack is taken off again.
    bool m_pushedCamera = false;
};
