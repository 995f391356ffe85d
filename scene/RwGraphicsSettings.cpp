#include "scene/RwGraphicsSettings.h"

#include "framework/Serializer.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"

RwGraphicsSettings& RwGraphicsSettings::Global()
{
    static RwGraphicsSettings settings;
    return settings;
}

void RwGraphicsSettings::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Engine Settings", descriptor);
    serializer.SerializeFloat("near clip", &nearClip);
    serializer.SerializeFloat("far clip low", &farClipLow);
    serializer.SerializeFloat("far clip medium", &farClipMedium);
    serializer.SerializeFloat("far clip high", &farClipHigh);
    serializer.SerializeFloat("view x", &viewX);
    serializer.SerializeFloat("view y", &viewY);
    serializer.EndSection();

    if (serializer.IsReading()) {
        if (PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera()) {
            camera->SetClipPlanes(nearClip, farClipLow);
            camera->SetViewWindow(viewX, viewY);
        }
    }
}
