#pragma once

#include "engine/core/RwCore.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

namespace EngineUtil {
// The rotation, then the translation.
void BuildMatrix(RwMatrix* matrix, const Vector3& position, const Quaternion& rotation);
// Writes the pose into the frame's own matrix.
void SetFramePose(const Vector3& position, const Quaternion& rotation, RwFrame* frame);
// A new depth-32 image of the camera's frame raster (the caller destroys it), or null.
RwImage* GrabCameraRaster(RwCamera* camera);
// Uncompressed 24-bit TGA, bottom row first; the alpha is dropped.
bool SaveImage(const RwImage* image, const char* fileName);
}  // namespace EngineUtil

// Pixel operations on depth-32 images, for composing character textures.
namespace ImageUtil {
// The source over the destination by the source's alpha; both images the same size.
void BlendOver(RwImage* destination, const RwImage* source);
// Every row reversed in place.
void MirrorRows(RwImage* image);
// Each channel scaled by its factor (0 to 1), in whole 255ths.
void Tint(RwImage* image, float r, float g, float b, float a);
}  // namespace ImageUtil
