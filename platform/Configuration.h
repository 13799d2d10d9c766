#pragma once
// Where the program's files are: the program folder (the folder of the running executable) or a
// folder given with --config, and the names of the files in it, which come from the string table.

#include <string>

#include "ResourceBundle.h"
#include "StringTable.h"

namespace spx {

// String ids of the configuration file names.
enum ConfigStringId {
    IdsProfileFile = 114,
    IdsPaperDefinitionsFile = 94,
    IdsItemDisablingFile = 389,
    IdsHelpFile = 1161,
};

inline constexpr const char* kResourceBundleName = "spxlres.rcc";

std::string executableFolder();
std::string joinPath(const std::string& folder, const std::string& name);
bool fileExists(const std::string& path);

struct Configuration {
    std::string folder;          // where the files below are looked up
    ResourceBundle bundle;
    StringTable strings;

    // Opens the bundle of `folder` and loads its string table. On failure `error` holds the
    // message the program shows ("Missing file: spxlres.rcc" for a missing bundle).
    bool load(const std::string& configFolder, std::string& error);

    std::string profilePath() const { return joinPath(folder, strings.text(IdsProfileFile)); }
    std::string paperDefinitionsPath() const { return joinPath(folder, strings.text(IdsPaperDefinitionsFile)); }
    std::string itemDisablingPath() const { return joinPath(folder, strings.text(IdsItemDisablingFile)); }
    std::string helpPath() const { return joinPath(folder, strings.text(IdsHelpFile)); }
};

} // namespace spx
