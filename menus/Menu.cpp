#include "menus/Menu.h"

#include "engine/bridge/EngineBridge.h"
#include "engine/core/RwCore.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "input/MouseInput.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/Texture.h"
#include "text/TextDraw.h"
#include "text/TextManager.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

// Fade delays: items further down start later, those further right earlier when fading in.
constexpr float kDelayPerY = 0.0005f;
constexpr float kDelayPerX = 0.00025f;
constexpr float kFadeInLead = 0.2f;
constexpr float kMaxDelay = 0.3f;
// The cursor's size as a share of the screen, and its place beside the mouse.
constexpr float kCursorWidth = 0.08f;
constexpr float kCursorHeight = 0.10666667f;
constexpr int kCursorDx = 5;
constexpr int kCursorDy = -1;

int MessageId(const char* name)
{
    return MessageServer::Instance()->RegisterMessage(name);
}

// The "x y" text of the mouse messages; false for anything else.
bool ReadPoint(intptr_t param, float& x, float& y)
{
    const char* text = reinterpret_cast<const char*>(param);
    return text && std::sscanf(text, "%f %f", &x, &y) == 2;
}

// A text number at the '%' at pos ("%12%"): its number and the length of the form.
bool ReadTextNumber(const std::string& text, size_t pos, int32_t& number, size_t& length)
{
    const char* start = text.c_str() + pos + 1;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(start, &end, 10);
    if (end == start || *end != '%' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        return false;
    number = static_cast<int32_t>(value);
    length = static_cast<size_t>(end - start) + 2;
    return true;
}

// Where the current camera looks from; the identity without one.
void CameraPose(Quaternion& orientation, Vector3& position)
{
    Camera* camera = RwGraphics::Exists() ? RwGraphics::Instance()->GetCamera() : nullptr;
    RwFrame* frame = camera ? camera->GetFrame() : nullptr;
    if (!frame)
        return;
    const RwMatrix* ltm = RwFrameGetLTM(frame);
    orientation = Math::QuaternionFromRwMatrix(ltm);
    position = Vector3(ltm->pos.x, ltm->pos.y, ltm->pos.z);
}

// The size of the camera, in pixels; the menu's own size without one.
Vector2 CameraSize(const Camera* camera)
{
    if (!camera || camera->GetWidth() <= 0.0f || camera->GetHeight() <= 0.0f)
        return Vector2(Menu::kWidth, Menu::kHeight);
    return Vector2(camera->GetWidth(), camera->GetHeight());
}

}  // namespace

Menu::Menu() = default;

Menu::~Menu()
{
    ClearScreen();
}

bool Menu::LoadScreen(std::unique_ptr<XmlNode> root)
{
    if (!root)
        return false;
    ++m_generation;
    m_parsedNodes.push_back(std::move(root));
    LoadNode(m_parsedNodes.back().get(), 0);
    return true;
}

void Menu::LoadNode(XmlNode* node, int macroDepth)
{
    const uint32_t generation = m_generation;
    LoadCursor();
    m_noShadow = false;
    // Index, not iterator: a group's OnCreate may add items or replace the screen.
    for (size_t i = 0; i < node->children.size() && generation == m_generation; ++i)
        LoadChild(node->children[i].get(), macroDepth);
    if (generation != m_generation)
        return;
    if (node->HasAttribute("selected"))
        SelectItem(node->GetAttribute("selected").c_str());
    if (node->HasAttribute("noShadow"))
        m_noShadow = node->GetAttribute("noShadow") == "true";
    // The screen's OnLoad runs again after every macro and group, as screens expect.
    if (const XmlNode* screen = Screen())
        ExecuteActions(nullptr, screen->GetAttribute("OnLoad"));
}

void Menu::LoadChild(XmlNode* child, int macroDepth)
{
    const std::string className = "Menu" + child->name;
    std::unique_ptr<Object> made(FactoryRegistry::MenuItems().Create(className.c_str()));
    if (auto* item = dynamic_cast<MenuItem*>(made.get())) {
        made.release();
        std::unique_ptr<MenuItem> owned(item);
        owned->SetMenu(this);
        owned->Create(child);
        AddItem(std::move(owned));
    } else if (child->name == "Macro") {
        LoadMacro(child, macroDepth);
    } else if (child->name == "Group") {
        if (ExecuteActions(nullptr, child->GetAttribute("OnCreate")) >= 0)
            LoadNode(child, macroDepth);
    }
}

