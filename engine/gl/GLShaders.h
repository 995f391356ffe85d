#pragma once

#include "engine/gl/GLStateCache.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <unordered_map>

// The fixed-function stages GL 3.3 core lacks, as one vertex/fragment source compiled
// into variants. Each feature bit is a compile-time switch, so a plain draw pays for
// nothing it does not use; the values behind a feature are uniforms.
enum GLShaderFeature : uint32_t {
    kShaderScreen = 1u << 0,     // vertices are already in pixels (2D immediate mode)
    kShaderTextured = 1u << 1,
    kShaderAlphaTest = 1u << 2,
    kShaderFog = 1u << 3,
    kShaderLit = 1u << 4,        // ambient plus directional lights, needs normals
    kShaderFlat = 1u << 5,       // one colour per primitive, from its first vertex
    kShaderSkinned = 1u << 6,    // positions and normals blended from bone matrices
    kShaderUVTransform = 1u << 7,  // texture coordinates through a 2D affine matrix
    // The fog's curve, linear without either; compiled in, since the software renderer
    // would otherwise work out every curve for every pixel.
    kShaderFogExponential = 1u << 8,
    kShaderFogExponential2 = 1u << 9,
    // With skinning: no vertex weighs a bone past its second, so the other two are never read.
    kShaderTwoBones = 1u << 10,
    // Every fragment takes the material colour as it is: nothing varies across a primitive,
    // so the vertices carry nothing but their positions (and fog depth) to the rasteriser.
    kShaderPlainColour = 1u << 11,
};

// What varies the colour besides the material's: with none of it the plain-colour variant serves.
constexpr uint32_t kShaderColourVaries = kShaderScreen | kShaderTextured | kShaderLit | kShaderUVTransform;

constexpr int kMaxBones = 64;

constexpr int kMaxDirectionalLights = 8;

// Attribute slots shared by every variant and every vertex layout.
enum GLAttribute : GLuint {
    kAttribPosition = 0,  // vec3 for 3D, vec4 (x, y, z, 1/w) for screen vertices
    kAttribNormal = 1,
    kAttribColour = 2,    // packed 0xAARRGGBB, read as BGRA bytes
    kAttribTexCoord = 3,
    kAttribBoneIndices = 4,  // four bytes, read as floats
    kAttribWeights = 5,
};

// Ambient and directional lights as the lit variants read them.
struct GLLights {
    float ambient[3] = {0, 0, 0};
    int count = 0;  // the first kMaxDirectionalLights are used
    float direction[kMaxDirectionalLights][3] = {};  // world space, direction of travel
    float colour[kMaxDirectionalLights][3] = {};
};

// Everything the shaders read besides the vertices. The device fills one of these
// per draw; only values that differ from what the program last saw are sent.
struct GLShaderInputs {
    // Object to clip space, column-major, y already turned for top-row-first targets.
    float transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // Distance along the camera's view axis as a plane in object space: fog reads it.
    float depthPlane[4] = {0, 0, 1, 0};
    float worldNormal[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // object to world, for normals
    float screenSize[2] = {1, 1};
    float materialColour[4] = {1, 1, 1, 1};
    int alphaFunction = 8;      // engine comparison codes 1 never .. 8 always
    float alphaReference = 0;   // 0..255
    float fogColour[3] = {0, 0, 0};
    float fogStart = 0;         // the camera's fog distance
    float fogEnd = 1;           // the camera's far plane
    float fogDensity = 1;
    GLLights lights;
    float uvTransform[6] = {1, 0, 0, 0, 1, 0};  // rows: u' = (a, b, c) . (u, v, 1), v' likewise
    int boneCount = 0;  // the first kMaxBones are used
    float bones[kMaxBones * 12] = {};  // per bone three rows (x, y, z) of (right, up, at, pos)
};

class GLShaderFamily {
public:
    explicit GLShaderFamily(GLStateCache& cache) : m_cache(cache) {}
    ~GLShaderFamily();
    GLShaderFamily(const GLShaderFamily&) = delete;
    GLShaderFamily& operator=(const GLShaderFamily&) = delete;

    // Compiles the variants every frame needs; false (and a log line) when the GL
    // refuses the source.
    bool Initialise();
    void Shutdown();

    // Makes the variant current and brings its uniforms up to date; false when the
    // variant does not compile (the draw is then skipped).
    bool Use(uint32_t features, const GLShaderInputs& inputs);

    int VariantCount() const { return static_cast<int>(m_variants.size()); }

private:
    struct Variant {
        GLuint program = 0;
        GLint transform = -1, depthPlane = -1, worldNormal = -1, screenSize = -1;
        GLint materialColour = -1, alphaFunction = -1, alphaReference = -1;
        GLint fogColour = -1, fogStart = -1, fogEnd = -1, fogDensity = -1;
        GLint ambient = -1, lightCount = -1, lightDirection = -1, lightColour = -1;
        GLint uvTransform = -1, bones = -1;
        GLShaderInputs sent;
        bool anySent = false;
    };

    Variant* Get(uint32_t features);
    Variant Build(uint32_t features);
    void Upload(Variant& variant, const GLShaderInputs& inputs);

    GLStateCache& m_cache;
    std::unordered_map<uint32_t, Variant> m_variants;
};

std::string GLShaderSource(uint32_t features, bool fragment);
