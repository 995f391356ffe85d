#include "editor/ObjectSettingsDialog.h"

#include "editor/IconFileList.h"
#include "editor/ObjectsBrowserEvents.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Factory.h"
#include "framework/Object.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

// CCreateGameElementDialog

CCreateGameElementDialog::CCreateGameElementDialog(const std::string& positions)
    : m_position("Create Game Element", positions)
{
}

void CCreateGameElementDialog::OnInitDialog()
{
    m_names = FactoryRegistry::GameElements().GetNames();
    m_selection = m_names.empty() ? -1 : 0;
}

void CCreateGameElementDialog::OnCreate()
{
    if (m_selection < 0 || m_selection >= static_cast<int>(m_names.size()))
        return;
    browser_events::SendText(browser_events::kCreateGameElement, m_names[static_cast<size_t>(m_selection)]);
}

void CCreateGameElementDialog::OnCommand(int id)
{
    if (id == kCreateId)
        OnCreate();
    else if (id == kOkId)
        Hide();
}

// CObjectSettingsDialog

const std::vector<CObjectSettingsDialog::MenuEntry>& CObjectSettingsDialog::Menu()
{
    static const std::vector<MenuEntry> kMenu = {
        {"&File", "Load", kLoad},
        {"&File", "&Save", kSave},
        {"&File", nullptr, 0},
        {"&File", "Import", kImport},
        {"&File", "Export", kExport},
        {"&File", nullptr, 0},
        {"&File", nullptr, 0},
        {"&File", "&Close", kClose},
        {"&Edit", "Create Folder", kNewFolder},
        {"&Edit", nullptr, 0},
        {"&Edit", "Create Game Element", kCreateGameElement},
    };
    return kMenu;
}

CObjectSettingsDialog::CObjectSettingsDialog(const std::string& positions)
    : m_position("Objects Browser", positions),
      m_createDialog(std::make_unique<CCreateGameElementDialog>(positions))
{
    m_createDialog->OnInitDialog();
}

CObjectSettingsDialog::~CObjectSettingsDialog()
{
    // Windows first: their attachments may point into what the dialog is closing.
    std::list<PropertyWindowEntry> windows;
    windows.swap(m_windows);
    windows.clear();
}

void CObjectSettingsDialog::SetChoosers(ColorChooser color, FileChooser file)
{
    m_colorChooser = std::move(color);
    m_fileChooser = std::move(file);
}

void CObjectSettingsDialog::LoadIcons(const std::string& wildcard, const std::function<bool(const std::string&)>& load)
{
    IconFileList files;
    files.Fill(wildcard);
    m_iconNames.clear();
    m_defaultIcon = m_folderIcon = 0;
    for (size_t i = 0; i < files.Count(); ++i) {
        if (!load(files.GetPath(i))) {
            DebugTrace("Could not load BMP file: %s\n", files.GetPath(i).c_str());
            break;
        }
        const std::string& file = files.GetName(i);
        const std::string name = Lower(file.substr(0, file.size() >= 4 ? file.size() - 4 : 0));
        if (name == "default")
            m_defaultIcon = static_cast<int>(i);
        if (name == "folder")
            m_folderIcon = static_cast<int>(i);
        m_iconNames.push_back(name);
        DebugTrace("INSERTING <%s>\n", name.c_str());
    }
}

int CObjectSettingsDialog::GetIconIndex(const Object& object) const
{
    const auto it = std::find(m_iconNames.begin(), m_iconNames.end(), Lower(ClassNameOf(object)));
    return it == m_iconNames.end() ? m_defaultIcon : static_cast<int>(it - m_iconNames.begin());
}

void CObjectSettingsDialog::ClearTree()
{
    m_tree.DeleteItem(TreeModel::kNone);
}

void CObjectSettingsDialog::InsertObject(const Cast& cast, const std::string& castName)
{
    const std::string prefix = castName + "|";
    for (int m = 0; m < cast.GetMemberCount(); ++m) {
        const CastMember* member = cast.GetMember(m);
        if (!member->object)
            continue;
        std::string name = member->object->GetName() ? member->object->GetName() : member->name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            name = prefix + name;
        const size_t bar = name.rfind('|');
        const TreeModel::Item item = InsertItem(name.substr(0, bar), name.substr(bar + 1),
                                                GetIconIndex(*member->object), member->object);
        m_tree.SetOverlay(item, member->owned ? 1 : 0);
    }
}

