#pragma once

#include "engine/core/RwIm.h"
#include "framework/Color.h"
#include "framework/Matrix3.h"
#include "scene/RenderObject.h"

#include <cstddef>
#include <cstdint>

class RenderStateSaver;
class Texture;

// A textured quad that faces the current camera, centred on the position. Owners set its
// fields; it has no table of its own.
class Billboard : public RenderObject {
public:
    // Starts as Init leaves it, without a texture.
    Billboard();

    // The texture is borrowed and must outlive the billboard (null draws nothing); the
    // blends are engine blend functions. Everything else goes back to its start value.
    bool Init(Texture* texture, int32_t sourceBlend, int32_t destinationBlend);

    // Draws nothing without a texture, without a current camera or outside its view.
    void Render() override;
    void Update(float dt) override;

    // Whether Render would draw it: a texture, a current camera and some of it in view.
    bool InView() const;
    // Sets the states it draws under, through the saver.
    void SetDrawStates(RenderStateSaver& states) const;
    // Whether the other draws under the same states, so that one DrawQuads can take both.
    bool DrawsLike(const Billboard& other) const;

    // The four corners as drawn when the camera's orientation is view: positions, UVs and
    // the packed colour. Upright keeps only the first Euler angle of view.
    void BuildQuad(const Matrix3& view, RwIm3DVertex corners[4]) const;

    // Half the diagonal: the distance from the centre to each corner.
    void SetSize(float size) { m_size = size; }
    float GetSize() const { return m_size; }
    // Radians, in the view plane.
    void SetAngle(float angle) { m_angle = angle; }
    float GetAngle() const { return m_angle; }
    void SetColor(const Color& color) { m_color = color; }
    const Color& GetColor() const { return m_color; }
    void SetUVRect(float uMin, float vMin, float uMax, float vMax);
    void SetUpright(bool upright) { m_upright = upright; }
    void SetMipFilter(bool mipFilter) { m_mipFilter = mipFilter; }
    void SetZWrite(bool zWrite) { m_zWrite = zWrite; }
    void SetZTest(bool zTest) { m_zTest = zTest; }
    Texture* GetTexture() const { return m_texture; }

protected:
    bool m_upright = false;
    bool m_mipFilter = false;
    Texture* m_texture = nullptr;
    float m_uv[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    int32_t m_sourceBlend = 0;
    int32_t m_destinationBlend = 0;
    bool m_zWrite = false;
    bool m_zTest = true;
    float m_size = 1.0f;
    float m_angle = 0.0f;
    Color m_color = Color::White;
};

// Draws quads of four corners each (as BuildQuad gives them) in one go under the current
// states, inside a camera update.
void DrawQuads(RwIm3DVertex* corners, size_t quads);

// A billboard that plays a sprite sheet of rows x columns frames, row by row, at its speed.
class AnimatedBillboard : public Billboard {
public:
    // Counts below 1 are read as 1 (logged).
    void SetLayout(int32_t rows, int32_t columns);
    void SetFrameCount(int32_t frames);
    // Frames per second.
    void SetSpeed(float speed) { m_speed = speed; }
    void SetLoop(bool loop) { m_loop = loop; }
    // Shows the frame (the last one for any beyond it), one texel inside its cell so that
    // the neighbours do not bleed in.
    void SetFrame(int32_t frame);

    // Without loop the last frame holds and every update from then on reports finished;
    // with loop the sheet starts again at frame 0.
    void Update(float dt) override;

    bool IsFinished() const { return m_finished; }
    // In frames.
    float GetTime() const { return m_time; }
    int32_t GetRows() const { return m_rows; }
    int32_t GetColumns() const { return m_columns; }
    int32_t GetFrameCount() const { return m_frames; }

private:
    int32_t m_rows = 1;
    int32_t m_columns = 1;
    int32_t m_frames = 1;
    float m_time = 0.0f;
    float m_speed = 0.0f;
    bool m_loop = false;
    bool m_finished = false;
};

// Rows, columns and frame counts are divisors: below 1 they are read as 1 (logged with the
// caller's name).
int32_t SpriteSheetCount(int32_t count, const char* caller, const char* what);

// A blend function in a table: the editor's list box, then the value one lower than the
// engine's (0 = Zero). A value outside the list keeps the old one (logged with the caller).
void SerializeBlend(Serializer& serializer, const char* key, int32_t& blend, const char* caller);