void Menu::LoadMacro(XmlNode* element, int macroDepth)
{
    const std::string& name = element->GetAttribute("name");
    if (macroDepth >= kMaxMacroDepth) {
        LogWarning("Menu::LoadScreen: macro \"%s\" nested deeper than %d levels; not loaded\n", name.c_str(),
                   kMaxMacroDepth);
        return;
    }
    const std::string path = "<PP>\\Menu\\Screens\\macro_" + name + ".xml";
    FileSystem* files = FileSystem::Instance();
    File* file = files->Open(path.c_str(), "r");
    if (!file)
        return;
    std::unique_ptr<XmlNode> root = XmlParser().Parse(file);
    files->Close(file);
    if (!root)
        return;
    // Whole values only, and only on the macro's top elements.
    for (auto& child : root->children)
        for (auto& attribute : child->attributes)
            for (const auto& parameter : element->attributes)
                if (attribute->value == parameter->name) {
                    attribute->value = parameter->value;
                    break;
                }
    m_parsedNodes.push_back(std::move(root));
    LoadNode(m_parsedNodes.back().get(), macroDepth + 1);
}

void Menu::LoadCursor()
{
    // Textures need a running engine; tests and tools without one have no cursor.
    if (m_cursorTexture || m_cursorTried || RwEngineGetState() != 3)
        return;
    m_cursorTried = true;
    m_cursorTexture = TextureManager::Instance()->CreateTexture(kCursorFile, nullptr, false);
}

bool Menu::ClearScreen()
{
    ++m_generation;
    // Out first: an item's destructor may still ask the menu about its items.
    std::vector<std::unique_ptr<MenuItem>> items;
    items.swap(m_items);
    items.clear();
    std::vector<std::unique_ptr<XmlNode>> trees;
    trees.swap(m_parsedNodes);
    trees.clear();
    m_cursorTexture = nullptr;
    m_cursorTried = false;
    return true;
}

void Menu::Update(float seconds)
{
    const uint32_t generation = m_generation;
    for (size_t i = 0; i < m_items.size() && generation == m_generation; ++i)
        m_items[i]->Update(seconds);
    if ((m_fadeState == kFadingIn || m_fadeState == kFadingOut) && AllItemsSettled())
        SetFadeState(m_fadeState == kFadingIn ? kShown : kGone);
}

bool Menu::AllItemsSettled() const
{
    return std::all_of(m_items.begin(), m_items.end(), [](const auto& item) {
        const int state = item->GetFadeState();
        return state == MenuItem::kShown || state == MenuItem::kGone;
    });
}

void Menu::Render()
{
    for (int pass = m_noShadow ? 1 : 0; pass < 2; ++pass) {
        m_offset = Vector2();
        for (const auto& item : m_items)
            item->Draw(pass);
    }
}

void Menu::SetOwner(MessageListener* owner)
{
    m_owner = owner;
    m_warnedNoOwner = false;
}

int Menu::ExecuteActions(MenuItem* source, const std::string& text, MenuActionParameter* out)
{
    if (text.empty())
        return 0;
    if (!m_owner) {
        if (!m_warnedNoOwner)
            LogWarning("Menu::ExecuteActions: no owner; \"%s\" is not run\n", text.c_str());
        m_warnedNoOwner = true;
        return 0;
    }
    // A copy: a command may delete the item whose element holds the text.
    const std::string actions = text;
    const uint32_t generation = m_generation;
    MenuActionParameter record;
    record.source = source;
    size_t start = 0;
    while (start < actions.size()) {
        size_t end = actions.find(';', start);
        if (end == std::string::npos)
            end = actions.size();
        if (end > start) {
            const std::string command = actions.substr(start, end - start);
            const size_t blank = command.find(' ');
            const std::string argument = blank == std::string::npos ? std::string() : command.substr(blank + 1);
            record.argument = argument.c_str();
            // A source gone with its screen is not passed on.
            if (generation != m_generation)
                record.source = nullptr;
            record.result = DeliverMessage(m_owner, MessageId(command.substr(0, blank).c_str()),
                                           reinterpret_cast<intptr_t>(&record));
            if (out)
                *out = record;
            if (record.result < 0 || !m_owner)
                break;
        }
        start = end + 1;
    }
    return record.result;
}

void Menu::AddItem(std::unique_ptr<MenuItem> item)
{
    if (item)
        m_items.push_back(std::move(item));
}

void Menu::RemoveItem(const std::string& name)
{
    auto it = std::find_if(m_items.begin(), m_items.end(), [&](const auto& item) { return item->GetName() == name; });
    if (it == m_items.end())
        return;
    ++m_generation;
    std::unique_ptr<MenuItem> removed = std::move(*it);
    m_items.erase(it);
}

