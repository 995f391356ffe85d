#include "menus/MenuView.h"

#include "engine/bridge/EngineBridge.h"
#include "engine/core/RwCore.h"
#include "menus/Menu.h"
#include "scene/Camera.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "text/TextDisplay.h"

void RenderMenuInView(const Vector3& offset, const Quaternion& turn, const std::function<void()>& overlay, bool cursor)
{
    Menu* menu = Menu::Instance();
    Camera* camera = RwGraphics::Instance()->GetCamera();
    if (!camera || !camera->GetFrame())
        return;
    menu->SetScale(camera->GetWidth() / Menu::kWidth, camera->GetHeight() / Menu::kHeight);
    TextDisplay* text = TextDisplay::Instance();
    text->SetGlobalScale(menu->GetScale().x, menu->GetScale().y);
    text->PushAttributes();
    text->SetFont("menu");
    const RwMatrix* ltm = RwFrameGetLTM(camera->GetFrame());
    const Quaternion cameraRotation = Math::QuaternionFromRwMatrix(ltm);
    const Vector3 cameraPosition(ltm->pos.x, ltm->pos.y, ltm->pos.z);
    menu->SetEye(cameraPosition);
    menu->SetPosition(cameraPosition + cameraRotation.Rotate(offset));
    menu->SetRotation(cameraRotation * turn);
    // The plane is far nearer than any fog starts: fog would leave its colours as they are,
    // yet cost every pixel of it.
    RenderStateSaver saver;
    saver.Set(rwRenderStateFogEnable, 0);
    menu->Render();
    if (overlay)
        overlay();
    saver.Restore();
    text->PopAttributes();
    if (cursor && menu->IsMouseMode())
        menu->DrawMouseCursor();
}
