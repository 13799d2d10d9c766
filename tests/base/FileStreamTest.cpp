#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "Archive.h"
#include "FileStream.h"

using namespace spx;

namespace {

class FileStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/spx-file-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

    std::string make(const std::string& name, const std::string& content)
    {
        std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string folder;
};

} // namespace

TEST_F(FileStreamTest, ResolvesNamesAgainstTheCurrentFolder)
{
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    CFileSpec spec;
    ASSERT_TRUE(spec.SetName("sub/job.spx"));
    EXPECT_EQ(spec.path(), std::string(cwd) + "/sub/job.spx");
    EXPECT_EQ(spec.directory(), std::string(cwd) + "/sub");
    EXPECT_EQ(spec.drive(), -1);

    ASSERT_TRUE(spec.SetName("/etc/hosts"));
    EXPECT_EQ(spec.path(), "/etc/hosts");
    EXPECT_EQ(spec.directory(), "/etc");
    ASSERT_TRUE(spec.SetName("/top"));
    EXPECT_EQ(spec.directory(), "/");

    CFileSpec sibling;
    ASSERT_TRUE(sibling.ResolveAgainst(spec, "other"));
    EXPECT_EQ(sibling.path(), "/other");
    ASSERT_TRUE(spec.SetName("/a/b/c.ps"));
    ASSERT_TRUE(sibling.ResolveAgainst(spec, "d.inc"));
    EXPECT_EQ(sibling.path(), "/a/b/d.inc");
    ASSERT_TRUE(sibling.ResolveAgainst(spec, "/abs"));
    EXPECT_EQ(sibling.path(), "/abs");

    CFileSpec empty;
    EXPECT_FALSE(sibling.Assign(empty));
    EXPECT_EQ(sibling.lastError, FileBadPath);
    ASSERT_TRUE(empty.Assign(spec));
    EXPECT_EQ(empty.path(), "/a/b/c.ps");

    ASSERT_TRUE(spec.SetName(""));
    EXPECT_EQ(spec.path(), "");
    EXPECT_EQ(spec.directory(), "");
    EXPECT_EQ(spec.drive(), -1);

    CArchive archive;
    ASSERT_TRUE(empty.StoreName(archive));
    CFileSpec loaded;
    ASSERT_TRUE(loaded.LoadName(archive));
    EXPECT_EQ(loaded.path(), "/a/b/c.ps");
    CArchive junk(std::string("\x04\x00name\xff\x7f", 8));
    EXPECT_FALSE(loaded.LoadName(junk));
}

TEST_F(FileStreamTest, CreateAndOpenReportTheirErrors)
{
    CFileStream file;
    EXPECT_FALSE(file.Open());
    EXPECT_EQ(file.lastError, FileNoName);
    EXPECT_FALSE(file.Create());
    EXPECT_EQ(file.lastError, FileNoName);

    file.SetName(folder + "/missing.txt");
    EXPECT_FALSE(file.Open());
    EXPECT_EQ(file.lastError, FileNotOpen);
    ASSERT_TRUE(file.Create());
    EXPECT_EQ(contents(folder + "/missing.txt"), "");
    EXPECT_FALSE(file.Create());
    EXPECT_EQ(file.lastError, FileExists);

    ASSERT_TRUE(file.Open());
    EXPECT_FALSE(file.Open());
    EXPECT_EQ(file.lastError, FileAlreadyOpen);
    EXPECT_FALSE(file.Create());
    EXPECT_EQ(file.lastError, FileAlreadyOpen);
    EXPECT_TRUE(file.Close());
    EXPECT_TRUE(file.Close());

    CFileStream nowhere(folder + "/no/such/folder.txt");
    EXPECT_FALSE(nowhere.Create());
    EXPECT_EQ(nowhere.lastError, FileNoName);
}

TEST_F(FileStreamTest, ShortReadsReturnTheirCountThenFailAtTheEnd)
{
    CFileStream file(make("ten.txt", "0123456789"));
    char buffer[255];
    int64_t count = 255;
    EXPECT_FALSE(file.Read(buffer, count));
    EXPECT_EQ(file.lastError, FileNotOpen);

    ASSERT_TRUE(file.Open());
    count = 255;
    ASSERT_TRUE(file.Read(buffer, count));
    EXPECT_EQ(count, 10);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    count = 255;
    EXPECT_FALSE(file.Read(buffer, count));
    EXPECT_EQ(file.lastError, FileIoError);
    EXPECT_EQ(count, 0);

    count = 4;
    EXPECT_FALSE(file.Read(nullptr, count));
    EXPECT_EQ(file.lastError, FileNullBuffer);
}

