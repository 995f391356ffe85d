#include "audio/SampleLoader.h"

#include "framework/FileSystem.h"
#include "framework/StringUtil.h"

#include <new>

Factory<SampleLoader>& SampleLoaderRegistry::Get()
{
    static Factory<SampleLoader> registry;
    return registry;
}

Factory<SampleStream>& SampleStreamRegistry::Get()
{
    static Factory<SampleStream> registry;
    return registry;
}

namespace sample_detail {

bool HasExtensionAndExists(const std::string& name, const char* extension, const std::string& prefix)
{
    if (name.find('.') == std::string::npos)
        return FileSystem::Instance()->FileExists((prefix + name + "." + extension).c_str());
    std::string tail = StringUtil::Right(name, 3);
    StringUtil::ToUpper(tail);
    return tail == extension && FileSystem::Instance()->FileExists((prefix + name).c_str());
}

std::string WithDefaultExtension(const std::string& name, const char* extension)
{
    return name.find('.') == std::string::npos ? name + "." + extension : name;
}

bool ReadWholeFile(const std::string& name, std::vector<uint8_t>& out)
{
    out.clear();
    const int64_t length = FileUtil::FileLength(name.c_str());
    if (length <= 0)
        return false;
    File* file = FileSystem::Instance()->OpenReadBinary(name.c_str());
    if (!file)
        return false;
    try {
        out.resize(size_t(length));
    } catch (const std::bad_alloc&) {
        FileSystem::Instance()->Close(file);
        LogError("not enough memory\n");
        return false;
    }
    // A file shorter than its listed size keeps only what could be read.
    out.resize(file->Read(out.data(), out.size()));
    FileSystem::Instance()->Close(file);
    return !out.empty();
}

}  // namespace sample_detail