bool Menu::HasItem(const std::string& name, int index) const
{
    const auto count = std::count_if(m_items.begin(), m_items.end(), [&](const auto& item) { return item->GetName() == name; });
    return index >= 0 && count > index;
}

MenuItem* Menu::GetItem(int index) const
{
    if (index < 0 || index >= GetItemCount()) {
        LogMessageBox("Menu::GetItem not found item nr(%d)", index);
        return nullptr;
    }
    return m_items[static_cast<size_t>(index)].get();
}

MenuItem* Menu::GetItem(const std::string& name, int index) const
{
    for (const auto& item : m_items)
        if (item->GetName() == name && index-- == 0)
            return item.get();
    LogMessageBox("Menu::GetItem not found (%s)", name.c_str());
    return nullptr;
}

MenuItem* Menu::GetSelectedItem() const
{
    for (const auto& item : m_items)
        if (item->IsSelected())
            return item.get();
    return nullptr;
}

std::string Menu::GetSelectedItemName() const
{
    const MenuItem* item = GetSelectedItem();
    return item ? item->GetName() : std::string();
}

void Menu::ScalePoint(float& x, float& y) const
{
    x *= m_scale.x;
    y *= m_scale.y;
}

void Menu::ScaleRect(Vector4& rect) const
{
    ScalePoint(rect.x, rect.y);
    ScalePoint(rect.z, rect.w);
}

Vector2 Menu::ScreenToMenu(float x, float y) const
{
    const Vector2 size = ScreenSize();
    Quaternion camera;
    Vector3 eye;
    CameraPose(camera, eye);
    const Quaternion toCamera = camera.Inverse();
    const Vector3 relative = toCamera.Rotate(m_position - eye);
    const Quaternion turn = toCamera * m_rotation;
    const Vector3 point = Vector3(x - size.x / 2, y - size.y / 2, 0.0f) - relative;
    const Vector3 inPlane = turn.Inverse().Rotate(point);
    return Vector2(size.x / 2 + inPlane.x, size.y / 2 + inPlane.y);
}

Vector2 Menu::ScreenSize()
{
    return CameraSize(RwGraphics::Exists() ? RwGraphics::Instance()->GetPrimaryCamera() : nullptr);
}

int Menu::SendToItem(const std::string& name, int message, intptr_t param)
{
    MenuItem* item = GetItem(name, 0);
    return item ? DeliverMessage(item, message, param) : 0;
}

void Menu::SelectItem(MenuItem* item)
{
    for (const auto& each : m_items)
        each->Deselect();
    if (item)
        item->Select();
}

void Menu::SelectItem(const char* name)
{
    SelectItem(name ? GetItem(name, 0) : nullptr);
}

void Menu::SelectPrevious()
{
    Step(-1);
}

void Menu::SelectNext()
{
    Step(1);
}

void Menu::SelectBeside(const MenuItem& from, int direction)
{
    const Vector4 here = from.GetArea();
    const float middle = here.x + here.z / 2;
    MenuItem* nearest = nullptr;
    float nearestDistance = 0.0f;
    for (const auto& item : m_items) {
        const Vector4 area = item->GetArea();
        const bool sameRow = area.w > 0.0f && area.y < here.y + here.w && here.y < area.y + area.w;
        const float distance = (area.x + area.z / 2 - middle) * static_cast<float>(direction);
        if (item.get() == &from || !sameRow || distance <= 0.0f || !item->IsSelectable() || !item->IsVisible())
            continue;
        if (!nearest || distance < nearestDistance) {
            nearest = item.get();
            nearestDistance = distance;
        }
    }
    if (nearest)
        SelectItem(nearest);
}

int Menu::SelectedIndex() const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->IsSelected())
            return static_cast<int>(i);
    return -1;
}

MenuItem* Menu::RestoreSelection()
{
    if (MenuItem* selected = GetSelectedItem())
        return selected;
    if (m_beforeHover < 0 || m_beforeHover >= GetItemCount() || m_beforeHoverGeneration != m_generation)
        return nullptr;
    MenuItem* item = m_items[static_cast<size_t>(m_beforeHover)].get();
    if (!item->IsSelectable())
        return nullptr;
    SelectItem(item);
    return item;
}

