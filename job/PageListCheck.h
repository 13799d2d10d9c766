#pragma once
// The check a page list passes before the job keeps it, whichever way it arrives: typed on a
// page, read from a job file, or given to spxjob. A page list goes into the job header as it
// stands, so it may hold only what a page list is made of:
//
//   chapter list:    digits, blanks, "," and "."; no run of more than 5 digits
//   exception list:  digits, blanks, ",", ".", "^", "-" and the word "last" (any letter case);
//                    no run of more than 6 digits (the end of a range)
//
// Anything else (a control byte, a quote, a letter outside "last") is refused, so a list can
// never carry a line of printer commands of its own.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "JobOptions.h"

namespace spx {

class RecordArray;

enum class PageListKind { Chapters, Exception };

struct PageListProblem {
    size_t offset;        // of the first byte that does not belong
    std::string reason;   // what is wrong, for the operator
};

std::optional<PageListProblem> checkPageList(std::string_view list, PageListKind kind);

// "FIELD: reason": the message an operator sees for a refused list.
std::string pageListMessage(std::string_view field, const PageListProblem& problem);

// A value about to be stored in `field`: the message when the field holds a page list and the
// value is not one; nothing for other fields.
std::optional<std::string> checkPageListField(Field field, std::string_view value);

// The chapter list and every exception's page list of a job: the message for the first list
// that fails (exceptions are named "exception N", counted from 1).
std::optional<std::string> findBadPageList(const JobOptions& options, const RecordArray& exceptions);

} // namespace spx
