#include "shell/EditorProxyAttachment.h"

#include "scene/EditorProxies.h"

namespace {

class ProxyAttachment : public PropertyWindowAttachment {
public:
    explicit ProxyAttachment(std::unique_ptr<PositionEditorProxy> proxy) : m_proxy(std::move(proxy)) {}
    void Update(float dt) override { m_proxy->Update(dt); }
    void Render() override { m_proxy->Render(); }

private:
    std::unique_ptr<PositionEditorProxy> m_proxy;
};

}  // namespace

std::unique_ptr<PropertyWindowAttachment> AttachEditorProxy(Object& object)
{
    std::unique_ptr<PositionEditorProxy> proxy = CreateEditorProxy(object);
    if (!proxy)
        return nullptr;
    return std::make_unique<ProxyAttachment>(std::move(proxy));
}
