#pragma once

#include "engine/core/RwDevice.h"
#include "engine/gl/GLShaders.h"
#include "engine/gl/GLStateCache.h"
#include "engine/gl/GLTargets.h"
#include "platform/Handles.h"

#include <unordered_set>
#include <vector>

// The engine's device on OpenGL 3.3 core. Every camera draws into an off-screen
// framebuffer made of its frame raster (a texture) and z raster (a renderbuffer); showing
// a camera copies its frame raster into the window and swaps, so the raster still holds
// the frame afterwards. Render states are only recorded when set and reach GL through the
// state cache at the next draw.
class GLDevice : public RwDevice {
public:
    explicit GLDevice(platform::NativeWindow* window);
    ~GLDevice() override;

    RwDeviceKind GetKind() const override { return rwDeviceGL; }
    bool Start(const RwVideoMode* mode, RwInt32 refreshRate) override;
    void Stop() override;
    bool ChangeVideoMode(const RwVideoMode& mode, RwInt32 refreshRate) override;

    bool CreateRaster(RwRaster* raster) override;
    void DestroyRaster(RwRaster* raster) override;
    bool ResizeRaster(RwRaster* raster) override;
    bool SubRaster(RwRaster* raster) override;
    bool UploadRaster(RwRaster* raster, const RwImage* image) override;
    bool ReadRaster(RwRaster* raster, RwImage* image) override;
    bool RenderRasterScaled(RwRaster* target, RwRaster* source, const RwRect& rect) override;

    bool BeginCameraUpdate(RwCamera* camera) override;
    void EndCameraUpdate(RwCamera* camera) override;
    bool ClearCamera(RwCamera* camera, const RwRGBA& colour, RwInt32 clearMode) override;
    bool ShowRaster(RwCamera* camera, void* window, RwUInt32 flags) override;

    void SetRenderState(RwRenderState state, intptr_t value) override;
    void SetZBias(RwInt32 bias) override;

    bool DrawIm3D(const RwIm3DDraw& draw) override;
    bool DrawIm2D(const RwIm2DDraw& draw) override;
    void SetLighting(const RwDeviceLighting* lighting) override;

    void* CreateMesh(const RwDeviceMeshData& data) override;
    bool UpdateMesh(void* mesh, const RwDeviceMeshData& data, RwUInt32 parts) override;
    void DestroyMesh(void* mesh) override;
    bool DrawMesh(const RwDeviceMeshDraw& draw) override;
    bool RasterHasAlpha(RwRaster* raster) override;
    // A software renderer's threads then draw it while the caller goes on.
    void StartWork() override;
    size_t MeshCount() const { return m_meshes.size(); }

    // What tests and tools may look at.
    const GLCounters& Counters() const { return m_cache.counters; }
    GLuint RasterTexture(const RwRaster* raster) const;
    size_t FramebufferCount() const { return m_framebuffers.Size(); }
    int ShaderVariantCount() const { return m_shaders.VariantCount(); }
    // The samples that pass the depth test between the two calls, for telling how often each
    // pixel is drawn; 0 when the device has not started.
    void BeginSampleCount();
    uint64_t EndSampleCount();

private:
    struct StreamBuffer {
        GLuint buffer = 0;
        size_t capacity = 0;
        size_t offset = 0;
    };
    struct SamplerState {
        GLint wrapS = 0, wrapT = 0, minFilter = 0, magFilter = 0;
        float border[4] = {-1, -1, -1, -1};
    };
    // A geometry's vertices in one buffer, one section per attribute.
    struct Mesh {
        GLuint vao = 0, vertices = 0, indices = 0;
        RwInt32 numVertices = 0, numIndices = 0;
        RwUInt32 present = 0;  // RwDeviceMeshPart of the attributes uploaded
        bool twoBones = false;  // no vertex weighs its third or fourth bone
        // The box around the positions as uploaded, in the mesh's own space.
        RwV3d low = {0, 0, 0}, high = {0, 0, 0};
    };
    struct TargetRect {
        int x = 0, y = 0, width = 0, height = 0;
    };
    // Small immediate 3D triangle lists in a row with equal states, drawn as one when the
    // states change or anything else draws, reads or changes a target.
    struct Im3DBatch {
        std::vector<RwIm3DVertex> vertices;
        std::vector<RwImVertexIndex> indices;
        intptr_t states[rwRenderStateCount] = {};
        RwInt32 zBias = 0;
        RwUInt32 flags = 0;
    };

    GLSurface* Storage(RwRaster* raster);
    bool Rect(RwRaster* raster, const GLSurface& surface, TargetRect& rect) const;
    bool BindTarget(RwRaster* frame, RwRaster* z, TargetRect* rect = nullptr);
    uint32_t ApplyRenderStates(bool screen);
    void ApplySampler(const GLSurface& texture);
    size_t Stream(StreamBuffer& stream, GLenum target, const void* data, size_t bytes,
                  size_t align);
    bool Draw(GLuint vao, StreamBuffer& vertices, size_t stride, RwPrimitiveType type,
              const void* vertexData, RwInt32 numVertices, const RwImVertexIndex* indices,
              RwInt32 numIndices);
    void ReleaseGL();
    bool Batchable(const RwIm3DDraw& draw) const;
    void AddToBatch(const RwIm3DDraw& draw);
    // Draws the batch with the states it was made under; true when there was none.
    bool FlushIm3D();
    bool DrawIm3DNow(const RwIm3DDraw& draw);
    void SetObjectTransform(const RwMatrix* ltm);
    bool UploadMesh(Mesh& mesh, const RwDeviceMeshData& data, RwUInt32 parts);
    // Whether the linear fog of the states last applied tints any point of the box, placed by
    // the object transform last set.
    bool LinearFogReaches(const RwV3d& low, const RwV3d& high) const;
    // Takes the fog out of a linearly fogged draw whose box it does not reach (counted).
    void LeaveOutUnreachedFog(uint32_t& features, const RwV3d& low, const RwV3d& high);
    void Report();

    platform::NativeWindow* m_window = nullptr;
    platform::GLContext m_context = nullptr;
    bool m_ownsContext = false;
    bool m_started = false;

    GLStateCache m_cache;
    GLShaderFamily m_shaders{m_cache};
    gltarget::FramebufferCache m_framebuffers{m_cache};
    std::unordered_set<GLSurface*> m_surfaces;
    std::unordered_set<Mesh*> m_meshes;
    GLSurface m_scratch;  // a part of a raster on its own, for scaled copies

    GLuint m_vao3D = 0;
    GLuint m_vao2D = 0;
    StreamBuffer m_vertices3D;
    StreamBuffer m_vertices2D;
    StreamBuffer m_indices;
    GLuint m_sampler = 0;
    GLuint m_sampleQuery = 0;
    SamplerState m_samplerState;

    intptr_t m_states[rwRenderStateCount] = {};
    RwInt32 m_zBias = 0;

    RwCamera* m_camera = nullptr;
    float m_clip[16] = {};       // world to clip, turned for top-row-first targets
    float m_depthPlane[4] = {};  // world point to distance along the view axis
    GLShaderInputs m_inputs;
    // The lighting of Im3D draws, as SetLighting left it: mesh draws bring their own.
    bool m_lit = false;
    GLLights m_imLights;
    float m_materialColour[4] = {1, 1, 1, 1};  // of lit 3D draws; everything else draws white

    Im3DBatch m_batch;

    GLCounters m_reported;  // what has gone into the metrics already
};
