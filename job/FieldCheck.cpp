#include "FieldCheck.h"

#include "CodePage.h"
#include "PageListCheck.h"
#include "WholeNumber.h"

namespace spx {

namespace {

std::string rangeText(Field f, const RangeContext& context)
{
    const ValueRange range = fieldRange(f, context);
    std::string text = std::to_string(range.minimum) + " to " + std::to_string(range.maximum);
    switch (fieldInfo(f).range) {
    case RangeRule::ByLanguage:
        return text + (context.printerLanguage == 0 ? " for PostScript printers" : " for PCL printers");
    case RangeRule::JobPaper:
        return text + ", a position in the paper catalogue";
    case RangeRule::PaperChoice:
        return text + ", a position in the paper catalogue - 1";
    default:
        return text;
    }
}

std::string checkText(Field f, std::string_view given, FieldValue& out)
{
    const FieldInfo& info = fieldInfo(f);
    const std::string utf8(given);
    out.text = utf8ToAnsi(utf8);
    if (ansiToUtf8(out.text) != utf8)
        return std::string(info.name) + ": the text has characters a job file cannot hold (Windows-1252 only)";
    if (out.text.size() > size_t(info.width) - 1)
        return std::string(info.name) + ": the text is " + std::to_string(out.text.size())
               + " characters long; the field holds " + std::to_string(info.width - 1);
    if (const auto badList = checkPageListField(f, out.text))
        return *badList;
    return {};
}

} // namespace

std::string checkFieldNumber(Field f, int64_t value, const RangeContext& context)
{
    const ValueRange range = fieldRange(f, context);
    if (value >= range.minimum && value <= range.maximum)
        return {};
    return std::string(fieldInfo(f).name) + ": " + std::to_string(value) + " is out of range ("
           + rangeText(f, context) + ")";
}

std::string checkStoredNumber(Field f, const JobOptions& options, const RangeContext& context)
{
    const int64_t value = fieldInfo(f).type == FieldType::UInt32 ? int64_t(options.unsignedNumber(f)) : options.number(f);
    return checkFieldNumber(f, value, context);
}

std::string checkFieldValue(Field f, std::string_view given, const RangeContext& context, FieldValue& out)
{
    if (fieldInfo(f).type == FieldType::Text)
        return checkText(f, given, out);
    long long number = 0;
    if (!parseWholeNumber(given, number))
        return std::string(fieldInfo(f).name) + ": \"" + std::string(given) + "\" is not a whole number ("
               + rangeText(f, context) + ")";
    out.number = number;
    return checkFieldNumber(f, number, context);
}

} // namespace spx
