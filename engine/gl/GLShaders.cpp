#include "engine/gl/GLShaders.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const char* kVertexBody = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec2 aTexCoord;
layout(location = 4) in vec4 aBoneIndices;
layout(location = 5) in vec4 aWeights;

uniform mat4 uTransform;
uniform vec4 uDepthPlane;
uniform mat3 uWorldNormal;
uniform vec2 uScreenSize;
uniform vec4 uMaterialColour;
uniform vec3 uAmbient;
uniform int uLightCount;
uniform vec3 uLightDirection[MAX_LIGHTS];
uniform vec3 uLightColour[MAX_LIGHTS];
uniform vec3 uUVTransform[2];
uniform float uFogStart;
uniform float uFogEnd;
#if SKINNED
uniform vec4 uBones[MAX_BONES * 3];
#endif

#if !PLAIN_COLOUR
FLAT_QUALIFIER out vec4 vColour;
out vec2 vTexCoord;
#endif
out float vFog;  // linear fog: the share of the colour kept, unclamped; else the depth

void main()
{
#if SCREEN
    // Pixels with y down, onto a target whose first row is the top of the image.
    vec2 ndc = aPosition.xy / uScreenSize * 2.0 - 1.0;
    float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;
    gl_Position = vec4(ndc, aPosition.z * 2.0 - 1.0, 1.0) * w;
    vFog = 0.0;
    vec3 normal = aNormal;
#else
    vec3 position = aPosition.xyz;
    vec3 normal = aNormal;
#if SKINNED
    vec3 blended = vec3(0.0);
    vec3 blendedNormal = vec3(0.0);
    for (int i = 0; i < BONE_SLOTS; ++i) {
        float w = aWeights[i];
        if (w == 0.0)
            continue;
        int b = int(aBoneIndices[i]) * 3;
        vec4 p = vec4(position, 1.0);
        blended += w * vec3(dot(uBones[b], p), dot(uBones[b + 1], p), dot(uBones[b + 2], p));
        blendedNormal += w * vec3(dot(uBones[b].xyz, normal), dot(uBones[b + 1].xyz, normal),
                                  dot(uBones[b + 2].xyz, normal));
    }
    position = blended;
    normal = blendedNormal;
#endif
    gl_Position = uTransform * vec4(position, 1.0);
    float depth = dot(uDepthPlane, vec4(position, 1.0));
#if FOG_LINEAR
    // Linear in the depth, so interpolating it gives what each pixel would compute; a corner
    // behind the camera must keep its negative depth for that.
    vFog = uFogEnd > uFogStart ? (uFogEnd - depth) / (uFogEnd - uFogStart) : 1.0;
#else
    vFog = depth;
#endif
#endif
#if !PLAIN_COLOUR
    vec4 colour = aColour;
#if LIT
    vec3 n = normalize(uWorldNormal * normal);
    vec3 light = uAmbient;
    for (int i = 0; i < uLightCount; ++i)
        light += max(dot(n, -uLightDirection[i]), 0.0) * uLightColour[i];
    colour.rgb = min(colour.rgb + light, vec3(1.0));
#endif
    vColour = colour * uMaterialColour;
#if UV_TRANSFORM
    vTexCoord = vec2(dot(uUVTransform[0], vec3(aTexCoord, 1.0)), dot(uUVTransform[1], vec3(aTexCoord, 1.0)));
#else
    vTexCoord = aTexCoord;
#endif
#endif
}
)";

const char* kFragmentBody = R"(
#if PLAIN_COLOUR
uniform vec4 uMaterialColour;
#else
FLAT_QUALIFIER in vec4 vColour;
in vec2 vTexCoord;
#endif
in float vFog;

uniform sampler2D uTexture;
uniform int uAlphaFunction;
uniform float uAlphaReference;
uniform vec3 uFogColour;
uniform float uFogDensity;

out vec4 fragColour;

bool AlphaPasses(float a, float ref)
{
    switch (uAlphaFunction) {
    case 1: return false;
    case 2: return a < ref;
    case 3: return a == ref;
    case 4: return a <= ref;
    case 5: return a > ref;
    case 6: return a != ref;
    case 7: return a >= ref;
    default: return true;
    }
}

void main()
{
#if PLAIN_COLOUR
    vec4 colour = uMaterialColour;
#else
    vec4 colour = vColour;
#endif
#if TEXTURED
    colour *= texture(uTexture, vTexCoord);
#endif
#if ALPHA_TEST
    if (!AlphaPasses(floor(colour.a * 255.0 + 0.5), uAlphaReference))
        discard;
#endif
#if FOG_EXPONENTIAL
    float keep = exp(-uFogDensity * max(vFog, 0.0));
#elif FOG_EXPONENTIAL2
    float keep = exp(-(uFogDensity * max(vFog, 0.0)) * (uFogDensity * max(vFog, 0.0)));
#else
    float keep = vFog;
#endif
#if FOG
    colour.rgb = mix(uFogColour, colour.rgb, clamp(keep, 0.0, 1.0));
#endif
    fragColour = colour;
}
)";

