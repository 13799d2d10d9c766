#pragma once
// Which option controls the job setup pages leave enabled after loading a job, as far as the job
// header depends on them. It is a reading of the job setup pages' models (rules/JobSetupRules.h),
// so the header is written from the same answer whether the pages exist (the window) or not
// (spxjob).

#include "JobOptions.h"
#include "rules/ItemLocks.h"

namespace spx {

class CSpxDoc;
struct JobSetupModels;

struct OptionAvailability {
    bool folding = true;          // fold combo
    bool stacking = true;         // stack combo
    bool frontCover = true;       // front cover combo
    bool backCover = true;        // back cover combo
    bool backCoverPaper = true;   // back cover paper combo
    bool chapterPages = true;     // chapter list edit
    bool headerPaper = true;      // header paper combo (second job setup page)
    bool separatorPaper = true;   // separator paper combo (second job setup page)
    bool page5Disabled = false;   // the paper exceptions tab is disabled

    bool operator==(const OptionAvailability&) const = default;
};

OptionAvailability computeOptionAvailability(const JobOptions& options, const ItemLockFlags& locks = {});
OptionAvailability computeOptionAvailability(const CSpxDoc& document, const ItemLockFlags& locks = {});
OptionAvailability readOptionAvailability(const JobSetupModels& models);

} // namespace spx
