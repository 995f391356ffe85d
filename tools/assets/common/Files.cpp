#include "tools/assets/common/Files.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Cast.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace assets {

namespace {

template <typename Write>
bool WriteStream(const std::string& path, Write write)
{
    if (!MakeParentDirs(path))
        return false;
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamWrite, path.c_str());
    if (!stream) {
        std::fprintf(stderr, "tbasset: cannot open %s\n", path.c_str());
        return false;
    }
    const bool ok = write(stream);
    const bool closed = RwStreamClose(stream, nullptr);
    if (!ok || !closed)
        std::fprintf(stderr, "tbasset: writing %s failed\n", path.c_str());
    NoteWritten(path);
    return ok && closed;
}

}  // namespace

bool MakeParentDirs(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty())
        return true;
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec) {
        std::fprintf(stderr, "tbasset: cannot make %s: %s\n", parent.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool WriteClumpFile(const RpClump* clump, const std::string& path)
{
    return WriteStream(path, [&](RwStream* s) { return RpClumpStreamWrite(clump, s) != nullptr; });
}

bool WriteWorldFile(const RpWorld* world, const std::string& path)
{
    return WriteStream(path, [&](RwStream* s) { return RpWorldStreamWrite(world, s) != nullptr; });
}

bool WriteAnimationFile(const RtAnimAnimation* animation, const std::string& path)
{
    if (!MakeParentDirs(path))
        return false;
    NoteWritten(path);
    if (!RtAnimAnimationWrite(animation, path.c_str())) {
        std::fprintf(stderr, "tbasset: writing %s failed\n", path.c_str());
        return false;
    }
    return true;
}

bool WriteTexDictionaryFile(const RwTexDictionary* dict, const std::string& path)
{
    return WriteStream(path, [&](RwStream* s) { return RwTexDictionaryStreamWrite(dict, s) != nullptr; });
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    if (!MakeParentDirs(path))
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "tbasset: cannot write %s\n", path.c_str());
        return false;
    }
    NoteWritten(path);
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

bool WriteCastFile(Cast& cast, const std::string& path)
{
    if (!MakeParentDirs(path) || !SaveSettings(&cast, path.c_str())) {
        std::fprintf(stderr, "tbasset: could not write %s\n", path.c_str());
        return false;
    }
    NoteWritten(path);
    return true;
}

namespace {
std::vector<std::string>& Written()
{
    static std::vector<std::string> files;
    return files;
}
}  // namespace

void NoteWritten(const std::string& path)
{
    Written().push_back(path);
}

const std::vector<std::string>& WrittenFiles()
{
    return Written();
}

}  // namespace assets
