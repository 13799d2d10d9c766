#pragma once
// The rules of the two job setup pages on their models: which controls are enabled, which
// drop-down entries can be chosen, and what the pages select and store as they load a job.
// The window shows these models, and the job header reads them (computeOptionAvailability), so
// the window and spxjob cannot disagree about which option applies.

#include <array>

#include "rules/ControlIds.h"
#include "rules/ItemLocks.h"
#include "rules/PageModel.h"

namespace spx {

// Entries of the job setup page's lists that the rules name.
namespace entry {
inline constexpr int kStapleNone = 0;
inline constexpr int kStapleSaddleStitch = 5;
inline constexpr int kFoldNone = 0;
inline constexpr int kFoldSaddleFold = 2;
inline constexpr int kCoverNone = 0;
inline constexpr int kCoverPrintSide1 = 1;
inline constexpr int kCoverPrintSide2 = 2;
inline constexpr int kStackForced = 1;   // the stack entry an exit without stacking keeps
} // namespace entry

// Entries of the lists, in item order.
namespace entries {
inline constexpr int kPlexModes = 6;
inline constexpr int kCovers = 5;
inline constexpr int kExits = 7;
inline constexpr int kStackModes = 2;
inline constexpr int kStapleModes = 6;
inline constexpr int kFoldModes = 3;
inline constexpr int kProofActions = 2;
inline constexpr int kMismatchModes = 4;
inline constexpr int kStatusModes = 4;
} // namespace entries

struct JobSetupModels {
    PageModel setup{ids::IDD_TAB_JOB_SETUP};
    PageModel setup2{ids::IDD_TAB_JOB_SETUP2};
    std::array<bool, ids::kPageCount> tabEnabled{true, true, true, true, true, true, true};
    JobOptions loaded;   // the job as the pages leave it after loading (they store as they load)
};

// Both job setup pages as they stand after loading `options` (job setup first, then job setup 2),
// with the item locks applied.
JobSetupModels jobSetupRules(const JobOptions& options, const ItemLockFlags& locks = {});

// After the item-disabling rules acted on the models: the page rules decide again for the
// controls of the lock table, so a rule can switch them off but not on where the pages cannot
// use them.
void reapplyLockedControls(JobSetupModels& models, const JobOptions& options, const ItemLockFlags& locks);

// What the pages write into the job when they are left or the job is saved.
void storeJobSetup(const PageModel& page, IOptionStore& job);
void storeJobSetup2(const PageModel& page, IOptionStore& job);

} // namespace spx