TEST_F(FileStreamTest, SeekLengthAndPosition)
{
    CFileStream file(make("seek.bin", "abcdefghij"));
    int64_t value = 0;
    EXPECT_FALSE(file.GetLength(value));
    EXPECT_EQ(file.lastError, FileNoName);
    EXPECT_FALSE(file.GetPosition(value));
    EXPECT_EQ(file.lastError, FileNoName);
    EXPECT_FALSE(file.Seek(0, FileSeekFromStart));
    EXPECT_EQ(file.lastError, FileNotOpen);

    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Seek(3, FileSeekFromStart));
    ASSERT_TRUE(file.GetLength(value));
    EXPECT_EQ(value, 10);
    ASSERT_TRUE(file.GetPosition(value));
    EXPECT_EQ(value, 3) << "GetLength puts the position back";
    ASSERT_TRUE(file.Seek(2, FileSeekFromCurrent));
    char c = 0;
    int64_t one = 1;
    ASSERT_TRUE(file.Read(&c, one));
    EXPECT_EQ(c, 'f');
    ASSERT_TRUE(file.Seek(-1, FileSeekFromEnd));
    ASSERT_TRUE(file.Read(&c, one));
    EXPECT_EQ(c, 'j');

    EXPECT_FALSE(file.Seek(-20, FileSeekFromCurrent));
    EXPECT_EQ(file.lastError, FileIoError);
    // An unknown origin fails, yet leaves no error code behind.
    EXPECT_FALSE(file.Seek(0, 4));
    EXPECT_EQ(file.lastError, FileOk);
}

TEST_F(FileStreamTest, SetLengthShortensAndGrows)
{
    const std::string path = make("length.bin", "abcdefghij");
    CFileStream file(path, FileOpenReadWriteShared);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Seek(2, FileSeekFromStart));
    ASSERT_TRUE(file.SetLength(20));
    int64_t value = 0;
    ASSERT_TRUE(file.GetLength(value));
    EXPECT_EQ(value, 20);
    ASSERT_TRUE(file.GetPosition(value));
    EXPECT_EQ(value, 2);

    ASSERT_TRUE(file.SetLength(4));
    ASSERT_TRUE(file.GetPosition(value));
    EXPECT_EQ(value, 4);
    file.Close();
    EXPECT_EQ(contents(path), "abcd");
}

TEST_F(FileStreamTest, ReadUntilStopsJustAfterTheDelimiter)
{
    std::string longLine(3000, 'x');
    const std::string path = make("lines.txt", "first\n" + longLine + "\nlast");
    CFileStream file(path);
    ASSERT_TRUE(file.Open());
    std::string buffer(5000, '\0');

    int64_t count = 5000;
    ASSERT_TRUE(file.ReadUntil(buffer.data(), count, '\n'));
    EXPECT_EQ(buffer.substr(0, size_t(count)), "first\n");
    int64_t position = 0;
    ASSERT_TRUE(file.GetPosition(position));
    EXPECT_EQ(position, 6);

    // The long line spans several 1024-byte pieces.
    count = 5000;
    ASSERT_TRUE(file.ReadUntil(buffer.data(), count, '\n'));
    EXPECT_EQ(count, 3001);
    EXPECT_EQ(buffer.substr(0, 3001), longLine + "\n");

    // A count that runs out before the delimiter stops there.
    count = 2;
    ASSERT_TRUE(file.ReadUntil(buffer.data(), count, '\n'));
    EXPECT_EQ(buffer.substr(0, 2), "la");
    count = 5000;
    ASSERT_TRUE(file.ReadUntil(buffer.data(), count, '\n'));
    EXPECT_EQ(buffer.substr(0, size_t(count)), "st");
    count = 5000;
    EXPECT_FALSE(file.ReadUntil(buffer.data(), count, '\n'));
    EXPECT_EQ(file.lastError, FileIoError);
    EXPECT_EQ(count, 0);
}

TEST_F(FileStreamTest, WritesOnlyThroughAWritableOpen)
{
    const std::string path = make("out.txt", "old contents");
    CFileStream reader(path, FileOpenRead);
    ASSERT_TRUE(reader.Open());
    int64_t count = 3;
    EXPECT_FALSE(reader.Write("new", count));
    EXPECT_EQ(reader.lastError, FileIoError);
    EXPECT_EQ(count, 0);
    reader.Close();

    CFileStream writer(path, FileOpenWrite);
    ASSERT_TRUE(writer.Open());
    count = 3;
    ASSERT_TRUE(writer.Write("new", count));
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(writer.Flush());
    count = 1;
    EXPECT_FALSE(writer.Write(nullptr, count));
    EXPECT_EQ(writer.lastError, FileNullBuffer);
    writer.Close();
    EXPECT_EQ(contents(path), "new contents");

    // Renaming the object closes the file it had open.
    ASSERT_TRUE(writer.Open());
    writer.SetName(folder + "/elsewhere");
    EXPECT_FALSE(writer.isOpen());
}

