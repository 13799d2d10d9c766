#pragma once
// Which option controls the job setup pages leave enabled after loading a job, as far as the job
// header depends on them. The header is written from the same answer whether the pages exist (the
// window) or not (spxjob), and the pages use this function for the controls it covers.

#include "JobOptions.h"

namespace spx {

class CSpxDoc;

// The permission flags that the item-disabling rules keep for the controls the job setup pages
// consult: each is true unless a rule disabled that control for the current printer model.
struct ItemLockFlags {
    bool frontCover = true;           // IDC_COMBO_FRONT_COVER (1024)
    bool frontCoverPaper = true;      // IDC_COMBO_FRONT_COVER_PAPER (1025)
    bool backCover = true;            // IDC_COMBO_BACK_COVER (1123)
    bool backCoverPaper = true;       // IDC_COMBO_BACK_COVER_PAPER (1119)
    bool stapleMode = true;           // IDC_COMBO_STAPLE_MODE (1019)
    bool foldMode = true;             // IDC_COMBO_FOLD_MODE (1020)
    bool stackMode = true;            // IDC_COMBO_STACK_MODE (1018)
    bool chapterPages = true;         // IDC_EDIT_CHAPTER_PAGES_LIST (1062)
    bool finishChapters = true;       // IDC_CHECK_FINISH_CHAPTERS_SEPARATELY (1093)
    bool statusPaper = true;          // IDC_COMBO_STATUS_PAPER (1118)
};

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

} // namespace spx
