// tbpack: builds, lists and unpacks the data archive.
//   tbpack <out.dat> <root dir>          packs every file under the folder
//   tbpack --list <dat>                  names, sizes and kinds of the entries
//   tbpack --extract <dat> <name> <out>  writes one entry, unscrambled
#include "framework/Archive.h"
#include "framework/FileSystem.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: tbpack <out.dat> <root dir>\n"
                 "       tbpack --list <dat>\n"
                 "       tbpack --extract <dat> <name> <outfile>\n");
    return 2;
}

std::unique_ptr<Archive> Mount(const char* name)
{
    std::string error;
    std::unique_ptr<Archive> archive =
        Archive::Open(FileSystem::Instance()->ResolveDiskPath(name), false, error);
    if (!archive)
        std::fprintf(stderr, "tbpack: %s: %s\n", name, error.c_str());
    return archive;
}

int List(const char* name)
{
    std::unique_ptr<Archive> archive = Mount(name);
    if (!archive)
        return 1;
    for (const Archive::Entry& entry : archive->Entries())
        std::printf("%12" PRIu64 "  %s  %s\n", entry.size, (entry.flags & Archive::kTextEntry) ? "text" : "data",
                    entry.name.c_str());
    return 0;
}

int Extract(const char* name, const char* entryName, const char* outName)
{
    std::unique_ptr<Archive> archive = Mount(name);
    if (!archive)
        return 1;
    const Archive::Entry* entry = archive->Find(entryName);
    if (!entry) {
        std::fprintf(stderr, "tbpack: %s has no entry %s\n", name, entryName);
        return 1;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!archive->ReadEntry(*entry, bytes, error)) {
        std::fprintf(stderr, "tbpack: %s\n", error.c_str());
        return 1;
    }
    FileSystem* fileSystem = FileSystem::Instance();
    File* out = fileSystem->OpenWriteBinary(outName);
    if (!out) {
        std::fprintf(stderr, "tbpack: cannot create %s\n", outName);
        return 1;
    }
    out->Write(bytes.data(), bytes.size());
    if (!fileSystem->Close(out)) {
        std::fprintf(stderr, "tbpack: cannot write %s\n", outName);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--list") == 0)
        return List(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "--extract") == 0)
        return Extract(argv[2], argv[3], argv[4]);
    if (argc != 3 || argv[1][0] == '-')
        return Usage();
    std::string error;
    if (!Archive::Pack(argv[1], argv[2], error)) {
        std::fprintf(stderr, "tbpack: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
