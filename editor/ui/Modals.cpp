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

const ImVec2 kButtonSize(75, 0);
const ImVec2 kFileWindowSize(460, 360);

// Opens the request's popup on its first Draw, centred. False, with the request dropped,
// when the popup is not showing; otherwise the caller ends the popup.
template <typename Request>
bool BeginRequest(Request& request, const char* title, ImGuiWindowFlags flags, ImVec2 size = ImVec2(0, 0))
{
    if (!request.open)
        return false;
    if (!request.shown) {
        ImGui::OpenPopup(title);
        request.shown = true;
    }
    ImGui::SetNextWindowPos(ImGui::GetIO().DisplaySize * 0.5f, ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    if (size.x > 0)
        ImGui::SetNextWindowSize(size, ImGuiCond_Appearing);
    if (!ImGui::BeginPopupModal(title, nullptr, flags)) {
        request = {};
        return false;
    }
    return true;
}

// OK (when allowed) hands the answer to the request's callback; Cancel or Escape drops the
// request. Either closes the popup, which this ends.
template <typename Request, typename Answer>
void AnswerButtons(Request& request, bool okAllowed, Answer answer)
{
    bool finished = false;
    if (ImGui::Button("OK", kButtonSize) && okAllowed) {
        // Taken out first: the callback may open another request.
        auto accept = std::move(request.accept);
        const auto chosen = answer(request);
        finished = true;
        request = {};
        if (accept)
            accept(chosen);
    }
    ImGui::SameLine();
    if (ImGui::Button("Cancel", kButtonSize) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))) {
        finished = true;
        request = {};
    }
    if (finished)
        ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
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
    if (!BeginRequest(m_color, kColorTitle, ImGuiWindowFlags_AlwaysAutoResize))
        return;
    ImGui::ColorPicker3("##picker", m_color.rgb, ImGuiColorEditFlags_DisplayRGB | ImGuiColorEditFlags_InputRGB);
    AnswerButtons(m_color, true, [](const ColorRequest& request) {
        return Rgb8{Round255(request.rgb[0]), Round255(request.rgb[1]), Round255(request.rgb[2])};
    });
}

void Modals::DrawFile()
{
    if (!BeginRequest(m_file, kFileTitle, ImGuiWindowFlags_None, kFileWindowSize))
        return;
    const std::vector<FilterEntry> filters = ParseFileFilter(m_file.filter);
    const FilterEntry* filter =
        filters.empty() ? nullptr : &filters[std::clamp(m_file.filterIndex, 0, static_cast<int>(filters.size()) - 1)];
    ImGui::TextUnformatted(m_file.folder.c_str());
    DrawFolder(ListFolder(m_file.folder, filter));

    ImGui::SetNextItemWidth(260);
    InputString("##name", &m_file.name);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(-1);
    if (filter && ImGui::BeginCombo("##filter", filter->description.c_str())) {
        for (size_t i = 0; i < filters.size(); ++i)
            if (ImGui::Selectable(filters[i].description.c_str(), static_cast<int>(i) == m_file.filterIndex))
                m_file.filterIndex = static_cast<int>(i);
        ImGui::EndCombo();
    }
    AnswerButtons(m_file, !m_file.name.empty(), [](const FileRequest& request) {
        return (std::filesystem::path(request.folder) / request.name).string();
    });
}

void Modals::DrawFolder(const FolderListing& listing)
{
    namespace fs = std::filesystem;
    std::string enter;
    const float listHeight = ImGui::GetContentRegionAvail().y - 2 * ImGui::GetFrameHeightWithSpacing() - 4;
    if (ImGui::BeginChild("##files", ImVec2(0, listHeight), true)) {
        for (const std::string& folder : listing.folders)
            if (ImGui::Selectable(("[" + folder + "]").c_str(), false, ImGuiSelectableFlags_AllowDoubleClick) &&
                ImGui::IsMouseDoubleClicked(0))
                enter = folder;
        for (const std::string& file : listing.files)
            if (ImGui::Selectable(file.c_str(), file == m_file.name))
                m_file.name = file;
    }
    ImGui::EndChild();
    if (!enter.empty())
        m_file.folder = enter == ".." ? fs::path(m_file.folder).parent_path().string() : (fs::path(m_file.folder) / enter).string();
    if (m_file.folder.empty())
        m_file.folder = "/";
}

FolderListing ListFolder(const std::string& folder, const FilterEntry* filter)
{
    namespace fs = std::filesystem;
    FolderListing listing;
    listing.folders.push_back("..");
    // Listed without touching the working directory.
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            listing.folders.push_back(name);
            continue;
        }
        bool shown = !filter;
        for (size_t i = 0; filter && i < filter->patterns.size(); ++i)
            shown = shown || MatchesPattern(name, filter->patterns[i]) || filter->patterns[i] == "*.*";
        if (shown)
            listing.files.push_back(name);
    }
    std::sort(listing.folders.begin() + 1, listing.folders.end());
    std::sort(listing.files.begin(), listing.files.end());
    return listing;
}

}  // namespace editor
