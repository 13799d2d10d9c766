#include "Configuration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace spx {

std::string executableFolder()
{
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    std::string path(buffer, size_t(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || (!name.empty() && name[0] == '/'))
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Configuration::load(const std::string& configFolder, std::string& error)
{
    folder = configFolder.empty() ? executableFolder() : configFolder;
    const std::string bundlePath = joinPath(folder, kResourceBundleName);
    // The bundle holds the texts, so these messages cannot come from it.
    if (!fileExists(bundlePath)) {
        error = missingBundleMessage(kResourceBundleName);
        return false;
    }
    std::string detail;
    if (!bundle.open(bundlePath, detail) || !strings.loadFromBundle(bundle, detail)) {
        error = damagedBundleMessage(kResourceBundleName, {detail});
        return false;
    }
    return true;
}

} // namespace spx
