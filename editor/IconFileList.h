#pragma once

#include <string>
#include <vector>

// The files that match a wildcard such as "data\icons\*.bmp": the name part may hold "*"
// and "?" and matches without regard to case; names come sorted. Folders are left out.
class IconFileList {
public:
    // Replaces the list; a folder that does not exist or cannot be read gives an empty list.
    void Fill(const std::string& wildcard);

    size_t Count() const { return m_names.size(); }
    // Valid for i below Count.
    const std::string& GetName(size_t i) const { return m_names[i]; }
    // The wildcard's folder as given (up to and including its last "\" or "/") and the name.
    std::string GetPath(size_t i) const { return m_directory + m_names[i]; }
    const std::string& GetDirectory() const { return m_directory; }

private:
    std::string m_directory;
    std::vector<std::string> m_names;
};
