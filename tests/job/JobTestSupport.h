#pragma once
// A configuration folder of its own for every test: the shipped paper catalogue and profile in a
// fresh temporary folder, with the string table read from the resource sources.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "Configuration.h"
#include "Dialogs.h"
#include "SpxDoc.h"

namespace spx::test {

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

class JobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/spxjobtest.XXXXXX";
        folder = ::mkdtemp(pattern);
        namespace fs = std::filesystem;
        fs::copy_file(SPX_CONFIG_DIR "/papers.ini", folder + "/papers.ini");
        fs::copy_file(SPX_CONFIG_DIR "/spxl.ini", folder + "/spxl.ini");
        config.folder = folder;
        std::string error;
        ASSERT_TRUE(config.strings.loadFromFolder(SPX_RESOURCE_DIR "/strings", error)) << error;
    }
    void TearDown() override
    {
        doc.reset();
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(folder);
    }
    CSpxDoc& newDocument()
    {
        doc = std::make_unique<CSpxDoc>(config, dialogs);
        EXPECT_TRUE(doc->OnNewDocument());
        return *doc;
    }
    std::string path(const std::string& name) const { return folder + "/" + name; }
    static std::string golden(const std::string& name) { return std::string(SPX_TEST_DATA_DIR) + "/jobs/" + name; }

    std::string folder;
    Configuration config;
    ScriptedDialogs dialogs;
    std::unique_ptr<CSpxDoc> doc;
};

} // namespace spx::test