void Menu::Step(int direction)
{
    const int count = GetItemCount();
    if (count == 0)
        return;
    const int start = std::max(SelectedIndex(), 0);
    // The start item itself is never a candidate: coming back to it changes nothing.
    for (int i = (start + direction + count) % count; i != start; i = (i + direction + count) % count)
        if (m_items[static_cast<size_t>(i)]->IsSelectable()) {
            SelectItem(m_items[static_cast<size_t>(i)].get());
            return;
        }
}

void Menu::SetFadeState(int state)
{
    if (state == kFadingIn || state == kFadingOut) {
        const bool in = state == kFadingIn;
        for (const auto& item : m_items)
            item->SetFadeState(in ? MenuItem::kWaitingToAppear : MenuItem::kWaitingToDisappear);
        for (const auto& item : m_items) {
            const Vector4 area = item->GetArea();
            const float delay = area.y * kDelayPerY + (in ? kFadeInLead - area.x * kDelayPerX : area.x * kDelayPerX);
            item->StartFade(std::clamp(delay, 0.0f, kMaxDelay));
        }
    } else if (state == kShown) {
        for (const auto& item : m_items)
            item->SetFadeState(MenuItem::kIdle);
    }
    m_fadeState = state;
}

std::string Menu::ExpandVariables(const std::string& text)
{
    std::string result = text;
    int substitutions = 0;
    size_t pos = result.find('%');
    while (pos != std::string::npos) {
        int32_t number = 0;
        size_t length = 0;
        std::string replacement;
        if (ReadTextNumber(result, pos, number, length)) {
            replacement = TextManager::Instance()->GetText(number);
        } else {
            const size_t close = result.find('%', pos + 1);
            if (close == std::string::npos)
                break;
            length = close - pos + 1;
            const auto it = m_variables.find(result.substr(pos, length));
            if (it == m_variables.end()) {
                pos = result.find('%', pos + 1);
                continue;
            }
            replacement = it->second;
        }
        if (++substitutions > kMaxSubstitutions) {
            LogWarning("Menu::ExpandVariables: more than %d substitutions in \"%s\"; the rest is left as it is\n",
                       kMaxSubstitutions, text.c_str());
            break;
        }
        // Scanning resumes here, so that the replacement is expanded too.
        result.replace(pos, length, replacement);
        pos = result.find('%', pos);
    }
    return result;
}

int Menu::OnMessage(int message, intptr_t param)
{
    float x = 0.0f, y = 0.0f;
    if (message == MessageId("menu back"))
        Back();
    else if (message == MessageId("menu click") && ReadPoint(param, x, y))
        Click(x, y);
    else if (message == MessageId("menu mouse move") && ReadPoint(param, x, y))
        Hover(x, y);
    return 0;
}

void Menu::Back()
{
    // An owner whose screen file was missing keeps an empty screen.
    if (const XmlNode* screen = Screen())
        ExecuteActions(nullptr, screen->GetAttribute("OnBack"));
}

void Menu::Click(float x, float y)
{
    const uint32_t generation = m_generation;
    // An action that replaced the screen ends the clicks: the rest were on the old one.
    for (size_t i = 0; i < m_items.size() && generation == m_generation; ++i) {
        MenuItem* item = m_items[i].get();
        if (item->HitTest(x, y) && item->GetXmlNode())
            ExecuteActions(item, item->GetXmlNode()->GetAttribute("OnClick"));
    }
}

void Menu::Hover(float x, float y)
{
    if (const int selected = SelectedIndex(); selected >= 0) {
        m_beforeHover = selected;
        m_beforeHoverGeneration = m_generation;
    }
    SelectItem(static_cast<MenuItem*>(nullptr));
    for (const auto& item : m_items)
        if (item->HitTest(x, y) && item->IsSelectable())
            SelectItem(item.get());
}

int* Menu::GetEditValue(const std::string& name)
{
    return m_editValues[name];
}

void Menu::DrawMouseCursor() const
{
    RwRaster* raster = m_cursorTexture ? m_cursorTexture->GetRaster() : nullptr;
    if (!raster)
        return;
    const Vector2 size = CameraSize(RwGraphics::Exists() ? RwGraphics::Instance()->GetCamera() : nullptr);
    int x = 0, y = 0;
    MouseInput::Instance()->GetPosition(x, y);
    const TextRect screen{static_cast<float>(x + kCursorDx), static_cast<float>(y + kCursorDy), size.x * kCursorWidth,
                          size.y * kCursorHeight};
    textdraw::DrawTexturedRect(raster, screen, {0.0f, 0.0f, 1.0f, 1.0f}, Color(1.0f, 1.0f, 1.0f, 1.0f));
}
