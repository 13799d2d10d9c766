// Where the program finds its files: the data folder of a build tree or an installation, the
// configuration folder from --config, $SPXL_CONFIG_DIR, /etc/spxl or the data folder, and the
// message when the configuration folder cannot be written.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Configuration.h"

using namespace spx;
namespace fs = std::filesystem;

namespace {

class FolderRuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/spx-config-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override
    {
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add);
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_directory())
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
    }
    std::string make(const std::string& relative)
    {
        const std::string path = root + "/" + relative;
        fs::create_directories(path);
        return path;
    }
    void touch(const std::string& path) { std::ofstream(path) << "x"; }

    // A build tree: bin/ holds the executable and its bundle. An installation: prefix/bin holds
    // the executable and prefix/share/spxl the bundle.
    FolderSources buildTree()
    {
        FolderSources s;
        s.executableFolder = make("build/bin");
        touch(s.executableFolder + "/spxlres.rcc");
        s.systemFolder = root + "/etc/spxl";   // absent unless a test makes it
        s.userFolder = root + "/home/.config/spxl";
        return s;
    }
    FolderSources installation()
    {
        FolderSources s;
        s.executableFolder = make("prefix/bin");
        touch(make("prefix/share/spxl") + "/spxlres.rcc");
        s.systemFolder = root + "/etc/spxl";
        s.userFolder = root + "/home/.config/spxl";
        return s;
    }

    std::string root;
};

TEST_F(FolderRuleTest, ABuildTreeKeepsEveryFileBesideTheExecutable)
{
    const FolderSources s = buildTree();
    const ProgramFolders f = locateProgramFolders(s);
    EXPECT_EQ(f.data, s.executableFolder);
    EXPECT_EQ(f.config, s.executableFolder);
}

TEST_F(FolderRuleTest, AnInstallationReadsItsFilesFromShareAndItsConfigurationFromTheFirstFolderThatApplies)
{
    FolderSources s = installation();
    const std::string share = root + "/prefix/share/spxl";
    ProgramFolders f = locateProgramFolders(s);
    EXPECT_EQ(f.data, share);
    EXPECT_EQ(f.config, share);   // nothing configured: the installed defaults

    const std::string system = make("etc/spxl");
    f = locateProgramFolders(s);
    EXPECT_EQ(f.config, system);
    EXPECT_EQ(f.data, share);     // the bundle and the help stay where they were installed

    s.environment = make("operator/config");
    f = locateProgramFolders(s);
    EXPECT_EQ(f.config, s.environment);   // the variable comes before /etc/spxl
    EXPECT_EQ(f.data, share);

    s.requested = make("trial");
    f = locateProgramFolders(s);
    EXPECT_EQ(f.config, s.requested);     // --config holds every file, the bundle too
    EXPECT_EQ(f.data, s.requested);
}

TEST_F(FolderRuleTest, SystemFolderCountsOnlyWhenItIsAFolder)
{
    FolderSources s = buildTree();
    make("etc");
    touch(s.systemFolder);   // a file named like the folder
    EXPECT_EQ(locateProgramFolders(s).config, s.executableFolder);
    s.systemFolder.clear();
    EXPECT_EQ(locateProgramFolders(s).config, s.executableFolder);
}

TEST_F(FolderRuleTest, ABundleBesideTheExecutableWinsAndNoBundleAnywhereNamesTheExecutableFolder)
{
    FolderSources s = installation();
    touch(s.executableFolder + "/spxlres.rcc");
    EXPECT_EQ(locateProgramFolders(s).data, s.executableFolder);

    fs::remove(s.executableFolder + "/spxlres.rcc");
    fs::remove(root + "/prefix/share/spxl/spxlres.rcc");
    // The start-up message then names the bundle missing beside the executable.
    EXPECT_EQ(locateProgramFolders(s).data, s.executableFolder);
}

TEST_F(FolderRuleTest, ParentFolders)
{
    EXPECT_EQ(parentFolder("/usr/bin"), "/usr");
    EXPECT_EQ(parentFolder("/usr/bin/"), "/usr");
    EXPECT_EQ(parentFolder("/bin"), "/");
    EXPECT_EQ(parentFolder("/"), "/");
    EXPECT_EQ(parentFolder("bin"), ".");
    EXPECT_EQ(resolveRelative("/usr/bin", "../share/spxl"), "/usr/share/spxl");
    EXPECT_EQ(resolveRelative("/bin", "../share/spxl"), "/share/spxl");   // not "//share/spxl"
    EXPECT_EQ(resolveRelative("/opt/spxl/bin", "../../share/spxl"), "/opt/share/spxl");
    EXPECT_EQ(resolveRelative("/opt/spxl", "data"), "/opt/spxl/data");
    EXPECT_EQ(resolveRelative("/opt/spxl", ".."), "/opt");
}

