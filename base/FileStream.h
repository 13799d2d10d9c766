#pragma once
// The program's own file class on the operating system's plain file calls. No operation throws:
// each returns success or failure and leaves an error code in `lastError` (0 after success).
// Paths are POSIX paths: "/" separates folders, a path is absolute when it begins with "/", and
// there are no drive letters (the drive is always -1).
//
// Every transfer is retried when a signal interrupts it. Two guards, set before `Open`, protect
// a reader from files it cannot take: `regularFilesOnly` refuses a FIFO, a device or a folder
// (without blocking on a FIFO that has no writer), and `sizeLimit` refuses a file longer than the
// limit and any read or write past it (a file that grows while it is read).

#include <cstdint>
#include <string>

namespace spx {

class CArchive;

enum FileError : int16_t {
    FileOk = 0,
    FileNoName = 1,
    FileAlreadyOpen = 2,
    FileNotOpen = 3,          // also: could not be opened
    FileExists = 4,
    FileBadPath = 5,
    FileIoError = 6,          // a seek, read or write moved no data
    FileNullBuffer = 15,
    FileNotSupported = 26,
    FileNotRegular = 27,      // a FIFO, device or folder where a regular file is required
    FileTooLarge = 28,        // the file is, or would become, longer than the size limit
};

enum FileOpenMode : uint8_t {
    FileOpenPlainRead = 0,
    FileOpenRead = 1,                 // read, others may open too
    FileOpenWrite = 2,                // write, others may open too
    FileOpenReadWriteExclusive = 3,   // read/write, no other opener of this class gets in
    FileOpenReadWriteShared = 4,      // read/write, others may open too
    FileOpenReplace = 5,              // write; created, or emptied when it exists; readable by the
                                      // user alone; a symbolic link as the last part is refused
};

enum FileSeekOrigin : int {
    FileSeekFromStart = 1,
    FileSeekFromEnd = 2,
    FileSeekFromCurrent = 3,
};

// A file's name: the full path, its folder, its drive (-1) and a four-byte type code.
class CFileSpec {
public:
    CFileSpec();
    virtual ~CFileSpec();
    CFileSpec(const CFileSpec&) = default;
    CFileSpec& operator=(const CFileSpec&) = default;

    virtual void Idle() {}
    virtual bool LoadName(CArchive& archive);
    virtual bool StoreName(CArchive& archive) const;
    // Closes the file if open, clears the error, the name and the folder; the drive becomes -1.
    virtual void Reset();
    // Stores the name and resolves it into path, directory and drive. An empty name clears them.
    virtual bool SetName(const std::string& name);
    // Takes the name of `other`; error 5 when that one has no name.
    virtual bool Assign(const CFileSpec& other);
    // Sets the name to `relativeName` taken in the folder of `base` (absolute names stay as they are).
    virtual bool ResolveAgainst(const CFileSpec& base, const std::string& relativeName);

    int16_t lastError = FileOk;
    const std::string& path() const { return path_; }
    const std::string& directory() const { return directory_; }
    int32_t drive() const { return drive_; }
    bool hasName() const { return !path_.empty(); }

protected:
    // Called before the name changes; the file class closes itself here.
    virtual void nameChanging() {}

    std::string path_;
    std::string directory_;
    int32_t drive_ = -1;
    uint32_t typeTag_ = 0;
};

class CFileStream : public CFileSpec {
public:
    CFileStream() = default;
    explicit CFileStream(const std::string& name, uint8_t mode = FileOpenRead);
    ~CFileStream() override;
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    virtual uint32_t GetTypeTag() const { return typeTag_; }
    // The extension after the file name's last dot as four characters, padded with spaces on
    // the left and cut after four ("txt" -> " txt"; no extension -> "    ").
    virtual bool GetTypeFromExtension(std::string& out);
    virtual void SetTypeTag(uint32_t tag) { typeTag_ = tag; }
    virtual bool Unsupported();

    virtual bool Create();
    virtual bool Open();
    virtual bool Close();
    virtual bool GetLength(int64_t& length);
    virtual bool GetPosition(int64_t& position);
    virtual bool SetLength(int64_t length);
    virtual bool Seek(int64_t offset, int origin);
    // Reads up to `count` bytes; `count` returns the number read (fewer at the end of the file).
    virtual bool Read(void* buffer, int64_t& count);
    // Reads until the `delimiter` byte has been read or `count` bytes were read. `count` returns
    // the bytes up to and including the delimiter; the file position is just after it.
    virtual bool ReadUntil(void* buffer, int64_t& count, char delimiter);
    // Writes `count` bytes; `count` returns the number written. Anything short of all is error 6.
    virtual bool Write(const void* buffer, int64_t& count);
    virtual bool Flush();

    // Everything from the position to the end of the file, appended to `out`. An empty rest is
    // a success; a rest past the size limit fails with error 28 and appends nothing.
    bool ReadToEnd(std::string& out);

    uint8_t openMode = FileOpenRead;
    bool regularFilesOnly = false;
    int64_t sizeLimit = 0;   // bytes; 0 for no limit
    bool isOpen() const { return fd_ >= 0; }

protected:
    void nameChanging() override;

private:
    // Open file and a buffer; otherwise the error is set and the count cleared.
    bool readyForTransfer(const void* buffer, int64_t& count);
    // The guards of `Open` on the freshly opened descriptor; false with the error set.
    bool guardOpened(int fd);
    // Bytes a transfer of `count` at the current position may move under the size limit.
    int64_t roomUnderLimit(int64_t count);
    // True when the file holds at least one more byte (the position is left as it was).
    bool moreToRead();
    // Up to `wanted` bytes, fewer only at the end of the file; false when a read failed.
    bool readFully(char* out, int64_t wanted, int64_t& got);
    int fd_ = -1;
    int64_t streamed_ = 0;   // bytes moved since Open, the position of a file that cannot seek
};

} // namespace spx
