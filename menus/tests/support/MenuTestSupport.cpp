#include "MenuTestSupport.h"

#include "framework/FileSystem.h"
#include "framework/MemoryFile.h"
#include "framework/Registration.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using menutest::MenuProbe;
REGISTER_FACTORY(MenuItems, MenuProbe);

namespace menutest {

std::vector<std::string> MenuProbe::drawn;

std::unique_ptr<XmlNode> ParseText(const std::string& text)
{
    MemoryFile file(std::vector<uint8_t>(text.begin(), text.end()), true);
    return XmlParser().Parse(&file);
}

std::unique_ptr<XmlNode> TryParseText(const std::string& text, std::string& error)
{
    MemoryFile file(std::vector<uint8_t>(text.begin(), text.end()), true);
    return XmlParser().TryParse(&file, error);
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    FileSystem::Instance()->InvalidateDiskCache();
}

void UseTestProjectFolder()
{
    FileSystem::Instance()->AddAlias("<PP>", "data\\pc\\");
}

int RecordingOwner::OnMessage(int message, intptr_t param)
{
    const auto& record = *reinterpret_cast<const MenuActionParameter*>(param);
    const std::string name = MessageServer::Instance()->GetMessageName(message);
    log.push_back(name + ":" + record.argument);
    results.push_back(record.result);
    sources.push_back(record.source);
    if (react)
        return react(name, record);
    const auto it = answers.find(name);
    return it == answers.end() ? 0 : it->second;
}

void MenuProbe::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    const auto number = [&](const char* name) { return std::stof("0" + node->GetAttribute(name)); };
    m_area = Vector4(number("x"), number("y"), number("w"), number("h"));
    m_selectable = node->GetAttribute("selectable") == "true";
}

void MenuProbe::Draw(int pass)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s:%d@%g,%g", GetName().c_str(), pass, m_menu->GetOffset().x,
                  m_menu->GetOffset().y);
    drawn.push_back(text);
}

bool MenuProbe::HitTest(float x, float y) const
{
    return x >= m_area.x && y >= m_area.y && x < m_area.x + m_area.z && y < m_area.y + m_area.w;
}

MenuFixture::MenuFixture() : menu(*Menu::Instance())
{
    menu.SetOwner(&owner);
    MenuProbe::drawn.clear();
}

MenuFixture::~MenuFixture()
{
    Menu::DestroyInstance();
}

bool MenuFixture::Load(const std::string& screen)
{
    return menu.LoadScreen(ParseText(screen));
}

}  // namespace menutest
