#pragma once
// The check of a value given to a job option by name (spxjob new and set): a whole number within
// the field's range, or a text the field can hold. Every rule for such a value goes here, so the
// command line and anything else that takes typed values refuse the same things.

#include <cstdint>
#include <string>
#include <string_view>

#include "JobOptions.h"

namespace spx {

// A checked value, ready for the document's setter: the number, or the text in Windows-1252.
struct FieldValue {
    int64_t number = 0;
    std::string text;
};

// Checks `given` (UTF-8, as typed) for field `f`. Empty when it may be stored, with `out` filled;
// otherwise a message that names the field and what it takes, such as
// "copies: 70000 is out of range (1 to 65535 for PCL printers)".
std::string checkFieldValue(Field f, std::string_view given, const RangeContext& context, FieldValue& out);

// The same for a number: empty when `value` is within the field's range.
std::string checkFieldNumber(Field f, int64_t value, const RangeContext& context);
// The same for the number a record holds, once something its range depends on has changed.
std::string checkStoredNumber(Field f, const JobOptions& options, const RangeContext& context);

} // namespace spx
