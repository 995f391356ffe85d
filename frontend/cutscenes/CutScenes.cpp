#include "frontend/cutscenes/CutScenes.h"

#include "framework/Debug.h"
#include "framework/Settings.h"
#include "framework/StringUtil.h"
#include "frontend/story/StoryModeGame.h"

namespace {

constexpr const char* kNewspaperFolder = "<PP>cutScenes\\newspaper\\";
constexpr const char* kOutroFolder = "<PP>cutScenes\\Outro\\";
constexpr const char* kPrimateIntroFolder = "<PP>cutScenes\\primate_intro\\";

bool Enabled()
{
    return SettingsManager::Instance()->GetInt("CutScenes") == 1;
}

}  // namespace

CutScenes::CutScenes(const std::string& folder)
    : m_scriptPath(folder + "script.txt"), m_folder(folder), m_enabled(Enabled())
{
    m_outro = EqualsNoCase(folder, kOutroFolder);
    m_primateIntro = !m_outro && EqualsNoCase(folder, kPrimateIntroFolder);
}

CutScenes::CutScenes(const std::string& folder, const std::string& script, int page)
    : m_scriptPath(folder + script), m_folder(folder), m_enabled(Enabled())
{
    m_newspaper = EqualsNoCase(folder, kNewspaperFolder);
    m_happy = EqualsNoCase(script, "script_happy.txt");
    if (m_newspaper) {
        m_page = page;
        m_storyRound = StoryModeGame::Instance()->round;
    }
}

void CutScenes::Enter()
{
    if (m_enabled)
        DebugTrace("CutScenes::Enter: %s is not played\n", m_scriptPath.c_str());
}

State* CutScenes::Update(float)
{
    return nullptr;
}
