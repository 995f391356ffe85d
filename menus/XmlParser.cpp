#include "menus/XmlParser.h"

#include "framework/Debug.h"
#include "framework/File.h"

#include <algorithm>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

void TrimLine(std::string& line)
{
    const size_t first = line.find_first_not_of(" \t\n");
    if (first == std::string::npos) {
        line.clear();
        return;
    }
    line.erase(line.find_last_not_of(" \t\n") + 1);
    line.erase(0, first);
}

void MapBrackets(std::string& value)
{
    std::replace(value.begin(), value.end(), '[', '<');
    std::replace(value.begin(), value.end(), ']', '>');
}

const std::string kNoValue;

}  // namespace

XmlAttribute* XmlNode::FindAttribute(const char* attributeName)
{
    return const_cast<XmlAttribute*>(static_cast<const XmlNode*>(this)->FindAttribute(attributeName));
}

const XmlAttribute* XmlNode::FindAttribute(const char* attributeName) const
{
    if (!attributeName)
        return nullptr;
    for (const auto& attribute : attributes)
        if (attribute->name == attributeName)
            return attribute.get();
    return nullptr;
}

const std::string& XmlNode::GetAttribute(const char* attributeName) const
{
    const XmlAttribute* attribute = FindAttribute(attributeName);
    return attribute ? attribute->value : kNoValue;
}

std::unique_ptr<XmlNode> XmlParser::Parse(File* file)
{
    std::string error;
    std::unique_ptr<XmlNode> root = TryParse(file, error);
    if (!error.empty())
        LogFatalError("%s", error.c_str());
    return root;
}

std::unique_ptr<XmlNode> XmlParser::TryParse(File* file, std::string& error)
{
    m_file = file;
    m_eof = !file;
    m_line.clear();
    m_pos = 0;
    m_error.clear();
    std::vector<std::unique_ptr<XmlNode>> roots;
    ParseNode(nullptr, 0, roots);
    error = m_error;
    if (!m_error.empty() || roots.empty())
        return nullptr;
    // Earlier top-level elements go with the vector.
    return std::move(roots.back());
}

XmlNode* XmlParser::ParseNode(XmlNode* parent, int depth, std::vector<std::unique_ptr<XmlNode>>& roots)
{
    XmlNode* last = nullptr;
    while (!m_eof && m_error.empty()) {
        const std::string token = ReadToken(false);
        if (token == "<") {
            auto node = std::make_unique<XmlNode>(ReadToken(false));
            last = node.get();
            if (parent)
                parent->children.push_back(std::move(node));
            else
                roots.push_back(std::move(node));
            ParseAttributes(*last, depth, roots);
        } else if (token == "</") {
            CloseElement(parent);
            return last;
        } else if (parent) {
            parent->text += token;
        }
    }
    return last;
}

void XmlParser::ParseAttributes(XmlNode& node, int depth, std::vector<std::unique_ptr<XmlNode>>& roots)
{
    // The end of the file ends the tag too: a cut file must not read empty names forever.
    while (!m_eof) {
        std::string name = ReadToken(true);
        if (name == "/>")
            return;
        if (name == ">") {
            if (depth + 1 >= kMaxDepth) {
                LogError("XmlParser::ParseNode: elements nested deeper than %d; the rest of the file is ignored\n",
                         kMaxDepth);
                m_eof = true;
                return;
            }
            ParseNode(&node, depth + 1, roots);
            return;
        }
        if (name.empty() && m_eof)
            return;
        ReadToken(true);  // taken as the '=', whatever it is
        std::string value = ReadToken(true);
        MapBrackets(value);
        node.attributes.push_back(std::make_unique<XmlAttribute>(std::move(name), std::move(value)));
    }
}

void XmlParser::CloseElement(const XmlNode* parent)
{
    const std::string name = ReadToken(false);
    if (!parent || name != parent->name) {
        m_error = "XmlParser::ParseNode: Error in file, opening/closing tags don't match (" +
                  (parent ? parent->name : std::string()) + ", " + name + ")\n";
        return;
    }
    while (!m_eof && ReadToken(true) != ">") {
    }
}

bool XmlParser::NextLine()
{
    char buffer[kLineBufferSize];
    do {
        if (m_eof || !m_file->ReadLine(buffer, sizeof buffer)) {
            m_eof = true;
            m_line.clear();
            m_pos = 0;
            return false;
        }
        m_line = buffer;
        TrimLine(m_line);
    } while (m_line.empty());
    m_pos = 0;
    return true;
}

bool XmlParser::SkipComment()
{
    m_pos += 4;
    for (;;) {
        const size_t end = m_line.find("-->", m_pos);
        if (end != std::string::npos) {
            m_pos = end + 3;
            return true;
        }
        if (!NextLine())
            return false;
    }
}

std::string XmlParser::ReadToken(bool skipBlanks)
{
    enum { kNothing, kWord, kBlanks } progress = kNothing;
    std::string token;
    char quote = 0;
    for (;;) {
        if (m_pos >= m_line.size()) {
            // A line break ends a word or a run of blanks, but not a quotation.
            if (!quote && progress != kNothing)
                return token;
            if (!NextLine())
                return token;
        }
        const char c = m_line[m_pos];
        const char next = m_pos + 1 < m_line.size() ? m_line[m_pos + 1] : '\0';
        if (quote) {
            ++m_pos;
            if (c == quote)
                return token;
            token += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            ++m_pos;
            continue;
        }
        const bool symbol = c == '<' || c == '>' || c == '=' || (c == '/' && next == '>');
        if (symbol) {
            if (progress != kNothing)
                return token;
            if (c == '<' && m_line.compare(m_pos, 4, "<!--") == 0) {
                if (!SkipComment())
                    return token;
                continue;
            }
            const size_t length = (c == '<' && next == '/') || c == '/' ? 2 : 1;
            token = m_line.substr(m_pos, length);
            m_pos += length;
            return token;
        }
        if (IsBlank(c)) {
            if (progress == kWord)
                return token;
            ++m_pos;
            if (!skipBlanks) {
                token += c;
                progress = kBlanks;
            }
            continue;
        }
        if (progress == kBlanks)
            return token;
        token += c;
        progress = kWord;
        ++m_pos;
    }
}