TreeModel::Item CObjectSettingsDialog::FindOrCreateFolder(const std::string& path)
{
    TreeModel::Item parent = TreeModel::kNone;
    TreeModel::Item sibling = m_tree.GetRootItem();
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('|', start), path.size());
        const std::string token = path.substr(start, end - start);
        start = end + 1;
        if (token.empty())
            continue;
        while (sibling != TreeModel::kNone && m_tree.GetItemText(sibling) != token)
            sibling = m_tree.GetNextSibling(sibling);
        if (sibling != TreeModel::kNone) {
            parent = sibling;
            sibling = m_tree.GetChild(parent);
        } else {
            parent = m_tree.InsertItem(token, m_folderIcon, m_folderIcon, parent, TreeModel::kLast);
        }
    }
    return parent;
}

TreeModel::Item CObjectSettingsDialog::InsertItem(const std::string& folder, const std::string& label, int image, Object* object)
{
    const TreeModel::Item item = m_tree.InsertItem(label, image, image, FindOrCreateFolder(folder), TreeModel::kLast);
    m_tree.SetItemData(item, object);
    return item;
}

void CObjectSettingsDialog::SelectObject(const Object* object)
{
    if (!object)
        return;
    for (TreeModel::Item item = m_tree.GetRootItem(); item != TreeModel::kNone; item = m_tree.GetNextItemInOrder(item))
        if (m_tree.GetItemData(item) == object) {
            m_tree.SelectItem(item);
            return;
        }
}

void CObjectSettingsDialog::Show()
{
    m_visible = true;
    m_collapsed = false;
    m_placement = true;
    m_position.Set(0, 0, kShowSize, kShowSize);
    m_position.Save();
}

bool CObjectSettingsDialog::TakePlacement()
{
    const bool placement = m_placement;
    m_placement = false;
    return placement;
}

CObjectSettingsDialog::PropertyWindowEntry* CObjectSettingsDialog::FindBySerial(int serial)
{
    for (PropertyWindowEntry& entry : m_windows)
        if (!entry.closed && entry.dialog->GetSerial() == serial)
            return &entry;
    return nullptr;
}

CObjectSettingsDialog::PropertyWindowEntry& CObjectSettingsDialog::OpenPropertyWindow(Object& object, const std::string& label,
                                                                                        int openedFrom)
{
    PropertyWindowEntry* old = nullptr;
    for (PropertyWindowEntry& entry : m_windows)
        if (!entry.closed && entry.object == &object)
            old = &entry;
    auto at = std::find_if(m_windows.begin(), m_windows.end(), [old](const PropertyWindowEntry& e) { return &e == old; });
    PropertyWindowEntry& entry = *m_windows.emplace(old ? at : m_windows.end());
    entry.object = &object;
    entry.label = label;
    entry.openedFrom = openedFrom;
    entry.dialog = std::make_unique<CInputDialog>();
    entry.dialog->SetLabel(label);
    entry.dialog->SetColorChooser(m_colorChooser);
    entry.dialog->SetFileChooser(m_fileChooser);
    const int serial = entry.dialog->GetSerial();
    entry.dialog->SetObjectWindowOpener([this, serial](Object* child, const std::string& name) {
        if (child)
            m_opens.push_back({child, name, serial});
    });
    entry.serializer = std::make_unique<InputDialogSerializer>(entry.dialog.get());
    entry.serializer->SetWriting(true);
    object.Serialize(*entry.serializer, label.c_str());
    entry.dialog->SetUpdateCallback([this, &entry] { OnPropertiesChanged(entry); });
    if (old) {
        entry.placeKnown = entry.placePending = old->placeKnown;
        entry.x = old->x;
        entry.y = old->y;
        Close(*old);
    }
    if (m_attachmentMaker)
        entry.attachment = m_attachmentMaker(object);
    return entry;
}

void CObjectSettingsDialog::OnPropertiesChanged(PropertyWindowEntry& entry)
{
    if (entry.closed)
        return;
    ++m_callbackDepth;
    entry.serializer->SetWriting(false);
    entry.serializer->Reset();
    entry.object->Serialize(*entry.serializer, "Unknown");
    MainProgram::Instance()->HandleEvent(browser_events::kObjectUpdated, reinterpret_cast<intptr_t>(entry.object), 0);
    // The window is still running this callback: the rebuild waits for the UI pass's end.
    if (!entry.closed && entry.serializer->IsRebuildRequested())
        m_rebuilds.push_back({entry.dialog->GetSerial()});
    --m_callbackDepth;
}

