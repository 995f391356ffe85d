#include "audio/SampleLoader.h"

#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/StringUtil.h"
#include "platform/Sound.h"

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

bool IsPlayableFormat(int rate, int channels, int bits, const char* who, const std::string& name)
{
    if (bits != 8 && bits != 16) {
        LogError("%s: <%s> has %d-bit samples; only 8- and 16-bit sound can be played\n", who, name.c_str(), bits);
        return false;
    }
    if (channels != 1 && channels != 2) {
        LogError("%s: <%s> has %d channels; only mono and stereo sound can be played\n", who, name.c_str(), channels);
        return false;
    }
    if (rate < platform::kSoundFrequencyMin || rate > platform::kSoundFrequencyMax) {
        LogError("%s: <%s> has a rate of %d Hz; only %d to %d Hz can be played\n", who, name.c_str(), rate,
                 platform::kSoundFrequencyMin, platform::kSoundFrequencyMax);
        return false;
    }
    return true;
}

}  // namespace sample_detail
