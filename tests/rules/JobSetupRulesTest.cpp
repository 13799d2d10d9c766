// The job setup pages' models: the rules as the pages load a job, what they store, and the
// answer the job header reads from them.

#include <gtest/gtest.h>

#include "OptionAvailability.h"
#include "rules/JobSetupRules.h"

namespace spx {
namespace {

using namespace ids;

JobOptions job(int language, int plex, int exit)
{
    JobOptions o;
    o.setNumber(Field::printerLanguage, language);
    o.setNumber(Field::plexMode, plex);
    o.setNumber(Field::outputExit, exit);
    o.setNumber(Field::collate, 1);
    o.setNumber(Field::copies, 1);
    o.setNumber(Field::proofSetAction, 1);
    o.setNumber(Field::pamphletPages, 8);
    return o;
}

// The availability the header was written from before the pages had models, kept here so that
// the models are held to it over every combination of the options it reads.
OptionAvailability headerAvailability(const JobOptions& o, const ItemLockFlags& locks)
{
    const bool ps = o.number(Field::printerLanguage) == 0;
    const int plex = o.number(Field::plexMode);
    const int exit = o.number(Field::outputExit);
    const bool interleaves = plex == 3 || plex == 4;
    OptionAvailability a;
    a.stacking = (ps ? exit != 0 && exit != 6 : exit != 2 && exit != 3 && exit != 6) && locks.stackMode;
    a.folding = (ps ? exit == 0 : exit == 1) && locks.foldMode;
    a.frontCover = !interleaves && locks.frontCover;
    a.backCover = !interleaves && plex != 5 && locks.backCover;
    a.backCoverPaper = a.backCover && o.number(Field::backCover) != 0 && locks.backCoverPaper;
    const bool chapters = ps ? (plex == 0 || plex == 1 || plex == 2 || plex == 5) : (plex == 1 || plex == 2);
    a.chapterPages = chapters && locks.chapterPages;
    a.headerPaper = o.number(Field::headerPage) != 0;
    bool separatorBox = true;
    if (ps)
        separatorBox = !((plex == 5 && exit == 0) || o.number(Field::stapleMode) != 0 || o.number(Field::collate) == 0);
    a.separatorPaper = separatorBox && o.number(Field::separators) != 0;
    bool exceptions = plex != 3 && plex != 4 && plex != 5 && o.number(Field::settingsMode) == 0;
    if (plex == 5 && ps)
        exceptions = true;
    a.page5Disabled = !exceptions;
    return a;
}

TEST(JobSetupModelTest, HeaderReadsTheSameAnswerForEveryJob)
{
    std::vector<ItemLockFlags> lockSets(1);
    for (bool ItemLockFlags::*flag :
         {&ItemLockFlags::frontCover, &ItemLockFlags::frontCoverPaper, &ItemLockFlags::backCover,
          &ItemLockFlags::backCoverPaper, &ItemLockFlags::stapleMode, &ItemLockFlags::foldMode,
          &ItemLockFlags::stackMode, &ItemLockFlags::chapterPages}) {
        ItemLockFlags locks;
        locks.*flag = false;
        lockSets.push_back(locks);
    }
    int compared = 0;
    for (int language : {0, 1})
        for (int plex = 0; plex < 6; ++plex)
            for (int exit = 0; exit < 7; ++exit)
                for (int staple : {0, 1, 5})
                    for (int fold : {0, 2})
                        for (int cover : {0, 3})
                            for (int flags = 0; flags < 16; ++flags) {
                                JobOptions o = job(language, plex, exit);
                                o.setNumber(Field::stapleMode, staple);
                                o.setNumber(Field::foldMode, fold);
                                o.setNumber(Field::frontCover, cover);
                                o.setNumber(Field::backCover, cover);
                                o.setNumber(Field::collate, flags & 1);
                                o.setNumber(Field::headerPage, (flags >> 1) & 1);
                                o.setNumber(Field::separators, (flags >> 2) & 1);
                                o.setNumber(Field::settingsMode, (flags >> 3) & 1);
                                const ItemLockFlags& locks = lockSets[size_t(compared) % lockSets.size()];
                                ASSERT_EQ(computeOptionAvailability(o, locks), headerAvailability(o, locks))
                                    << "language " << language << " plex " << plex << " exit " << exit << " staple "
                                    << staple << " fold " << fold << " cover " << cover << " flags " << flags;
                                ++compared;
                            }
    EXPECT_EQ(compared, 2 * 6 * 7 * 3 * 2 * 2 * 16);
}

TEST(JobSetupModelTest, FinishingFollowsTheExit)
{
    // Exits without a stacker force stack entry 1 and disable the stack list.
    JobSetupModels m = jobSetupRules(job(1, 0, 2));
    EXPECT_EQ(m.setup.selection(IDC_COMBO_STACK_MODE), entry::kStackForced);
    EXPECT_FALSE(m.setup.enabled(IDC_COMBO_STACK_MODE));
    EXPECT_FALSE(m.setup.enabled(IDC_STATIC_STACKING_MODE));
    EXPECT_EQ(m.loaded.number(Field::stackMode), entry::kStackForced) << "the page stores what it forced";

    // PostScript model: exit 4 drops stapling, exit 5 offers no saddle stitch, exit 0 folds and trims.
    m = jobSetupRules([] { JobOptions o = job(0, 0, 4); o.setNumber(Field::stapleMode, 2); return o; }());
    EXPECT_EQ(m.setup.selection(IDC_COMBO_STAPLE_MODE), entry::kStapleNone);
    EXPECT_FALSE(m.setup.enabled(IDC_COMBO_STAPLE_MODE));
    m = jobSetupRules(job(0, 0, 5));
    EXPECT_FALSE(m.setup.entryEnabled(IDC_COMBO_STAPLE_MODE, entry::kStapleSaddleStitch));
    EXPECT_TRUE(m.setup.entryEnabled(IDC_COMBO_STAPLE_MODE, 1));
    m = jobSetupRules(job(0, 0, 0));
    EXPECT_TRUE(m.setup.enabled(IDC_COMBO_FOLD_MODE));
    EXPECT_TRUE(m.setup.enabled(IDC_CHECK_TRIM_EDGES));
    EXPECT_FALSE(jobSetupRules(job(1, 0, 0)).setup.enabled(IDC_CHECK_TRIM_EDGES)) << "trimming is PostScript only";
}

TEST(JobSetupModelTest, SaddleStitchAndSaddleFoldGoTogether)
{
    JobOptions o = job(1, 0, 1);
    o.setNumber(Field::stapleMode, entry::kStapleSaddleStitch);
    JobSetupModels m = jobSetupRules(o);
    EXPECT_EQ(m.setup.selection(IDC_COMBO_FOLD_MODE), entry::kFoldSaddleFold);
    EXPECT_EQ(m.loaded.number(Field::foldMode), entry::kFoldSaddleFold);

    o.setNumber(Field::stapleMode, 2);
    o.setNumber(Field::foldMode, entry::kFoldSaddleFold);
    m = jobSetupRules(o);
    EXPECT_EQ(m.setup.selection(IDC_COMBO_FOLD_MODE), entry::kFoldNone) << "leaving saddle stitch clears a saddle fold";
    EXPECT_EQ(m.setup.selection(IDC_COMBO_STAPLE_MODE), 2);
}

TEST(JobSetupModelTest, PlexModeGovernsCoversChaptersAndCollation)
{
    JobOptions o = job(0, 5, 1);
    o.setNumber(Field::collate, 0);
    o.setNumber(Field::backCover, 3);
    o.setNumber(Field::frontCover, 3);
    JobSetupModels m = jobSetupRules(o);
    EXPECT_TRUE(m.setup.checked(IDC_CHECK_COLLATE)) << "pamphlets are collated on the PostScript model";
    EXPECT_EQ(m.loaded.number(Field::collate), 1);
    EXPECT_FALSE(m.setup.enabled(IDC_COMBO_BACK_COVER));
    EXPECT_EQ(m.setup.selection(IDC_COMBO_BACK_COVER), entry::kCoverNone);
    EXPECT_TRUE(m.setup.enabled(IDC_COMBO_FRONT_COVER_PAPER));
    EXPECT_FALSE(m.setup.entryEnabled(IDC_COMBO_FRONT_COVER, entry::kCoverPrintSide1));
    EXPECT_FALSE(m.setup.entryEnabled(IDC_COMBO_FRONT_COVER, entry::kCoverPrintSide2));
    EXPECT_EQ(m.setup.find(IDC_STATIC_FRONT_COVER)->captionId, IDS_FrontCoverLabelPamphlet);
    EXPECT_EQ(m.loaded.number(Field::notPamphlet), 0);
    EXPECT_TRUE(m.setup2.enabled(IDC_EDIT_PAMPHLET_PAGES));

    m = jobSetupRules(job(1, 3, 1));
    EXPECT_FALSE(m.setup.enabled(IDC_COMBO_FRONT_COVER));
    EXPECT_FALSE(m.setup.enabled(IDC_BUTTON_COVERS_GROUP));
    EXPECT_FALSE(m.setup.enabled(IDC_EDIT_CHAPTER_PAGES_LIST));
    EXPECT_FALSE(m.tabEnabled[kPagePaperExceptions]);
    EXPECT_FALSE(m.setup2.enabled(IDC_EDIT_PAMPHLET_PAGES));
    EXPECT_TRUE(m.setup.entryEnabled(IDC_COMBO_FRONT_COVER, entry::kCoverPrintSide1));
}

TEST(JobSetupModelTest, SecondPageSeparatorsHeaderAndStatus)
{
    // A staple mode on the PostScript model disables the separators box; a box checked while
    // disabled is stored as cleared and remembered, and shows checked at the next load.
    JobOptions o = job(0, 0, 1);
    o.setNumber(Field::stapleMode, 1);
    JobSetupModels m = jobSetupRules(o);
    EXPECT_FALSE(m.setup2.enabled(IDC_CHECK_SET_SEPARATORS));
    m.setup2.check(IDC_CHECK_SET_SEPARATORS, true);
    RecordStore store(o);
    storeJobSetup2(m.setup2, store);
    EXPECT_EQ(o.number(Field::separators), 0);
    EXPECT_EQ(o.number(Field::separatorsForced), 1);
    m = jobSetupRules(o);
    EXPECT_TRUE(m.setup2.checked(IDC_CHECK_SET_SEPARATORS));
    EXPECT_EQ(m.loaded.number(Field::separatorsForced), 0);
    EXPECT_FALSE(m.setup2.enabled(IDC_COMBO_SEPAR_PAPER));

    o = job(1, 0, 1);
    o.setNumber(Field::headerPage, 1);
    m = jobSetupRules(o);
    EXPECT_TRUE(m.setup2.enabled(IDC_COMBO_HEADER_PAPER));
    EXPECT_FALSE(m.setup2.enabled(IDC_COMBO_STATUS_PAPER)) << "status mode 0 has no status paper";
    o.setNumber(Field::statusMode, 2);
    EXPECT_TRUE(jobSetupRules(o).setup2.enabled(IDC_COMBO_STATUS_PAPER));
    ItemLockFlags locks;
    locks.statusPaper = false;
    EXPECT_FALSE(jobSetupRules(o, locks).setup2.enabled(IDC_COMBO_STATUS_PAPER));
}

TEST(JobSetupModelTest, StoringALoadedPageKeepsTheJob)
{
    JobOptions o = job(1, 1, 1);
    o.setNumber(Field::copies, 12);
    o.setNumber(Field::frontCover, 2);
    o.setNumber(Field::frontCoverPaper, 3);
    o.setNumber(Field::proofSet, 1);
    o.setNumber(Field::proofSetMinutes, 15);
    o.setNumber(Field::proofSetAction, 2);
    o.setText(Field::chapterPages, "3, 7");
    o.setText(Field::emailAddress, "ops@example.org");
    o.setNumber(Field::fromPage, 2);
    o.setNumber(Field::toPage, 9);
    o.setNumber(Field::pageRangeActive, 1);
    const JobSetupModels m = jobSetupRules(o);
    EXPECT_TRUE(m.setup.enabled(IDC_EDIT_PROOF_MINUTES));
    JobOptions stored = m.loaded;
    RecordStore store(stored);
    storeJobSetup(m.setup, store);
    storeJobSetup2(m.setup2, store);
    EXPECT_EQ(stored, m.loaded);
    EXPECT_EQ(stored.number(Field::copies), 12);
    EXPECT_EQ(stored.text(Field::chapterPages), "3, 7");

    // A disabled proof set box counts as cleared; a disabled copies edit stores 0.
    JobSetupModels ps = jobSetupRules([&] { JobOptions p = o; p.setNumber(Field::printerLanguage, 0); return p; }());
    ps.setup.enable(IDC_EDIT_NUMBER_COPIES, false);
    storeJobSetup(ps.setup, store);
    EXPECT_EQ(stored.number(Field::proofSet), 1) << "the proof set box stays enabled on the PostScript model";
    EXPECT_EQ(stored.number(Field::copies), 0);
}

} // namespace
} // namespace spx