void CObjectSettingsDialog::MarkClosed(PropertyWindowEntry& entry)
{
    if (entry.closed)
        return;
    entry.closed = true;
    entry.dialog->OnOkButton();
    entry.attachment.reset();
    const int serial = entry.dialog->GetSerial();
    for (PropertyWindowEntry& other : m_windows)
        if (other.openedFrom == serial)
            MarkClosed(other);
}

void CObjectSettingsDialog::Close(PropertyWindowEntry& entry)
{
    MarkClosed(entry);
    RemoveClosedWhenIdle();
}

void CObjectSettingsDialog::RemoveClosedWhenIdle()
{
    // A window's dialog may still be running: its entry goes after the UI pass.
    if (!m_inUiPass && m_callbackDepth == 0)
        RemoveClosed();
}

void CObjectSettingsDialog::RemoveClosed()
{
    std::list<PropertyWindowEntry> closed;
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        auto next = std::next(it);
        if (it->closed)
            closed.splice(closed.end(), m_windows, it);
        it = next;
    }
}

void CObjectSettingsDialog::EndUiPass()
{
    m_inUiPass = false;
    std::vector<Rebuild> rebuilds;
    rebuilds.swap(m_rebuilds);
    for (const Rebuild& rebuild : rebuilds)
        if (PropertyWindowEntry* entry = FindBySerial(rebuild.serial))
            OpenPropertyWindow(*entry->object, entry->label, entry->openedFrom);
    std::vector<Open> opens;
    opens.swap(m_opens);
    for (const Open& open : opens)
        if (FindBySerial(open.openedFrom))
            OpenPropertyWindow(*open.object, open.label, open.openedFrom);
    RemoveClosed();
}

void CObjectSettingsDialog::Forget(const Object* object)
{
    for (PropertyWindowEntry& entry : m_windows)
        if (entry.object == object)
            MarkClosed(entry);
    // Until the game refills the tree, its items must not reach the object either.
    for (TreeModel::Item item = m_tree.GetRootItem(); item != TreeModel::kNone; item = m_tree.GetNextItemInOrder(item))
        if (m_tree.GetItemData(item) == object)
            m_tree.SetItemData(item, nullptr);
}

void CObjectSettingsDialog::OnObjectFreeing(const Object* object)
{
    Forget(object);
    RemoveClosedWhenIdle();
}

void CObjectSettingsDialog::OnCastClearing(const Cast& cast)
{
    for (int m = 0; m < cast.GetMemberCount(); ++m)
        Forget(cast.GetMember(m)->object);
    RemoveClosedWhenIdle();
}

void CObjectSettingsDialog::UpdateAttachments(float dt)
{
    for (PropertyWindowEntry& entry : m_windows)
        if (entry.attachment)
            entry.attachment->Update(dt);
}

void CObjectSettingsDialog::RenderAttachments()
{
    for (PropertyWindowEntry& entry : m_windows)
        if (entry.attachment)
            entry.attachment->Render();
}

void CObjectSettingsDialog::OnDblClk()
{
    const TreeModel::Item item = m_tree.GetSelectedItem();
    if (Object* object = m_tree.GetItemData(item))
        OpenPropertyWindow(*object, m_tree.GetItemText(item));
}

void CObjectSettingsDialog::SendSelected(const char* event)
{
    const TreeModel::Item item = m_tree.GetSelectedItem();
    if (item == TreeModel::kNone) {
        LogMessageBox("Nothing selected");
        return;
    }
    browser_events::Send(event, m_tree.GetItemData(item), m_tree.GetItemText(item));
}

void CObjectSettingsDialog::OnCommand(int id)
{
    switch (id) {
    case kLoad: MainProgram::Instance()->HandleEvent(browser_events::kLoadSettings, 0, 0); break;
    case kSave: MainProgram::Instance()->HandleEvent(browser_events::kSaveSettings, 0, 0); break;
    case kImport: OnImport(); break;
    case kExport: OnExport(); break;
    case kNewFolder: OnNewFolder(); break;
    case kCreateGameElement: m_createDialog->Show(); break;
    case kClose: break;
    default: m_tree.OnCommand(id); break;
    }
}