// Element types of the uniforms the shaders declare.
enum UniformKind { kInt, kFloat, kVec2, kVec3, kVec4, kMat3, kMat4 };

size_t UniformBytes(UniformKind kind, int count)
{
    static_assert(sizeof(GLint) == sizeof(GLfloat));
    static constexpr size_t kFloats[] = {1, 1, 2, 3, 4, 9, 16};
    return kFloats[kind] * sizeof(float) * static_cast<size_t>(count);
}

void SendUniform(GLint location, UniformKind kind, int count, const void* data)
{
    const auto* f = static_cast<const GLfloat*>(data);
    switch (kind) {
    case kInt: glUniform1iv(location, count, static_cast<const GLint*>(data)); break;
    case kFloat: glUniform1fv(location, count, f); break;
    case kVec2: glUniform2fv(location, count, f); break;
    case kVec3: glUniform3fv(location, count, f); break;
    case kVec4: glUniform4fv(location, count, f); break;
    case kMat3: glUniformMatrix3fv(location, count, GL_FALSE, f); break;
    case kMat4: glUniformMatrix4fv(location, count, GL_FALSE, f); break;
    }
}

GLuint Compile(GLenum stage, const std::string& source)
{
    GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
        glGetShaderInfoLog(shader, length, nullptr, log.data());
        LogError("GLShaderFamily: shader does not compile: %s\n", log.data());
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

std::string GLShaderSource(uint32_t features, bool fragment)
{
    std::string source = "#version 330 core\n";
    auto define = [&](const char* name, bool on) {
        source += "#define ";
        source += name;
        source += on ? " 1\n" : " 0\n";
    };
    define("SCREEN", features & kShaderScreen);
    define("TEXTURED", features & kShaderTextured);
    define("ALPHA_TEST", features & kShaderAlphaTest);
    // Screen vertices carry no camera depth to fog by, nor normals to light.
    const bool fog = (features & kShaderFog) && !(features & kShaderScreen);
    define("FOG", fog);
    define("FOG_EXPONENTIAL", fog && (features & kShaderFogExponential));
    define("FOG_EXPONENTIAL2", fog && (features & kShaderFogExponential2) && !(features & kShaderFogExponential));
    define("FOG_LINEAR", fog && !(features & (kShaderFogExponential | kShaderFogExponential2)));
    define("LIT", (features & kShaderLit) && !(features & kShaderScreen));
    define("SKINNED", (features & kShaderSkinned) && !(features & kShaderScreen));
    define("UV_TRANSFORM", features & kShaderUVTransform);
    define("PLAIN_COLOUR", features & kShaderPlainColour);
    source += (features & kShaderTwoBones) ? "#define BONE_SLOTS 2\n" : "#define BONE_SLOTS 4\n";
    source += (features & kShaderFlat) ? "#define FLAT_QUALIFIER flat\n" : "#define FLAT_QUALIFIER\n";
    source += "#define MAX_LIGHTS " + std::to_string(kMaxDirectionalLights) + "\n";
    source += "#define MAX_BONES " + std::to_string(kMaxBones) + "\n";
    source += fragment ? kFragmentBody : kVertexBody;
    return source;
}

GLShaderFamily::~GLShaderFamily()
{
    // Programs die with the context; Shutdown is for a context that is still current.
}

bool GLShaderFamily::Initialise()
{
    const uint32_t common[] = {0, kShaderTextured, kShaderScreen, kShaderScreen | kShaderTextured};
    for (uint32_t features : common)
        if (!Get(features))
            return false;
    return true;
}

void GLShaderFamily::Shutdown()
{
    for (auto& [features, variant] : m_variants)
        if (variant.program) {
            if (m_cache.Program() == variant.program)
                m_cache.UseProgram(0);
            glDeleteProgram(variant.program);
        }
    m_variants.clear();
}

GLShaderFamily::Variant* GLShaderFamily::Get(uint32_t features)
{
    // Features a variant cannot use collapse onto the variant without them.
    if (features & kShaderScreen)
        features &= ~(kShaderFog | kShaderFogExponential | kShaderFogExponential2 | kShaderLit | kShaderSkinned);
    if (!(features & kShaderFog))
        features &= ~(kShaderFogExponential | kShaderFogExponential2);
    if (!(features & kShaderSkinned))
        features &= ~kShaderTwoBones;
    // A texture or light varies the colour after all; without them flat shading changes nothing.
    if (features & kShaderColourVaries)
        features &= ~kShaderPlainColour;
    if (features & kShaderPlainColour)
        features &= ~kShaderFlat;
    auto found = m_variants.find(features);
    if (found == m_variants.end())
        found = m_variants.emplace(features, Build(features)).first;
    return found->second.program ? &found->second : nullptr;
}

GLShaderFamily::Variant GLShaderFamily::Build(uint32_t features)
{
    Variant variant;
    GLuint vertex = Compile(GL_VERTEX_SHADER, GLShaderSource(features, false));
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, GLShaderSource(features, true));
    if (!vertex || !fragment) {
        if (vertex)
            glDeleteShader(vertex);
        if (fragment)
            glDeleteShader(fragment);
        return variant;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetProgramInfoLog(program, sizeof log - 1, nullptr, log);
        LogError("GLShaderFamily: shader variant %u does not link: %s\n", features, log);
        glDeleteProgram(program);
        return variant;
    }
    variant.program = program;
    auto at = [&](const char* name) { return glGetUniformLocation(program, name); };
    variant.transform = at("uTransform");
    variant.depthPlane = at("uDepthPlane");
    variant.worldNormal = at("uWorldNormal");
    variant.screenSize = at("uScreenSize");
    variant.materialColour = at("uMaterialColour");
    variant.alphaFunction = at("uAlphaFunction");
    variant.alphaReference = at("uAlphaReference");
    variant.fogColour = at("uFogColour");
    variant.fogStart = at("uFogStart");
    variant.fogEnd = at("uFogEnd");
    variant.fogDensity = at("uFogDensity");
    variant.ambient = at("uAmbient");
    variant.lightCount = at("uLightCount");
    variant.lightDirection = at("uLightDirection");
    variant.lightColour = at("uLightColour");
    variant.uvTransform = at("uUVTransform");
    variant.bones = at("uBones");
    // The sampler always reads unit 0.
    GLuint previous = m_cache.Program();
    m_cache.UseProgram(program);
    glUniform1i(at("uTexture"), 0);
    m_cache.UseProgram(previous);
    return variant;
}

