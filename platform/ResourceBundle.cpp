#include "ResourceBundle.h"

#include "Profile.h"

namespace spx {

namespace {
constexpr uint16_t kFlagCompressed = 0x01;
constexpr uint16_t kFlagDirectory = 0x02;
constexpr uint16_t kFlagCompressedZstd = 0x04;
} // namespace

struct ResourceBundle::Node {
    uint32_t nameOffset = 0;
    uint16_t flags = 0;
    uint32_t childCount = 0;
    uint32_t firstChild = 0;
    uint32_t dataOffset = 0;
};

namespace {
bool readBigEndian(const std::string& data, uint64_t offset, int bytes, uint32_t& out)
{
    if (offset + uint64_t(bytes) > data.size())
        return false;
    out = 0;
    for (int i = 0; i < bytes; ++i)
        out = (out << 8) | uint8_t(data[size_t(offset) + size_t(i)]);
    return true;
}
} // namespace

bool ResourceBundle::open(const std::string& path, std::string& error)
{
    data_.clear();
    std::string content;
    if (!readWholeFile(path, content)) {
        error = "cannot read " + path;
        return false;
    }
    uint32_t version = 0, tree = 0, dataOff = 0, names = 0;
    if (content.compare(0, 4, "qres") != 0 || !readBigEndian(content, 4, 4, version)
        || !readBigEndian(content, 8, 4, tree) || !readBigEndian(content, 12, 4, dataOff)
        || !readBigEndian(content, 16, 4, names) || version < 1 || version > 3 || tree >= content.size()
        || dataOff > content.size() || names > content.size()) {
        error = path + " is not a resource bundle";
        return false;
    }
    data_ = std::move(content);
    version_ = version;
    treeOffset_ = tree;
    dataOffset_ = dataOff;
    namesOffset_ = names;
    Node root;
    if (!readNode(0, root) || !(root.flags & kFlagDirectory)) {
        data_.clear();
        error = path + " is damaged";
        return false;
    }
    return true;
}

bool ResourceBundle::readNode(uint32_t index, Node& node) const
{
    const uint64_t nodeSize = version_ >= 2 ? 22 : 14;
    const uint64_t at = treeOffset_ + uint64_t(index) * nodeSize;
    uint32_t flags = 0;
    if (!readBigEndian(data_, at, 4, node.nameOffset) || !readBigEndian(data_, at + 4, 2, flags)
        || at + nodeSize > data_.size())
        return false;
    node.flags = uint16_t(flags);
    if (node.flags & kFlagDirectory)
        return readBigEndian(data_, at + 6, 4, node.childCount) && readBigEndian(data_, at + 10, 4, node.firstChild);
    return readBigEndian(data_, at + 10, 4, node.dataOffset);
}

std::string ResourceBundle::nodeName(const Node& node) const
{
    uint32_t length = 0;
    const uint64_t at = uint64_t(namesOffset_) + node.nameOffset;
    if (!readBigEndian(data_, at, 2, length))
        return {};
    std::string name;
    for (uint32_t i = 0; i < length; ++i) {
        uint32_t unit = 0;
        if (!readBigEndian(data_, at + 6 + 2 * uint64_t(i), 2, unit))
            return {};
        // Resource names of this program are plain ASCII; anything else cannot match.
        name += unit < 0x80 ? char(unit) : '\x7f';
    }
    return name;
}

std::optional<uint32_t> ResourceBundle::findChild(uint32_t dirIndex, const std::string& name) const
{
    Node dir;
    if (!readNode(dirIndex, dir) || !(dir.flags & kFlagDirectory))
        return std::nullopt;
    for (uint32_t i = 0; i < dir.childCount; ++i) {
        Node child;
        if (!readNode(dir.firstChild + i, child))
            return std::nullopt;
        if (nodeName(child) == name)
            return dir.firstChild + i;
    }
    return std::nullopt;
}

std::optional<uint32_t> ResourceBundle::findPath(const std::string& path) const
{
    uint32_t index = 0;
    size_t start = 0;
    while (start < path.size()) {
        size_t slash = path.find('/', start);
        std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        start = slash == std::string::npos ? path.size() : slash + 1;
        if (part.empty())
            continue;
        auto child = findChild(index, part);
        if (!child)
            return std::nullopt;
        index = *child;
    }
    return index;
}

std::optional<std::string> ResourceBundle::file(const std::string& path) const
{
    if (!isOpen())
        return std::nullopt;
    auto index = findPath(path);
    Node node;
    if (!index || !readNode(*index, node) || (node.flags & (kFlagDirectory | kFlagCompressed | kFlagCompressedZstd)))
        return std::nullopt;
    uint32_t size = 0;
    const uint64_t at = uint64_t(dataOffset_) + node.dataOffset;
    if (!readBigEndian(data_, at, 4, size) || at + 4 + size > data_.size())
        return std::nullopt;
    return data_.substr(size_t(at + 4), size);
}

std::vector<std::string> ResourceBundle::list(const std::string& folder) const
{
    std::vector<std::string> names;
    if (!isOpen())
        return names;
    auto index = findPath(folder);
    Node dir;
    if (!index || !readNode(*index, dir) || !(dir.flags & kFlagDirectory))
        return names;
    for (uint32_t i = 0; i < dir.childCount; ++i) {
        Node child;
        if (!readNode(dir.firstChild + i, child))
            break;
        names.push_back(nodeName(child));
    }
    return names;
}

std::string missingBundleMessage(const std::string& bundleName) { return "Missing file: " + bundleName; }

std::string damagedBundleMessage(const std::string& bundleName, const std::vector<std::string>& problems)
{
    constexpr size_t kShown = 8;
    std::string message = "Damaged file: " + bundleName;
    for (size_t i = 0; i < problems.size() && i < kShown; ++i)
        message += "\n" + problems[i];
    if (problems.size() > kShown)
        message += "\n... and " + std::to_string(problems.size() - kShown) + " more";
    return message;
}

} // namespace spx
