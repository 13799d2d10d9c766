#pragma once
// String ids that more than one part of the program uses. Each id has one name, given here.

namespace spx {

enum SharedStringId {
    // The job-file extension (without the dot). The send loop also names its stripped copies of
    // print files with it, so they are recognisable as the program's in the temporary folder.
    IdsJobExtension = 447,
};

} // namespace spx
