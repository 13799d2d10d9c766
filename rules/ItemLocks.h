#pragma once
// The permission flags that the item-disabling rules keep for the controls the job setup pages
// consult: each is true unless a rule disabled that control for the current printer model.

namespace spx {

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

    bool operator==(const ItemLockFlags&) const = default;
};

} // namespace spx