TEST_F(FolderRuleTest, AFolderThatCannotBeWrittenIsReportedWithItsReason)
{
    const std::string writable = make("writable");
    EXPECT_EQ(folderWriteProblem(writable), "");
    EXPECT_NE(folderWriteProblem(root + "/missing"), "");
    touch(root + "/plain");
    EXPECT_NE(folderWriteProblem(root + "/plain"), "");          // a file, not a folder
    EXPECT_NE(folderWriteProblem(root + "/plain/below"), "");

    const std::string locked = make("locked");
    ::chmod(locked.c_str(), 0555);
    if (::geteuid() != 0) {   // the superuser writes anywhere
        EXPECT_NE(folderWriteProblem(locked), "");
    }
}

TEST_F(FolderRuleTest, MakeFoldersCreatesTheMissingParents)
{
    EXPECT_TRUE(makeFolders(root + "/a/b/c"));
    EXPECT_TRUE(folderExists(root + "/a/b/c"));
    EXPECT_TRUE(makeFolders(root + "/a/b/c"));   // already there
    touch(root + "/f");
    EXPECT_FALSE(makeFolders(root + "/f/g"));
}

// The operator's own profile: the program's profile while the configuration folder can be
// written, the one in the user folder when it cannot.
TEST_F(FolderRuleTest, OperatorSettingsGoWhereTheyCanBeSaved)
{
    Configuration config;
    config.strings.set(IdsProfileFile, "spxl.ini");
    config.strings.set(IdsConfigFolderNotWritable, "Cannot save in the configuration folder:");
    config.folder = make("shared");
    config.userFolder = root + "/home/.config/spxl";
    EXPECT_EQ(config.userProfilePath(), config.folder + "/spxl.ini");
    EXPECT_EQ(config.configFolderWriteMessage(), "");

    config.folder = root + "/gone";
    EXPECT_EQ(config.userProfilePath(), root + "/home/.config/spxl/spxl.ini");
    const std::string message = config.configFolderWriteMessage();
    EXPECT_EQ(message.rfind("Cannot save in the configuration folder:\n" + root + "/gone\n(", 0), 0u) << message;

    config.userFolder.clear();   // no home: the program's profile, whose save then reports
    EXPECT_EQ(config.userProfilePath(), root + "/gone/spxl.ini");
}

TEST_F(FolderRuleTest, TheEnvironmentNamesTheConfigurationAndTheUserFolder)
{
    ::setenv("SPXL_CONFIG_DIR", "/srv/print/config", 1);
    ::setenv("XDG_CONFIG_HOME", "/home/op/.cfg", 1);
    ::setenv("HOME", "/home/op", 1);
    FolderSources s = FolderSources::current("");
    EXPECT_EQ(s.environment, "/srv/print/config");
    EXPECT_EQ(s.userFolder, "/home/op/.cfg/spxl");
    EXPECT_EQ(s.systemFolder, "/etc/spxl");
    EXPECT_EQ(s.executableFolder, parentFolder(fs::read_symlink("/proc/self/exe").string()));

    ::setenv("XDG_CONFIG_HOME", "relative", 1);   // only an absolute one counts
    EXPECT_EQ(FolderSources::current("").userFolder, "/home/op/.config/spxl");
    ::unsetenv("SPXL_CONFIG_DIR");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(FolderSources::current("dir").environment, "");
    EXPECT_EQ(FolderSources::current("dir").requested, "dir");
}

TEST_F(FolderRuleTest, LoadOpensTheBundleOfTheDataFolderAndNamesTheFilesOfTheConfigurationFolder)
{
    const std::string built = SPX_BIN_DIR "/spxlres.rcc";
    if (!fileExists(built))
        GTEST_SKIP() << "no resource bundle in this build";
    const std::string share = make("prefix/share/spxl");
    fs::copy_file(built, share + "/spxlres.rcc");
    const std::string etc = make("etc/spxl");

    Configuration config;
    std::string error;
    ASSERT_TRUE(config.load(ProgramFolders{share, etc, ""}, error)) << error;
    EXPECT_EQ(config.bundlePath(), share + "/spxlres.rcc");
    EXPECT_EQ(config.helpPath(), share + "/spxl-help.html");
    EXPECT_EQ(config.profilePath(), etc + "/spxl.ini");
    EXPECT_EQ(config.paperDefinitionsPath(), etc + "/papers.ini");
    EXPECT_EQ(config.itemDisablingPath(), etc + "/itemdisable.txt");

    Configuration empty;
    EXPECT_FALSE(empty.load(ProgramFolders{etc, etc, ""}, error));
    EXPECT_EQ(error, "Missing file: spxlres.rcc");
}

} // namespace
