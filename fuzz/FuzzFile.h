#pragma once
// A scratch file per fuzzer process, on a memory file system when there is one so that the
// profile's synced writes stay cheap.

#include <unistd.h>

#include <fstream>
#include <string>

inline std::string fuzzScratchPath(const char* suffix)
{
    const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/spx-fuzz-" + std::to_string(::getpid()) + suffix;
}

inline void fuzzWriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}
