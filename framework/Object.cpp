#include "framework/Object.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

Object::~Object() = default;

void Object::Serialize(Serializer&, const char*) {}

void Object::SetName(const char* name)
{
    if (name) {
        m_name = name;
        m_hasName = true;
    } else {
        m_name.clear();
        m_hasName = false;
    }
}

namespace {

// "ns::Outer::Inner<ns::T>" -> "Inner<ns::T>": only qualifiers outside template
// arguments are dropped.
std::string StripQualifiers(const std::string& name)
{
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i + 1 < name.size(); ++i) {
        char c = name[i];
        if (c == '<')
            ++depth;
        else if (c == '>')
            --depth;
        else if (depth == 0 && c == ':' && name[i + 1] == ':')
            start = i + 2;
    }
    return name.substr(start);
}

}  // namespace

std::string ClassNameOf(const Object& object)
{
    const char* mangled = typeid(object).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = (status == 0 && demangled) ? demangled : mangled;
    std::free(demangled);
    return StripQualifiers(name);
}
