#pragma once
// Where the program's files are, and the names of the files, which come from the string table.
//
// Two folders:
//  - the data folder holds the read-only files (the resource bundle, the help file): the folder of
//    the running executable in a build tree, PREFIX/share/spxl once installed with the executable
//    in PREFIX/bin;
//  - the configuration folder holds the files an administrator edits (the profile, the paper
//    catalogue, the item-disabling rules): $SPXL_CONFIG_DIR, else /etc/spxl when it exists, else
//    the data folder (so a build tree and an unconfigured installation keep working).
// A folder given with --config holds all of them.

#include <string>

#include "ResourceBundle.h"
#include "StringTable.h"

namespace spx {

// String ids of the configuration file names and of the configuration messages.
enum ConfigStringId {
    IdsProfileFile = 114,
    IdsPaperDefinitionsFile = 94,
    IdsItemDisablingFile = 389,
    IdsHelpFile = 1161,
    IdsConfigFolderNotWritable = 61442,
};

inline constexpr const char* kResourceBundleName = "spxlres.rcc";
inline constexpr const char* kConfigFolderVariable = "SPXL_CONFIG_DIR";
inline constexpr const char* kSystemConfigFolder = "/etc/spxl";
// The data folder of an installation relative to the folder of its executables, as the
// install rules place them ("../share/spxl").
const char* installedDataFolder();

std::string executableFolder();
std::string joinPath(const std::string& folder, const std::string& name);
std::string parentFolder(const std::string& path);
// `relative` (which may begin with "../" steps) taken from `folder`, without the "..".
std::string resolveRelative(const std::string& folder, const std::string& relative);
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
// Creates `folder` and its missing parents (mode 0755 less the umask). False when it cannot.
bool makeFolders(const std::string& folder);
// Why new files cannot be written in `folder`: empty when they can, else the system's reason.
std::string folderWriteProblem(const std::string& folder);

// What decides where the files are; `current` reads it from the process and its environment.
struct FolderSources {
    std::string requested;          // --config DIR; empty when none was given
    std::string environment;        // $SPXL_CONFIG_DIR; empty when unset
    std::string systemFolder = kSystemConfigFolder;
    std::string executableFolder;
    std::string userFolder;         // $XDG_CONFIG_HOME/spxl, else $HOME/.config/spxl

    static FolderSources current(const std::string& requested);
};

struct ProgramFolders {
    std::string data;     // the resource bundle and the help file
    std::string config;   // the profile, the paper catalogue, the item-disabling rules
    std::string user;     // the operator's own settings when the configuration folder is shared
};

ProgramFolders locateProgramFolders(const FolderSources& sources);

struct Configuration {
    std::string folder;          // the configuration folder
    std::string dataFolder;      // empty: the same as `folder`
    std::string userFolder;      // empty: none
    ResourceBundle bundle;
    StringTable strings;

    // Finds the folders (`requestedFolder` empty: by the rule above), opens the bundle and loads
    // its string table. On failure `error` holds the message the program shows ("Missing file:
    // spxlres.rcc" for a missing bundle).
    bool load(const std::string& requestedFolder, std::string& error);
    bool load(const ProgramFolders& folders, std::string& error);

    const std::string& readOnlyFolder() const { return dataFolder.empty() ? folder : dataFolder; }
    std::string bundlePath() const { return joinPath(readOnlyFolder(), kResourceBundleName); }
    std::string helpPath() const { return joinPath(readOnlyFolder(), strings.text(IdsHelpFile)); }
    std::string profilePath() const { return joinPath(folder, strings.text(IdsProfileFile)); }
    std::string paperDefinitionsPath() const { return joinPath(folder, strings.text(IdsPaperDefinitionsFile)); }
    std::string itemDisablingPath() const { return joinPath(folder, strings.text(IdsItemDisablingFile)); }

    // The message for a save into the configuration folder that cannot be written, naming the
    // folder and the reason; empty when the folder can be written.
    std::string configFolderWriteMessage() const;
    // The profile that keeps the operator's own settings (the recent job files): the program's
    // profile while the configuration folder can be written, else one in the user folder.
    std::string userProfilePath() const;
};

} // namespace spx
