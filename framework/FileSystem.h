#pragma once

#include "framework/File.h"
#include "framework/Singleton.h"

#include <memory>
#include <string>
#include <vector>

// The game's file layer: the data archive, path aliases and Windows-style names.
// Names use backslashes and any letter case, as the data spells them ("<PP>Menu\main.xml",
// "Data\SaveGames\user.txt"); at the operating-system boundary a backslash becomes "/" and
// each path component is matched without regard to case. Where several folders match
// ("Data" and "data"), each is looked in: the one spelt as asked first, then the others
// in byte order. The player's files, "data\SaveGames\..." and "data\log.txt" in any case,
// lie in the player folder (framework/PlayerFolder.h).
class FileSystem : public Singleton<FileSystem> {
public:
    FileSystem();
    ~FileSystem() override;

    // Mounts the data archive. A missing archive ends the program (LogFatalError); a
    // corrupt one is reported and not mounted (returns false).
    bool AddDataFile(const char* name, bool cache);
    void RemoveDataFiles();

    // Every registered alias replaced (compared without regard to case), "/" turned into
    // "\", doubled backslashes folded, and a player's file moved into the player folder.
    std::string ExpandAliases(const std::string& name) const;
    // Each registered alias folder replaced by its alias, doubled backslashes folded.
    std::string CollapseAliases(const std::string& name) const;
    void AddAlias(const char* alias, const char* folder);
    void RemoveAlias(const char* alias);
    // The folder an alias stands for, or empty.
    std::string GetAlias(const char* alias) const;

    // Reading looks in the archive first, then on disk. Modes "r", "rb", "w", "wb".
    // Writing goes to a temporary file in the same folder that Close renames into place,
    // so an interrupted write never leaves a half-written file; missing folders are made,
    // and temporaries that a crashed program left beside the target are removed.
    File* Open(const char* name, const char* mode);
    File* OpenRead(const char* name) { return Open(name, "r"); }
    File* OpenReadBinary(const char* name) { return Open(name, "rb"); }
    File* OpenWrite(const char* name) { return Open(name, "w"); }
    File* OpenWriteBinary(const char* name) { return Open(name, "wb"); }
    // Closes and deletes the file; returns the close result. Null is allowed.
    bool Close(File* file);

    // Renames a disk file over another name (aliases expanded) in one step: the old file of
    // that name goes. False (logged) when it could not be renamed; both names are then as
    // they were.
    bool Rename(const char* from, const char* to);
    // Removes a disk file; true when it is gone or was never there, false (logged) otherwise.
    bool Remove(const char* name);
    // Copies a disk file beside itself to name + "." + tag, or, where that holds other bytes,
    // to the first free name + "." + tag + "-2", "-3"...; a copy holding the same bytes already
    // serves. The copy's name, or empty (logged) when there is no file or no copy could be
    // written.
    std::string KeepCopy(const char* name, const char* tag);

    // True when the name (aliases expanded) is in the archive or on disk.
    bool FileExists(const char* name) const;
    bool ExistsOnDisk(const char* name) const;
    // Whole file into memory; false when it cannot be opened.
    bool ReadAll(const char* name, std::vector<uint8_t>& out);

    // The operating-system path for a name: aliases expanded, "\" to "/", each existing
    // component matched without regard to case. When no match exists, the components
    // that do not exist stay as spelt.
    std::string ResolveDiskPath(const std::string& name) const;
    // The path to show the player: ResolveDiskPath, absolute.
    std::string ShownPath(const std::string& name) const;

    // Size in bytes of an archive entry or disk file; -1 when there is none.
    int64_t FileSize(const char* name) const;
    // Forgets the cached listing of an operating-system folder ("." for the working
    // folder), or of every folder when none is given. The layer does this itself for what it
    // creates; changes made by others are noticed through the folder's modification time.
    void InvalidateDiskCache(const std::string& folder = std::string());

    // For tests that look at the disk between the steps of a save: called after each file the
    // layer stores, renames or removes, with its operating-system path. Null for none.
    using ChangeListener = void (*)(const std::string& path);
    static void SetChangeListener(ChangeListener listener);

private:
    struct Impl;  // aliases, archives and the cache of folder listings with its lock
    std::unique_ptr<Impl> m_impl;
};

// While one lives on this thread, a folder that files are stored in is synced once, when the
// batch ends, instead of once per file: for files replaced together whose names are known
// already (a save and its index). Each file is whole on disk before its rename either way;
// the renames are on disk once the batch has ended.
class FolderSyncBatch {
public:
    FolderSyncBatch();
    ~FolderSyncBatch();
    FolderSyncBatch(const FolderSyncBatch&) = delete;
    FolderSyncBatch& operator=(const FolderSyncBatch&) = delete;

    // For the file layer: false when no batch lives on this thread, so the caller syncs
    // the folder itself.
    static bool Defer(const std::string& folder);

private:
    std::vector<std::string> m_folders;
    FolderSyncBatch* m_outer;
};

namespace FileUtil {
// Size in bytes; 0 when the file does not exist ("FileUtil::FileLength: file not found: %s\n").
int64_t FileLength(const char* name);
}  // namespace FileUtil
