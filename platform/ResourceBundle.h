#pragma once
// Reader of the program's resource bundle (a Qt binary resource file written without
// compression), in plain C++ so that the command-line tools and the core need no toolkit.

#include <optional>
#include <string>
#include <vector>

namespace spx {

class ResourceBundle {
public:
    // Reads and checks the whole file. False for a missing, junk or truncated bundle.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return !data_.empty(); }
    // Contents of a file such as "strings/core.txt"; nullopt when absent.
    std::optional<std::string> file(const std::string& path) const;
    // Names of the entries of a folder such as "strings".
    std::vector<std::string> list(const std::string& folder) const;

private:
    struct Node;
    bool readNode(uint32_t index, Node& node) const;
    std::optional<uint32_t> findChild(uint32_t dirIndex, const std::string& name) const;
    std::optional<uint32_t> findPath(const std::string& path) const;
    std::string nodeName(const Node& node) const;

    std::string data_;
    uint32_t version_ = 0, treeOffset_ = 0, dataOffset_ = 0, namesOffset_ = 0;
};

// The start-up messages about the bundle. They cannot come from the bundle itself.
std::string missingBundleMessage(const std::string& bundleName);   // "Missing file: NAME"
// "Damaged file: NAME" and the first few faults, one per line.
std::string damagedBundleMessage(const std::string& bundleName, const std::vector<std::string>& problems);

} // namespace spx