TEST_F(FileStreamTest, ExclusiveOpenKeepsOthersOut)
{
    const std::string path = make("shared.txt", "x");
    CFileStream first(path, FileOpenReadWriteExclusive), second(path, FileOpenRead);
    ASSERT_TRUE(first.Open());
    EXPECT_FALSE(second.Open());
    EXPECT_EQ(second.lastError, FileNotOpen);
    first.Close();
    ASSERT_TRUE(second.Open());
    CFileStream third(path, FileOpenReadWriteShared);
    EXPECT_TRUE(third.Open());
    EXPECT_FALSE(first.Open());
}

TEST(FileStreamType, TypeFromExtension)
{
    CFileStream file;
    std::string type;
    const std::pair<const char*, const char*> cases[] = {
        {"/x/job.ps", "  ps"}, {"/x/a.jpeg2", "jpeg"}, {"/x/noext", "    "},
        {"/x.y/file", "    "}, {"/x/a.b.pcl", " pcl"}, {"/x/trailing.", "    "},
    };
    for (const auto& [name, expected] : cases) {
        file.SetName(name);
        ASSERT_TRUE(file.GetTypeFromExtension(type));
        EXPECT_EQ(type, expected) << name;
    }
    EXPECT_FALSE(file.Unsupported());
    EXPECT_EQ(file.lastError, FileNotSupported);
}

namespace {

TEST_F(FileStreamTest, GuardsRefuseWhatIsNotARegularFileWithinTheLimit)
{
    const std::string fifo = folder + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero"), folder}) {
        CFileStream file(path);
        file.regularFilesOnly = true;
        EXPECT_FALSE(file.Open()) << path << ": opened without blocking, then refused";
        EXPECT_EQ(file.lastError, FileNotRegular) << path;
    }

    const std::string path = make("ten.txt", "0123456789");
    CFileStream tooLong(path);
    tooLong.sizeLimit = 9;
    EXPECT_FALSE(tooLong.Open());
    EXPECT_EQ(tooLong.lastError, FileTooLarge);

    // A file that grows past the limit after it was opened is refused while it is read.
    CFileStream growing(path);
    growing.regularFilesOnly = true;
    growing.sizeLimit = 12;
    ASSERT_TRUE(growing.Open());
    std::ofstream(path, std::ios::app) << "abcdef";
    std::string rest;
    EXPECT_FALSE(growing.ReadToEnd(rest));
    EXPECT_EQ(growing.lastError, FileTooLarge);
    EXPECT_EQ(rest, "");
    ASSERT_TRUE(growing.Seek(0, FileSeekFromStart));
    char block[20];
    int64_t count = sizeof block;
    EXPECT_FALSE(growing.Read(block, count));
    EXPECT_EQ(count, 12);
    EXPECT_EQ(growing.lastError, FileTooLarge);

    CFileStream exact(make("exact.txt", "0123456789"));
    exact.sizeLimit = 10;
    ASSERT_TRUE(exact.Open());
    EXPECT_TRUE(exact.ReadToEnd(rest));
    EXPECT_EQ(rest, "0123456789");
    EXPECT_TRUE(exact.ReadToEnd(rest)) << "an empty rest is a success";
}

TEST_F(FileStreamTest, ReplaceCreatesAPrivateFileAndNeverFollowsALink)
{
    const std::string target = make("target.txt", "keep");
    const std::string link = folder + "/link";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    CFileStream viaLink(link);
    viaLink.openMode = FileOpenReplace;
    EXPECT_FALSE(viaLink.Open());
    EXPECT_EQ(contents(target), "keep");

    const std::string path = make("old.txt", "a longer old content");
    CFileStream file(path);
    file.openMode = FileOpenReplace;
    file.sizeLimit = 4;
    ASSERT_TRUE(file.Open());
    int64_t count = 5;
    EXPECT_FALSE(file.Write("12345", count)) << "nothing past the limit is written";
    EXPECT_EQ(file.lastError, FileTooLarge);
    count = 3;
    EXPECT_TRUE(file.Write("new", count));
    file.Close();
    EXPECT_EQ(contents(path), "new");

    CFileStream fresh(folder + "/fresh.txt");
    fresh.openMode = FileOpenReplace;
    ASSERT_TRUE(fresh.Open());
    struct stat st {};
    ASSERT_EQ(::stat((folder + "/fresh.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

} // namespace