bool GLShaderFamily::Use(uint32_t features, const GLShaderInputs& inputs)
{
    Variant* variant = Get(features);
    if (!variant)
        return false;
    m_cache.UseProgram(variant->program);
    Upload(*variant, inputs);
    return true;
}

void GLShaderFamily::Upload(Variant& v, const GLShaderInputs& in)
{
    GLShaderInputs& sent = v.sent;
    const bool all = !v.anySent;
    v.anySent = true;
    GLCounters& counters = m_cache.counters;
    // Sends a uniform (count elements of its kind) that differs from what the program last
    // saw and remembers it; a location of -1 means the variant compiled it away. The sent
    // copy mirrors the program's values element for element, so comparing bytes is exact.
    const auto send = [&](GLint location, UniformKind kind, int count, void* had, const void* wanted,
                          uint32_t* alsoCounted = nullptr) {
        const size_t bytes = UniformBytes(kind, count);
        if (location < 0 || count <= 0 || (!all && std::memcmp(had, wanted, bytes) == 0))
            return;
        SendUniform(location, kind, count, wanted);
        std::memcpy(had, wanted, bytes);
        ++counters.uniformChanges;
        if (alsoCounted)
            ++*alsoCounted;
    };
    send(v.transform, kMat4, 1, sent.transform, in.transform);
    send(v.depthPlane, kVec4, 1, sent.depthPlane, in.depthPlane);
    send(v.worldNormal, kMat3, 1, sent.worldNormal, in.worldNormal);
    send(v.screenSize, kVec2, 1, sent.screenSize, in.screenSize);
    send(v.materialColour, kVec4, 1, sent.materialColour, in.materialColour, &counters.materialChanges);
    send(v.alphaFunction, kInt, 1, &sent.alphaFunction, &in.alphaFunction);
    send(v.alphaReference, kFloat, 1, &sent.alphaReference, &in.alphaReference);
    send(v.fogColour, kVec3, 1, sent.fogColour, in.fogColour);
    send(v.fogStart, kFloat, 1, &sent.fogStart, &in.fogStart);
    send(v.fogEnd, kFloat, 1, &sent.fogEnd, &in.fogEnd);
    send(v.fogDensity, kFloat, 1, &sent.fogDensity, &in.fogDensity);
    GLLights& lightsSent = sent.lights;
    const int lights = std::clamp(in.lights.count, 0, kMaxDirectionalLights);
    send(v.ambient, kVec3, 1, lightsSent.ambient, in.lights.ambient, &counters.lightChanges);
    send(v.lightCount, kInt, 1, &lightsSent.count, &lights, &counters.lightChanges);
    send(v.lightDirection, kVec3, lights, lightsSent.direction, in.lights.direction, &counters.lightChanges);
    send(v.lightColour, kVec3, lights, lightsSent.colour, in.lights.colour, &counters.lightChanges);
    send(v.uvTransform, kVec3, 2, sent.uvTransform, in.uvTransform);
    send(v.bones, kVec4, 3 * std::clamp(in.boneCount, 0, kMaxBones), sent.bones, in.bones);
}
