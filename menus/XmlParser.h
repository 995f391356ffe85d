#pragma once

#include <memory>
#include <string>
#include <vector>

class File;

// One name and value; names may repeat on an element, and lookups find the first.
class XmlAttribute {
public:
    XmlAttribute(std::string name_, std::string value_) : name(std::move(name_)), value(std::move(value_)) {}
    void SetValue(const char* text) { value = text ? text : ""; }

    std::string name;
    std::string value;
};

// One element. Deleting it deletes its whole subtree.
class XmlNode {
public:
    explicit XmlNode(std::string name_) : name(std::move(name_)) {}

    // The first attribute of exactly that name (case matters), or null.
    XmlAttribute* FindAttribute(const char* attributeName);
    const XmlAttribute* FindAttribute(const char* attributeName) const;
    bool HasAttribute(const char* attributeName) const { return FindAttribute(attributeName) != nullptr; }
    // The first such attribute's value; a shared empty string when there is none.
    const std::string& GetAttribute(const char* attributeName) const;
    void SetText(const char* value) { text = value ? value : ""; }

    std::string name;
    std::vector<std::unique_ptr<XmlNode>> children;  // in document order
    std::vector<std::unique_ptr<XmlAttribute>> attributes;
    std::string text;  // character data, words and kept blanks joined
};

// Reads the small XML of menu screens: elements, attributes, comments and character data.
// Attribute values map '[' and ']' to '<' and '>' so that they can carry text mark-up.
class XmlParser {
public:
    // Longest line read at once; a longer one is split there.
    static constexpr size_t kLineBufferSize = 16384;
    // Deeper elements, and the rest of the file, are dropped (logged).
    static constexpr int kMaxDepth = 256;

    // The last element opened at the top level of the file (a screen has one), or null when
    // the file holds none. The caller owns the tree; the file stays open. A closing tag that
    // does not match its element ends the program with its message.
    std::unique_ptr<XmlNode> Parse(File* file);
    // The same, except that a mismatched closing tag returns null with the message in error
    // (the tree read so far is dropped).
    std::unique_ptr<XmlNode> TryParse(File* file, std::string& error);

private:
    // Reads the parent's content up to its closing tag (the whole file for null); returns
    // the last element opened at that level. Top-level elements go to roots.
    XmlNode* ParseNode(XmlNode* parent, int depth, std::vector<std::unique_ptr<XmlNode>>& roots);
    void ParseAttributes(XmlNode& node, int depth, std::vector<std::unique_ptr<XmlNode>>& roots);
    // A mismatch leaves its message in m_error.
    void CloseElement(const XmlNode* parent);
    std::string ReadToken(bool skipBlanks);
    // False at the end of the file (which then sets eof).
    bool NextLine();
    bool SkipComment();

    File* m_file = nullptr;
    std::string m_line;
    size_t m_pos = 0;
    bool m_eof = false;
    std::string m_error;
};
