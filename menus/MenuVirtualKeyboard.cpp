#include "menus/MenuVirtualKeyboard.h"

#include "framework/Registration.h"
#include "menus/Menu.h"
#include "menus/MenuText.h"
#include "menus/XmlParser.h"
#include "text/TextDisplay.h"

#include <array>

REGISTER_FACTORY(MenuItems, MenuVirtualKeyboard);

namespace {

// Row by row, eleven keys a row; the last row is short and its last three keys wide.
constexpr std::array<const char*, MenuVirtualKeyboard::kKeyCount> kLabels = {
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K",
    "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V",
    "W", "X", "Y", "Z", "0", "1", "2", "3", "4", "5", "6",
    "7", "8", "9", "!", ".", MenuVirtualKeyboard::kSpace, MenuVirtualKeyboard::kDelete, MenuVirtualKeyboard::kDone,
};
constexpr int kLastRow = 3;
constexpr int kLastRowColumns = 8;
// The wide keys of the last row and their centres beside the keyboard's reference point.
constexpr int kFirstWideKey = 38;
constexpr float kWideKeyX[] = {50.0f, 175.0f, 250.0f};
constexpr float kKeySpacing = 50.0f;
constexpr float kLeftColumnX = -250.0f;

// A column of the upper rows onto the last row: SPACE spans 5 to 7, DEL 8 and 9, OK 10.
int ToLastRow(int column)
{
    if (column >= 10)
        return 7;
    if (column >= 8)
        return 6;
    return column >= 5 ? 5 : column;
}

// The way back up: OK to 10, DEL to 8; SPACE and the short keys keep their column.
int FromLastRow(int column)
{
    if (column == 7)
        return 10;
    return column == 6 ? 8 : column;
}

}  // namespace

void MenuVirtualKeyboard::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    m_label.Read(node, "MenuVirtualKeyboard");
}

int MenuVirtualKeyboard::MoveCursor(int cursor, Move move)
{
    int row = cursor / kColumns;
    int column = cursor % kColumns;
    const bool last = row == kLastRow;
    switch (move) {
    case kLeft:
        column = last ? (column + kLastRowColumns - 1) % kLastRowColumns : (column + kColumns - 1) % kColumns;
        break;
    case kRight:
        column = last ? (column + 1) % kLastRowColumns : (column + 1) % kColumns;
        break;
    case kUp:
        row = (row + kLastRow) % (kLastRow + 1);
        column = last ? FromLastRow(column) : row == kLastRow ? ToLastRow(column) : column;
        break;
    case kDown:
        row = (row + 1) % (kLastRow + 1);
        column = last ? FromLastRow(column) : row == kLastRow ? ToLastRow(column) : column;
        break;
    }
    return row * kColumns + column;
}

std::string MenuVirtualKeyboard::GetLabel(int key)
{
    return key >= 0 && key < kKeyCount ? kLabels[static_cast<size_t>(key)] : "";
}

int MenuVirtualKeyboard::OnMessage(int message, intptr_t)
{
    if (m_fadeState != kIdle || !IsSelected())
        return 0;
    static const int moves[] = {MenuMessage("menu left"), MenuMessage("menu right"), MenuMessage("menu up"),
                                MenuMessage("menu down")};
    for (int move = kLeft; move <= kDown; ++move)
        if (message == moves[move])
            m_cursor = MoveCursor(m_cursor, static_cast<Move>(move));
    if (message == MenuMessage("menu select") && m_menu && m_xmlNode)
        m_menu->ExecuteActions(this, m_xmlNode->GetAttribute("OnSelect"));
    return 0;
}

void MenuVirtualKeyboard::GetKeys(std::vector<Key>& out) const
{
    out.clear();
    for (int i = 0; i < kKeyCount; ++i) {
        Key key;
        if (i < kFirstWideKey) {
            key.x = static_cast<float>(i % kColumns) * kKeySpacing + m_label.x + kLeftColumnX;
            key.y = static_cast<float>(i / kColumns) * kKeySpacing + m_label.y;
        } else {
            key.x = m_label.x + kWideKeyX[i - kFirstWideKey];
            key.y = m_label.y + kLastRow * kKeySpacing;
        }
        key.x += GetFadeOffset();
        if (m_menu)
            m_menu->ScalePoint(key.x, key.y);
        const char* colour = i == m_cursor ? "<color 170 230 255>" : "<color 40 130 230>";
        key.text = colour + GetLabel(i) + "</color>";
        out.push_back(key);
    }
}

void MenuVirtualKeyboard::Draw(int pass)
{
    if (pass != 1)
        return;
    // The labels are always centred on their keys, whatever "halign" says.
    const menutext::AlignScope centred(true, kAlignCenter);
    std::vector<Key> keys;
    GetKeys(keys);
    for (const Key& key : keys)
        TextDisplay::Instance()->Print(key.text, key.x, key.y);
}
