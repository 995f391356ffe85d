#include "scene/StillPicture.h"

#include "engine/core/RwCamera.h"
#include "engine/core/RwDevice.h"
#include "engine/core/RwFrame.h"
#include "engine/core/RwRaster.h"
#include "framework/Debug.h"

#include <algorithm>

uint32_t StillPicture::s_generation = 0;

namespace {

// Copies the whole of source into target, which has its size; false when the device refused.
bool Copy(RwRaster* source, RwRaster* target)
{
    if (!RwRasterPushContext(target))
        return false;
    const RwRect whole{0, 0, source->width, source->height};
    const bool copied = RwRasterRenderScaled(source, &whole) != nullptr;
    RwRasterPopContext();
    return copied;
}

}  // namespace

void StillPicture::RasterDeleter::operator()(RwRaster* raster) const
{
    RwRasterDestroy(raster);
}

StillPicture::StillPicture() = default;

StillPicture::~StillPicture() = default;

void StillPicture::ForgetAll()
{
    ++s_generation;
}

void StillPicture::Draw(bool hold, const std::function<void()>& draw)
{
    RwCamera* camera = RwCameraGetCurrentCamera();
    if (!hold || !camera || !camera->frameBuffer || !RwDeviceShowsPictures()) {
        m_kept.clear();
        m_failed = false;
        draw();
        return;
    }
    if (m_failed) {
        draw();
        return;
    }
    if (Show(*camera))
        return;
    draw();
    // A view still moving would be copied only to be thrown away at the next frame: it is
    // kept from the first frame that finds it where the frame before left it.
    const View view = ViewOf(*camera);
    Kept* kept = Find(*camera);
    if (!kept)
        kept = &m_kept.emplace_back(Kept{camera, {}, {}, nullptr});
    if (kept->seen == view) {
        Keep(*camera, *kept, view);
        return;
    }
    // The raster stays for the view that stands still next; what it holds shows no view now.
    kept->view = View{};
    kept->seen = view;
}

StillPicture::View StillPicture::ViewOf(RwCamera& camera)
{
    View view;
    if (RwFrame* frame = RwCameraGetFrame(&camera)) {
        const RwMatrix& m = *RwFrameGetLTM(frame);
        const RwV3d axes[4] = {m.right, m.up, m.at, m.pos};
        for (size_t i = 0; i < 4; ++i) {
            view.lens[3 * i] = axes[i].x;
            view.lens[3 * i + 1] = axes[i].y;
            view.lens[3 * i + 2] = axes[i].z;
        }
    }
    view.lens[12] = camera.viewWindow.x;
    view.lens[13] = camera.viewWindow.y;
    view.lens[14] = camera.nearPlane;
    view.lens[15] = camera.farPlane;
    view.lens[16] = camera.fogPlane;
    view.target = camera.frameBuffer;
    view.width = camera.frameBuffer->width;
    view.height = camera.frameBuffer->height;
    view.projection = camera.projectionType;
    view.generation = s_generation;
    return view;
}

StillPicture::Kept* StillPicture::Find(const RwCamera& camera)
{
    const auto kept = std::find_if(m_kept.begin(), m_kept.end(), [&](const Kept& k) { return k.camera == &camera; });
    return kept == m_kept.end() ? nullptr : &*kept;
}

bool StillPicture::Show(RwCamera& camera)
{
    const Kept* kept = Find(camera);
    return kept && kept->picture && kept->view == ViewOf(camera) && Copy(kept->picture.get(), camera.frameBuffer);
}

void StillPicture::Keep(RwCamera& camera, Kept& kept, const View& view)
{
    kept.view = view;
    RwRaster* target = camera.frameBuffer;
    if (!kept.picture || kept.picture->width != target->width || kept.picture->height != target->height)
        kept.picture.reset(RwRasterCreate(target->width, target->height, 0, rwRasterTypeCameraTexture));
    if (!kept.picture || !Copy(target, kept.picture.get())) {
        LogWarning("StillPicture::Keep: the picture could not be kept; it is drawn every frame of this hold\n");
        kept.picture.reset();
        m_failed = true;
    }
}
