#include "Configuration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#ifndef SPX_DATA_FROM_BIN
#define SPX_DATA_FROM_BIN "../share/spxl"
#endif

namespace spx {

const char* installedDataFolder() { return SPX_DATA_FROM_BIN; }

namespace {
std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string userConfigFolder()
{
    std::string base = environmentValue("XDG_CONFIG_HOME");
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
    if (base.empty() || base[0] != '/') {
        const std::string home = environmentValue("HOME");
        if (home.empty())
            return {};
        base = joinPath(home, ".config");
    }
    return joinPath(base, "spxl");
}
} // namespace

std::string executableFolder()
{
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    return parentFolder(std::string(buffer, size_t(n)));
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || (!name.empty() && name[0] == '/'))
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string parentFolder(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : trimmed.substr(0, slash);
}

std::string resolveRelative(const std::string& folder, const std::string& relativePath)
{
    std::string relative = relativePath;
    std::string base = folder;
    while (relative.rfind("../", 0) == 0 || relative == "..") {
        base = parentFolder(base);
        relative.erase(0, std::min<size_t>(3, relative.size()));
    }
    return relative.empty() ? base : joinPath(base, relative);
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeFolders(const std::string& folder)
{
    if (folder.empty() || folderExists(folder))
        return !folder.empty();
    const std::string parent = parentFolder(folder);
    if (parent != folder && !folderExists(parent) && !makeFolders(parent))
        return false;
    return ::mkdir(folder.c_str(), 0755) == 0 || (errno == EEXIST && folderExists(folder));
}

std::string folderWriteProblem(const std::string& folder)
{
    if (!folderExists(folder))
        return std::strerror(ENOENT);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return std::strerror(errno);
    return {};
}

FolderSources FolderSources::current(const std::string& requested)
{
    FolderSources sources;
    sources.requested = requested;
    sources.environment = environmentValue(kConfigFolderVariable);
    sources.executableFolder = spx::executableFolder();
    sources.userFolder = userConfigFolder();
    return sources;
}

ProgramFolders locateProgramFolders(const FolderSources& sources)
{
    if (!sources.requested.empty())
        return {sources.requested, sources.requested, sources.userFolder};
    ProgramFolders folders;
    // An installed executable lies in PREFIX/bin and its bundle in PREFIX/share/spxl; in a build
    // tree the bundle lies beside the executable. Without either the start-up message names
    // the bundle missing beside the executable.
    const std::string& exe = sources.executableFolder;
    const std::string installed = resolveRelative(exe, installedDataFolder());
    const bool besideExecutable = fileExists(joinPath(exe, kResourceBundleName));
    folders.data = !besideExecutable && fileExists(joinPath(installed, kResourceBundleName)) ? installed : exe;

    if (!sources.environment.empty())
        folders.config = sources.environment;
    else if (!sources.systemFolder.empty() && folderExists(sources.systemFolder))
        folders.config = sources.systemFolder;
    else
        folders.config = folders.data;
    folders.user = sources.userFolder;
    return folders;
}

bool Configuration::load(const std::string& requestedFolder, std::string& error)
{
    return load(locateProgramFolders(FolderSources::current(requestedFolder)), error);
}

bool Configuration::load(const ProgramFolders& folders, std::string& error)
{
    folder = folders.config;
    dataFolder = folders.data;
    userFolder = folders.user;
    // The bundle holds the texts, so these messages cannot come from it.
    if (!fileExists(bundlePath())) {
        error = missingBundleMessage(kResourceBundleName);
        return false;
    }
    std::string detail;
    if (!bundle.open(bundlePath(), detail) || !strings.loadFromBundle(bundle, detail)) {
        error = damagedBundleMessage(kResourceBundleName, {detail});
        return false;
    }
    return true;
}

std::string Configuration::configFolderWriteMessage() const
{
    const std::string problem = folderWriteProblem(folder);
    if (problem.empty())
        return {};
    return strings.text(IdsConfigFolderNotWritable) + "\n" + folder + "\n(" + problem + ")";
}

std::string Configuration::userProfilePath() const
{
    if (userFolder.empty() || folderWriteProblem(folder).empty())
        return profilePath();
    return joinPath(userFolder, strings.text(IdsProfileFile));
}

} // namespace spx
