#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "Profile.h"
#include "ResourceBundle.h"
#include "StringTable.h"

using namespace spx;

namespace {

constexpr const char* kRcc = "/usr/lib/qt6/libexec/rcc";

class ResourceBundleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/spx-bundle-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

    void put(const std::string& name, const std::string& content)
    {
        const std::string path = folder + "/" + name;
        std::system(("mkdir -p \"$(dirname '" + path + "')\"").c_str());
        std::ofstream(path, std::ios::binary) << content;
    }

    // Builds a small bundle with the toolkit's resource compiler; empty when there is none.
    std::string build(int formatVersion)
    {
        if (::access(kRcc, X_OK) != 0)
            return {};
        put("src/strings/core.txt", "1 \"one\"\n2 \"two\"\n");
        put("src/strings/extra.txt", "3 \"three\"\n");
        put("src/ui/2611.ui", "<ui version=\"4.0\"/>\n");
        put("src/images/empty.png", "");
        put("src/bundle.qrc",
            "<RCC><qresource prefix=\"/\">"
            "<file>strings/core.txt</file><file>strings/extra.txt</file>"
            "<file>ui/2611.ui</file><file>images/empty.png</file>"
            "</qresource></RCC>\n");
        const std::string out = folder + "/bundle-v" + std::to_string(formatVersion) + ".rcc";
        const std::string command = "cd '" + folder + "/src' && " + kRcc + " --binary --no-compress --format-version "
                                    + std::to_string(formatVersion) + " -o '" + out + "' bundle.qrc";
        if (std::system(command.c_str()) != 0)
            return {};
        return out;
    }

    std::string folder;
};

} // namespace

TEST_F(ResourceBundleTest, ReadsFilesAndFoldersOfEveryFormatVersion)
{
    for (int version : {1, 2, 3}) {
        const std::string path = build(version);
        if (path.empty())
            GTEST_SKIP() << "no resource compiler at " << kRcc;
        ResourceBundle bundle;
        std::string error;
        ASSERT_TRUE(bundle.open(path, error)) << error;
        EXPECT_EQ(bundle.file("strings/core.txt"), std::optional<std::string>("1 \"one\"\n2 \"two\"\n"));
        EXPECT_EQ(bundle.file("/ui/2611.ui"), std::optional<std::string>("<ui version=\"4.0\"/>\n"));
        EXPECT_EQ(bundle.file("images/empty.png"), std::optional<std::string>(""));
        EXPECT_EQ(bundle.file("strings/missing.txt"), std::nullopt);
        EXPECT_EQ(bundle.file("strings"), std::nullopt) << "a folder is not a file";
        EXPECT_EQ(bundle.file("strings/core.txt/deeper"), std::nullopt);
        auto names = bundle.list("strings");
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string> {"core.txt", "extra.txt"}));
        EXPECT_TRUE(bundle.list("ui/2611.ui").empty());

        StringTable table;
        ASSERT_TRUE(table.loadFromBundle(bundle, error)) << error;
        EXPECT_EQ(table.text(3), "three");
        EXPECT_EQ(table.size(), 3u);
    }
}

TEST_F(ResourceBundleTest, RefusesJunkAndTruncatedFiles)
{
    ResourceBundle bundle;
    std::string error;
    EXPECT_FALSE(bundle.open(folder + "/missing.rcc", error));
    EXPECT_FALSE(bundle.isOpen());
    put("junk.rcc", "This is not a resource bundle at all.");
    EXPECT_FALSE(bundle.open(folder + "/junk.rcc", error));
    put("empty.rcc", "");
    EXPECT_FALSE(bundle.open(folder + "/empty.rcc", error));
    put("header.rcc", std::string("qres\0\0\0\3\xff\xff\xff\xff\0\0\0\0\0\0\0\0", 20));
    EXPECT_FALSE(bundle.open(folder + "/header.rcc", error));
    EXPECT_EQ(bundle.file("strings/core.txt"), std::nullopt);

    const std::string path = build(3);
    if (path.empty())
        GTEST_SKIP() << "no resource compiler at " << kRcc;
    std::string whole;
    ASSERT_TRUE(readWholeFile(path, whole));
    // Every cut and every damaged byte must be refused or read safely; never a crash.
    for (size_t length = 0; length < whole.size(); ++length) {
        put("cut.rcc", whole.substr(0, length));
        if (bundle.open(folder + "/cut.rcc", error)) {
            auto text = bundle.file("strings/core.txt");
            bundle.list("strings");
            if (text) {
                EXPECT_EQ(*text, "1 \"one\"\n2 \"two\"\n");
            }
        }
    }
    for (size_t at = 0; at < whole.size(); ++at) {
        std::string damaged = whole;
        damaged[at] = char(damaged[at] ^ 0xA5);
        put("damaged.rcc", damaged);
        if (bundle.open(folder + "/damaged.rcc", error)) {
            bundle.file("strings/core.txt");
            bundle.file("ui/2611.ui");
            for (const std::string& name : bundle.list("strings"))
                bundle.file("strings/" + name);
        }
    }
}
