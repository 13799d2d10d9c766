#pragma once
// The check of the resource bundle's texts at start-up. The bundle is a file an administrator
// may edit; texts the program writes into job files and job headers, or needs to find its
// files, must be there and fit their use, or the program would write wrong files while it
// reports success. The window and spxjob both refuse to start on a bundle that fails it.

#include <string>
#include <vector>

namespace spx {

class StringTable;

// What is wrong with the bundle's string table, one line per fault; empty when it is sound.
// Checked: the strings the program needs are there (and not empty where an empty text would be
// written or matched), the two job-file signatures differ and have the same length, and both
// command tables have every slot, a text in every line and word slot, and pass the role check.
std::vector<std::string> bundleProblems(const StringTable& strings);

// Both in one: false with the start-up message (damagedBundleMessage) when the bundle has faults.
bool checkBundle(const StringTable& strings, const std::string& bundleName, std::string& message);

} // namespace spx
