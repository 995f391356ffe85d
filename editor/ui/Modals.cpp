#include "editor/ui/Modals.h"

#include "editor/FileFilter.h"
#include "editor/ui/Widgets.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace editor {

namespace {

const char kColorTitle[] = "Color###tb_color_modal";
const char kFileTitle[] = "Open###tb_file_modal";

int Round255(float v)
{
    return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

void SplitBrowsePath(const std::string& path, std::string& folder, std::string& name)
{
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    const size_t slash = p.rfind('/');
    if (slash == std::string::npos) {
        folder = ".";
        name = p;
        return;
    }
    folder = slash == 0 ? "/" : p.substr(0, slash);
    name = p.substr(slash + 1);
}

ColorChooser Modals::MakeColorChooser()
{
    return [this](Rgb8 initial, std::function<void(Rgb8)> accept) {
        m_color = {};
        m_color.open = true;
        m_color.rgb[0] = initial.r / 255.0f;
        m_color.rgb[1] = initial.g / 255.0f;
        m_color.rgb[2] = initial.b / 255.0f;
        m_color.accept = std::move(accept);
    };
}

FileChooser Modals::MakeFileChooser()
{
    return [this](const std::string& path, const std::string& filter, std::function<void(const std::string&)> accept) {
        m_file = {};
        m_file.open = true;
        SplitBrowsePath(path, m_file.folder, m_file.name);
        m_file.filter = filter;
        m_file.accept = std::move(accept);
    };
}

void Modals::Draw()
{
    DrawColor();
    DrawFile();
}

void Modals::DrawColor()
{
    if (!m_color.open)
        return;
    if (!m_color.shown) {
        ImGui::OpenPopup(kColorTitle);
        m_color.shown = true;
    }
    ImGui::SetNextWindowPos(ImGui::GetIO().DisplaySize * 0.5f, ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    if (!ImGui::BeginPopupModal(kColorTitle, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
        m_color = {};
        return;
    }
    ImGui::ColorPicker3("##picker", m_color.rgb, ImGuiColorEditFlags_DisplayRGB | ImGuiColorEditFlags_InputRGB);
    bool finished = false;
    if (ImGui::Button("OK", ImVec2(75, 0))) {
        // Copied out first: the answer may open another request.
        auto accept = std::move(m_color.accept);
        const Rgb8 chosen{Round255(m_color.rgb[0]), Round255(m_color.rgb[1]), Round255(m_color.rgb[2])};
        finished = true;
        m_color = {};
        if (accept)
            accept(chosen);
    }
    ImGui::SameLine();
    if (ImGui::Button("Cancel", ImVec2(75, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))) {
        finished = true;
        m_color = {};
    }
    if (finished)
        ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}

void Modals::DrawFile()
{
    if (!m_file.open)
        return;
    if (!m_file.shown) {
        ImGui::OpenPopup(kFileTitle);
        m_file.shown = true;
    }
    ImGui::SetNextWindowPos(ImGui::GetIO().DisplaySize * 0.5f, ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(460, 360), ImGuiCond_Appearing);
    if (!ImGui::BeginPopupModal(kFileTitle, nullptr)) {
        m_file = {};
        return;
    }
    namespace fs = std::filesystem;
    const std::vector<FilterEntry> filters = ParseFileFilter(m_file.filter);
    ImGui::TextUnformatted(m_file.folder.c_str());

    // Listed without touching the working directory.
    std::vector<std::string> folders{".."}, files;
    std::error_code error;
    for (fs::directory_iterator it(m_file.folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            folders.push_back(name);
            continue;
        }
        bool shown = filters.empty();
        if (!filters.empty()) {
            const FilterEntry& f = filters[std::clamp(m_file.filterIndex, 0, static_cast<int>(filters.size()) - 1)];
            for (const std::string& pattern : f.patterns)
                shown = shown || MatchesPattern(name, pattern) || pattern == "*.*";
        }
        if (shown)
            files.push_back(name);
    }
    std::sort(folders.begin() + 1, folders.end());
    std::sort(files.begin(), files.end());

    std::string enter;
    const float listHeight = ImGui::GetContentRegionAvail().y - 2 * ImGui::GetFrameHeightWithSpacing() - 4;
    if (ImGui::BeginChild("##files", ImVec2(0, listHeight), true)) {
        for (const std::string& folder : folders)
            if (ImGui::Selectable(("[" + folder + "]").c_str(), false, ImGuiSelectableFlags_AllowDoubleClick) &&
                ImGui::IsMouseDoubleClicked(0))
                enter = folder;
        for (const std::string& file : files)
            if (ImGui::Selectable(file.c_str(), file == m_file.name))
                m_file.name = file;
    }
    ImGui::EndChild();
    if (!enter.empty())
        m_file.folder = enter == ".." ? fs::path(m_file.folder).parent_path().string() : (fs::path(m_file.folder) / enter).string();
    if (m_file.folder.empty())
        m_file.folder = "/";

    ImGui::SetNextItemWidth(260);
    InputString("##name", &m_file.name);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(-1);
    if (!filters.empty() &&
        ImGui::BeginCombo("##filter", filters[std::clamp(m_file.filterIndex, 0, static_cast<int>(filters.size()) - 1)].description.c_str())) {
        for (size_t i = 0; i < filters.size(); ++i)
            if (ImGui::Selectable(filters[i].description.c_str(), static_cast<int>(i) == m_file.filterIndex))
                m_file.filterIndex = static_cast<int>(i);
        ImGui::EndCombo();
    }
    bool finished = false;
    if (ImGui::Button("OK", ImVec2(75, 0)) && !m_file.name.empty()) {
        auto accept = std::move(m_file.accept);
        const std::string chosen = (fs::path(m_file.folder) / m_file.name).string();
        finished = true;
        m_file = {};
        if (accept)
            accept(chosen);
    }
    ImGui::SameLine();
    if (ImGui::Button("Cancel", ImVec2(75, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))) {
        finished = true;
        m_file = {};
    }
    if (finished)
        ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}

}  // namespace editor
