#pragma once
// Helpers of the send tests: a private temporary folder, files with given bytes, and a job whose
// header generator writes a short, recognisable header.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "SendLoop.h"

namespace spx::test {

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::set<std::string> folderEntries(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored))
        names.insert(entry.path().string());
    return names;
}

// Every byte value, `rounds` times.
inline std::string everyByte(int rounds = 1)
{
    std::string bytes;
    for (int r = 0; r < rounds; ++r)
        for (int b = 0; b < 256; ++b)
            bytes += static_cast<char>(b);
    return bytes;
}

// A folder of its own for the test's files and a second one that is the temporary folder
// ($TMPDIR) while the test runs; both go at the end.
class TestFolders {
public:
    TestFolders()
    {
        std::string base = std::filesystem::temp_directory_path().string() + "/spx-send-test-XXXXXX";
        std::vector<char> name(base.begin(), base.end());
        name.push_back('\0');
        root = ::mkdtemp(name.data());
        files = root + "/files";
        temp = root + "/tmp";
        std::filesystem::create_directories(files);
        std::filesystem::create_directories(temp);
        if (const char* old = std::getenv("TMPDIR"))
            oldTmp_ = old, hadTmp_ = true;
        ::setenv("TMPDIR", temp.c_str(), 1);
    }
    ~TestFolders()
    {
        if (hadTmp_)
            ::setenv("TMPDIR", oldTmp_.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        std::error_code ignored;
        std::filesystem::permissions(temp, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(root, ignored);
    }
    std::string file(const std::string& name, const std::string& bytes) const
    {
        std::string path = files + "/" + name;
        writeFile(path, bytes);
        return path;
    }
    std::set<std::string> tempEntries() const { return folderEntries(temp); }

    std::string root, files, temp;

private:
    std::string oldTmp_;
    bool hadTmp_ = false;
};

// A job for the send loop whose header names the file and the languages it was made for.
class SimpleJob : public SendJobSource {
public:
    int printer = 0;
    int file = 0;
    int settingsMode = 0;
    int result = 0;                                 // what generate returns
    int failAtCall = -1;                            // generate returns `failResult` at this call
    int failResult = 4;
    bool writeNothing = false;                      // returns 0 without a staging file
    std::function<void(int call)> beforeFile;       // runs in storePages
    int storeCount = 0;
    int refreshCount = 0;
    struct Call { std::string printFile, stagingPath; int fileLanguage; };
    std::vector<Call> calls;

    static std::string headerFor(const std::string& printFile, int printer, int file)
    {
        std::string name = printFile.substr(printFile.find_last_of('/') + 1);
        return "\x04HEADER printer=" + std::to_string(printer) + " file=" + std::to_string(file) + " name=" + name + "\n";
    }

    void storePages() override
    {
        if (beforeFile)
            beforeFile(storeCount);
        ++storeCount;
    }
    int printerLanguage() const override { return printer; }
    int fileLanguage() const override { return file; }
    void setFileLanguage(int language) override { file = language; }
    void refreshSheet() override { ++refreshCount; }
    int generate(const std::string& printFile, const std::string& stagingPath, int fileLanguage) override
    {
        calls.push_back({printFile, stagingPath, fileLanguage});
        if (static_cast<int>(calls.size()) - 1 == failAtCall) {
            writeFile(stagingPath, "partial");   // a failed generation may leave a file behind
            return failResult;
        }
        if (settingsMode == kSettingsModeNoHeader || writeNothing)
            return 0;
        writeFile(stagingPath, headerFor(printFile, printer, fileLanguage));
        return 0;
    }
};

} // namespace spx::test
