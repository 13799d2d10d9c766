#include "rules/JobSetupRules.h"

#include <algorithm>
#include <string>

namespace spx {

using namespace ids;

namespace {

bool isOneOf(int value, std::initializer_list<int> set)
{
    for (int v : set)
        if (v == value)
            return true;
    return false;
}

std::string numberText(int value)
{
    return value == 0 ? std::string() : std::to_string(value);
}

// The job setup page loading a job: the controls are set from the job, then the exit, cover,
// plex, collate, proof set and exceptions rules run in the order the page runs them. The page
// stores as it goes, so `job` ends as the document would.
class JobSetupLoad {
public:
    JobSetupLoad(JobSetupModels& models, const ItemLockFlags& locks)
        : m_(models.setup), job_(models.loaded), tabs_(models.tabEnabled), locks_(locks)
    {
    }

    void run()
    {
        setControls();
        applyExit();
        frontCoverChanged();
        plexChanged();
        collateChanged();
        job_.setNumber(Field::finishChaptersSeparately, checkedAndEnabled(IDC_CHECK_FINISH_CHAPTERS_SEPARATELY));
        job_.setNumber(Field::trimEdges, checkedAndEnabled(IDC_CHECK_TRIM_EDGES));
        proofSetChanged();
        coversRule();
        m_.enable(IDC_COMBO_PAPER, true);
        for (int id : kPaperLabels)
            m_.enable(id, true);
        const bool range = m_.checked(IDC_RADIO_PRINT_RANGE_FROM);
        m_.enable({IDC_EDIT_FROM, IDC_EDIT_TO}, range);
        if (!range) {
            m_.setText(IDC_EDIT_FROM, {});
            m_.setText(IDC_EDIT_TO, {});
        }
        exceptionsAvailability();
    }

private:
    int num(Field f) const { return job_.number(f); }
    int sel(int id) const { return m_.selection(id); }
    bool postScript() const { return num(Field::printerLanguage) == 0; }
    bool checkedAndEnabled(int id) const { return m_.checked(id) && m_.enabled(id); }

    void setControls()
    {
        m_.setText(IDC_EDIT_NUMBER_COPIES, std::to_string(num(Field::copies)));
        m_.select(IDC_COMBO_PRINTING_MODE, num(Field::plexMode), entries::kPlexModes);
        m_.check(IDC_CHECK_COLLATE, num(Field::collate) != 0);
        m_.check(IDC_CHECK_FINISH_CHAPTERS_SEPARATELY, num(Field::finishChaptersSeparately) != 0);
        m_.check(IDC_CHECK_TRIM_EDGES, num(Field::trimEdges) != 0);
        m_.setText(IDC_EDIT_CHAPTER_PAGES_LIST, job_.text(Field::chapterPages));
        m_.select(IDC_COMBO_EXIT_MODE, num(Field::outputExit), entries::kExits);
        m_.select(IDC_COMBO_STACK_MODE, num(Field::stackMode), entries::kStackModes);
        m_.select(IDC_COMBO_STAPLE_MODE, num(Field::stapleMode), entries::kStapleModes);
        // Neither range button set counts as the whole file; the whole file wins over a range.
        int whole = num(Field::printRange);
        int range = num(Field::pageRangeActive);
        if (whole == 0 && range == 0)
            whole = 1;
        if (whole != 0)
            range = 0;
        m_.check(IDC_RADIO_PRINT_RANGE, whole != 0);
        m_.check(IDC_RADIO_PRINT_RANGE_FROM, range != 0);
        m_.setText(IDC_EDIT_FROM, numberText(num(Field::fromPage)));
        m_.setText(IDC_EDIT_TO, numberText(num(Field::toPage)));
        m_.select(IDC_COMBO_PAPER, num(Field::paperIndex) - 2);
        m_.select(IDC_COMBO_FRONT_COVER, num(Field::frontCover), entries::kCovers);
        m_.select(IDC_COMBO_FRONT_COVER_PAPER, num(Field::frontCoverPaper));
        m_.check(IDC_CHECK_PRINT_PROOF_SET, num(Field::proofSet) != 0);
        m_.setText(IDC_EDIT_PROOF_MINUTES, numberText(num(Field::proofSetMinutes)));
        m_.select(IDC_COMBO_PROOF_SET_ACTION, num(Field::proofSetAction) - 1, entries::kProofActions);
        m_.select(IDC_COMBO_BACK_COVER, num(Field::backCover), entries::kCovers);
        m_.select(IDC_COMBO_BACK_COVER_PAPER, num(Field::backCoverPaper));
        m_.select(IDC_COMBO_FOLD_MODE, num(Field::foldMode), entries::kFoldModes);
    }

    // Where the job leaves through an exit, which finishing it allows.
    void applyExit()
    {
        const int exit = sel(IDC_COMBO_EXIT_MODE);
        job_.setNumber(Field::outputExit, exit);
        const bool stacking = !isOneOf(exit, {2, 3, 6}) && locks_.stackMode;
        if (!stacking) {
            m_.select(IDC_COMBO_STACK_MODE, entry::kStackForced);
            stackChanged();
        }
        m_.enable({IDC_COMBO_STACK_MODE, IDC_STATIC_STACKING_MODE}, stacking);
        m_.enable({IDC_COMBO_STAPLE_MODE, IDC_STATIC_STAPLING_MODE}, !isOneOf(exit, {2, 3, 4, 6}) && locks_.stapleMode);
        const bool folding = exit == 1 && locks_.foldMode;
        m_.enable({IDC_COMBO_FOLD_MODE, IDC_STATIC_FOLD_MODE}, folding);
        const bool coverPapers = (exit == 4 || folding) && sel(IDC_COMBO_FRONT_COVER) != entry::kCoverNone;
        m_.enable({IDC_STATIC_FRONT_COVER_PAPER, IDC_COMBO_FRONT_COVER_PAPER, IDC_STATIC_BACK_COVER_PAPER,
                   IDC_COMBO_BACK_COVER_PAPER},
                  coverPapers);
        stackChanged();
        stapleChanged();
        foldChanged();
        m_.enable(IDC_CHECK_TRIM_EDGES, postScript() && exit == 0);
        exceptionsAvailability();
        frontCoverChanged();
    }

    void stackChanged()
    {
        const int exit = sel(IDC_COMBO_EXIT_MODE);
        if (postScript())
            m_.enable({IDC_COMBO_STACK_MODE, IDC_STATIC_STACKING_MODE}, exit != 0 && exit != 6);
        job_.setNumber(Field::stackMode, sel(IDC_COMBO_STACK_MODE));
    }

    // Saddle stitch and saddle fold go together: choosing one chooses the other, leaving one
    // leaves the other.
    void stapleChanged()
    {
        const int exit = sel(IDC_COMBO_EXIT_MODE);
        if (postScript()) {
            m_.enableEntry(IDC_COMBO_STAPLE_MODE, entry::kStapleSaddleStitch, exit != 5);
            if (exit == 4 || exit == 6) {
                m_.enable(IDC_COMBO_STAPLE_MODE, false);
                m_.select(IDC_COMBO_STAPLE_MODE, entry::kStapleNone);
            }
        }
        const int staple = sel(IDC_COMBO_STAPLE_MODE);
        job_.setNumber(Field::stapleMode, staple);
        if (staple == entry::kStapleSaddleStitch)
            setFold(entry::kFoldSaddleFold);
        else if (sel(IDC_COMBO_FOLD_MODE) == entry::kFoldSaddleFold)
            setFold(entry::kFoldNone);
    }

    void foldChanged()
    {
        if (postScript())
            m_.enable({IDC_COMBO_FOLD_MODE, IDC_STATIC_FOLD_MODE}, sel(IDC_COMBO_EXIT_MODE) == 0);
        const int fold = sel(IDC_COMBO_FOLD_MODE);
        job_.setNumber(Field::foldMode, fold);
        if (fold == entry::kFoldSaddleFold)
            setStaple(entry::kStapleSaddleStitch);
        else if (sel(IDC_COMBO_STAPLE_MODE) == entry::kStapleSaddleStitch)
            setStaple(entry::kStapleNone);
    }

    void setFold(int fold)
    {
        m_.select(IDC_COMBO_FOLD_MODE, fold);
        job_.setNumber(Field::foldMode, fold);
    }

    void setStaple(int staple)
    {
        m_.select(IDC_COMBO_STAPLE_MODE, staple);
        job_.setNumber(Field::stapleMode, staple);
    }

    void frontCoverChanged()
    {
        job_.setNumber(Field::frontCover, sel(IDC_COMBO_FRONT_COVER));
        m_.enable({IDC_COMBO_FRONT_COVER_PAPER, IDC_STATIC_FRONT_COVER_PAPER},
                  m_.enabled(IDC_COMBO_FRONT_COVER) && sel(IDC_COMBO_FRONT_COVER) != entry::kCoverNone
                      && locks_.frontCoverPaper);
        backCoverChanged();
    }

    void backCoverChanged()
    {
        job_.setNumber(Field::backCover, sel(IDC_COMBO_BACK_COVER));
        m_.enable({IDC_COMBO_BACK_COVER_PAPER, IDC_STATIC_BACK_COVER_PAPER},
                  m_.enabled(IDC_COMBO_BACK_COVER) && sel(IDC_COMBO_BACK_COVER) != entry::kCoverNone
                      && locks_.backCoverPaper);
    }

    // Chapters and covers by plex mode.
    void coversRule()
    {
        const int plex = sel(IDC_COMBO_PRINTING_MODE);
        const bool chapters = postScript() ? isOneOf(plex, {0, 1, 2, 5}) : isOneOf(plex, {1, 2});
        m_.enable({IDC_EDIT_CHAPTER_PAGES_LIST, IDC_STATIC_CHAPTER_PAGES}, chapters);
        m_.enable(IDC_CHECK_FINISH_CHAPTERS_SEPARATELY,
                  chapters && ((postScript() && isOneOf(plex, {0, 1, 2})) || num(Field::printerLanguage) == 1));
        const bool front = !isOneOf(plex, {3, 4}) && locks_.frontCover;
        const bool back = !isOneOf(plex, {3, 4, 5}) && locks_.backCover;
        m_.enable({IDC_COMBO_FRONT_COVER, IDC_STATIC_FRONT_COVER, IDC_COMBO_FRONT_COVER_PAPER,
                   IDC_STATIC_FRONT_COVER_PAPER},
                  front);
        m_.enable({IDC_COMBO_BACK_COVER, IDC_STATIC_BACK_COVER, IDC_COMBO_BACK_COVER_PAPER, IDC_STATIC_BACK_COVER_PAPER},
                  back);
        m_.enable(IDC_BUTTON_COVERS_GROUP, front || back);
        if (back)
            backCoverChanged();
        if (front)
            frontCoverChanged();
    }

    void plexChanged()
    {
        const int plex = sel(IDC_COMBO_PRINTING_MODE);
        job_.setNumber(Field::plexMode, plex);
        coversRule();
        tabs_[kPagePaperExceptions] = !isOneOf(plex, {3, 4, 5});
        pamphletCovers(plex == 5);
        exceptionsAvailability();
        if (postScript())
            postScriptPlexRules(plex);
        stackChanged();
        stapleChanged();
        foldChanged();
        frontCoverChanged();
    }

    // Pamphlets have no cover printed on one side only, and their front cover is named apart.
    void pamphletCovers(bool pamphlets)
    {
        m_.enableEntry(IDC_COMBO_FRONT_COVER, entry::kCoverPrintSide1, !pamphlets);
        if (pamphlets)
            m_.enableEntry(IDC_COMBO_FRONT_COVER, entry::kCoverPrintSide2, false);
        else if (postScript())
            m_.enableEntry(IDC_COMBO_FRONT_COVER, entry::kCoverPrintSide2, true);
        job_.setNumber(Field::notPamphlet, pamphlets ? 0 : 1);
        m_.setCaption(IDC_STATIC_FRONT_COVER, pamphlets ? IDS_FrontCoverLabelPamphlet : IDS_FrontCoverLabel);
    }

    // The PostScript model collates interleaves and pamphlets, and drops their covers.
    void postScriptPlexRules(int plex)
    {
        if (isOneOf(plex, {3, 4, 5}))
            m_.check(IDC_CHECK_COLLATE, true);
        if (isOneOf(plex, {3, 4, 5}))
            m_.select(IDC_COMBO_BACK_COVER, entry::kCoverNone);
        if (isOneOf(plex, {3, 4}))
            m_.select(IDC_COMBO_FRONT_COVER, entry::kCoverNone);
        m_.enable({IDC_EDIT_CHAPTER_PAGES_LIST, IDC_STATIC_CHAPTER_PAGES}, isOneOf(plex, {0, 1, 2, 5}));
        m_.enable(IDC_CHECK_FINISH_CHAPTERS_SEPARATELY, isOneOf(plex, {0, 1, 2}));
    }

    void collateChanged() { job_.setNumber(Field::collate, m_.checked(IDC_CHECK_COLLATE)); }

    // The proof set waits only on the PCL model.
    void proofSetChanged()
    {
        job_.setNumber(Field::proofSet, m_.checked(IDC_CHECK_PRINT_PROOF_SET));
        const bool on = m_.checked(IDC_CHECK_PRINT_PROOF_SET) && !postScript();
        for (int id : kProofLabels)
            m_.enable(id, on);
        m_.enable({IDC_EDIT_PROOF_MINUTES, IDC_COMBO_PROOF_SET_ACTION}, on);
    }

    // Paper exceptions: not with interleaves or pamphlets, and only when every option tab
    // applies; pamphlets on the PostScript model keep them.
    void exceptionsAvailability()
    {
        const int plex = sel(IDC_COMBO_PRINTING_MODE);
        bool available = !isOneOf(plex, {3, 4, 5}) && num(Field::settingsMode) == 0;
        if (plex == 5 && postScript())
            available = true;
        tabs_[kPagePaperExceptions] = available;
    }

    PageModel& m_;
    JobOptions& job_;
    std::array<bool, kPageCount>& tabs_;
    const ItemLockFlags& locks_;
};

// The second job setup page loading a job, after the first page has loaded.
class JobSetup2Load {
public:
    JobSetup2Load(JobSetupModels& models, const JobOptions& asAsked)
        : m_(models.setup2), asked_(asAsked), job_(models.loaded)
    {
    }

    void run()
    {
        setControls();
        statusModeChanged();
        headerPageChanged();
        separatorsChanged();
        const bool pamphlets = job_.number(Field::plexMode) == 5;
        m_.enable({IDC_EDIT_PAMPHLET_PAGES, IDC_STATIC_PAMPHLET_PAGES, IDC_STATIC_PAMPHLET_SHEETS}, pamphlets);
        for (int id : kJobTextLabels)
            m_.enable(id, true);
        m_.enable({IDC_EDIT_JOB_TEXT_1040, IDC_EDIT_JOB_TEXT_1041, IDC_EDIT_JOB_TEXT_1074}, true);
        freeformColorChanged();
    }

private:
    int num(Field f) const { return job_.number(f); }

    void setControls()
    {
        m_.select(IDC_COMBO_MISMATCH_HANDLING, num(Field::mismatchHandling), entries::kMismatchModes);
        m_.check(IDC_CHECK_FREEFORM_COLOR, num(Field::freeformColor) != 0);
        // The document decides the freeform colour box: PCL model, every option tab applying.
        m_.enable(IDC_CHECK_FREEFORM_COLOR, num(Field::printerLanguage) != 0 && num(Field::settingsMode) == 0);
        m_.select(IDC_COMBO_STATUS_MODE, num(Field::statusMode), entries::kStatusModes);
        m_.select(IDC_COMBO_STATUS_PAPER, num(Field::statusPaper));
        m_.check(IDC_CHECK_HEADER_PAGE, num(Field::headerPage) != 0);
        m_.select(IDC_COMBO_HEADER_PAPER, num(Field::headerPaper));
        // A box that was checked while disabled shows checked again while it stays disabled.
        m_.enable(IDC_CHECK_SET_SEPARATORS, separatorsPossible());
        bool separators = num(Field::separators) != 0;
        if (num(Field::separatorsForced) == 1 && !m_.enabled(IDC_CHECK_SET_SEPARATORS)) {
            job_.setNumber(Field::separatorsForced, 0);
            separators = true;
        }
        m_.check(IDC_CHECK_SET_SEPARATORS, separators);
        m_.select(IDC_COMBO_SEPAR_PAPER, num(Field::separatorPaper));
        m_.setText(IDC_EDIT_PAMPHLET_PAGES, std::to_string(num(Field::pamphletPages)));
        m_.setText(IDC_EDIT_JOB_TEXT_1040, job_.text(Field::jobText1040));
        m_.setText(IDC_EDIT_JOB_TEXT_1041, job_.text(Field::jobText1041));
        m_.setText(IDC_EDIT_JOB_TEXT_1074, job_.text(Field::jobText1074));
        m_.setText(IDC_EDIT_EMAIL, job_.text(Field::emailAddress));
    }

    void statusModeChanged()
    {
        const int mode = m_.selection(IDC_COMBO_STATUS_MODE);
        job_.setNumber(Field::statusMode, mode);
        m_.enable({IDC_COMBO_STATUS_PAPER, IDC_STATIC_STATUS_PAGE_PAPER}, mode != 0);
    }

    void headerPageChanged()
    {
        job_.setNumber(Field::headerPage, m_.checked(IDC_CHECK_HEADER_PAGE));
        m_.enable({IDC_COMBO_HEADER_PAPER, IDC_STATIC_HEADER_PAPER},
                  m_.checked(IDC_CHECK_HEADER_PAGE) && m_.enabled(IDC_CHECK_HEADER_PAGE));
    }

    // On the PostScript model separator sheets go with neither pamphlets at exit 0, nor
    // stapling, nor an uncollated job. The job is read as it asks, before the first page put
    // its finishing right: the header writes the stapling the job asks for, so a job that asks
    // for stapling at an exit without a stapler gets no separators either.
    bool separatorsPossible() const
    {
        if (num(Field::printerLanguage) != 0)
            return true;
        const int plex = asked_.number(Field::plexMode);
        const int exit = asked_.number(Field::outputExit);
        return !((plex == 5 && exit == 0) || asked_.number(Field::stapleMode) != entry::kStapleNone
                 || asked_.number(Field::collate) == 0);
    }

    void separatorsChanged()
    {
        m_.enable(IDC_CHECK_SET_SEPARATORS, separatorsPossible());
        const bool on = m_.checked(IDC_CHECK_SET_SEPARATORS) && m_.enabled(IDC_CHECK_SET_SEPARATORS);
        m_.enable({IDC_COMBO_SEPAR_PAPER, IDC_STATIC_SEPAR_PAPER}, on);
        job_.setNumber(Field::separators, on);
    }

    void freeformColorChanged()
    {
        job_.setNumber(Field::freeformColor,
                       m_.checked(IDC_CHECK_FREEFORM_COLOR) && m_.enabled(IDC_CHECK_FREEFORM_COLOR));
    }

    PageModel& m_;
    const JobOptions& asked_;
    JobOptions& job_;
};

// The controls of the lock table on the job setup pages: a rule switching one of them off
// leaves it off, whatever the page rules say.
void applyLocks(JobSetupModels& models, const ItemLockFlags& locks)
{
    PageModel& m = models.setup;
    const std::pair<int, bool> setup[] = {
        {IDC_COMBO_FRONT_COVER, locks.frontCover},   {IDC_COMBO_FRONT_COVER_PAPER, locks.frontCoverPaper},
        {IDC_COMBO_BACK_COVER, locks.backCover},     {IDC_COMBO_BACK_COVER_PAPER, locks.backCoverPaper},
        {IDC_COMBO_STAPLE_MODE, locks.stapleMode},   {IDC_COMBO_FOLD_MODE, locks.foldMode},
        {IDC_COMBO_STACK_MODE, locks.stackMode},     {IDC_EDIT_CHAPTER_PAGES_LIST, locks.chapterPages},
        {IDC_CHECK_FINISH_CHAPTERS_SEPARATELY, locks.finishChapters},
    };
    for (auto [id, allowed] : setup)
        m.enable(id, m.enabled(id) && allowed);
    models.setup2.enable(IDC_COMBO_STATUS_PAPER, models.setup2.enabled(IDC_COMBO_STATUS_PAPER) && locks.statusPaper);
}

} // namespace

JobSetupModels jobSetupRules(const JobOptions& options, const ItemLockFlags& locks)
{
    JobSetupModels models;
    models.loaded = options;
    JobSetupLoad(models, locks).run();
    JobSetup2Load(models, options).run();
    applyLocks(models, locks);
    return models;
}

void reapplyLockedControls(JobSetupModels& models, const JobOptions& options, const ItemLockFlags& locks)
{
    const JobSetupModels fresh = jobSetupRules(options, locks);
    const int setupIds[] = {IDC_COMBO_FRONT_COVER, IDC_COMBO_FRONT_COVER_PAPER, IDC_COMBO_BACK_COVER,
                            IDC_COMBO_BACK_COVER_PAPER,      IDC_COMBO_STAPLE_MODE,  IDC_COMBO_FOLD_MODE,
                            IDC_COMBO_STACK_MODE,            IDC_EDIT_CHAPTER_PAGES_LIST,
                            IDC_CHECK_FINISH_CHAPTERS_SEPARATELY};
    for (int id : setupIds)
        models.setup.enable(id, fresh.setup.enabled(id));
    models.setup2.enable(IDC_COMBO_STATUS_PAPER, fresh.setup2.enabled(IDC_COMBO_STATUS_PAPER));
}

void storeJobSetup(const PageModel& m, IOptionStore& job)
{
    auto checkedAndEnabled = [&](int id) { return m.checked(id) && m.enabled(id); };
    const int copies = m.enabled(IDC_EDIT_NUMBER_COPIES) ? std::max(1, leadingNumber(m.text(IDC_EDIT_NUMBER_COPIES))) : 0;
    job.setNumber(Field::copies, copies);
    job.setNumber(Field::plexMode, m.selection(IDC_COMBO_PRINTING_MODE));
    job.setNumber(Field::collate, m.checked(IDC_CHECK_COLLATE));
    job.setNumber(Field::finishChaptersSeparately, checkedAndEnabled(IDC_CHECK_FINISH_CHAPTERS_SEPARATELY));
    job.setNumber(Field::trimEdges, checkedAndEnabled(IDC_CHECK_TRIM_EDGES));
    job.setText(Field::chapterPages, m.text(IDC_EDIT_CHAPTER_PAGES_LIST));
    job.setNumber(Field::outputExit, m.selection(IDC_COMBO_EXIT_MODE));
    job.setNumber(Field::stackMode, m.selection(IDC_COMBO_STACK_MODE));
    job.setNumber(Field::stapleMode, m.selection(IDC_COMBO_STAPLE_MODE));
    job.setNumber(Field::foldMode, m.selection(IDC_COMBO_FOLD_MODE));
    job.setNumber(Field::fromPage, leadingNumber(m.text(IDC_EDIT_FROM)));
    job.setNumber(Field::toPage, leadingNumber(m.text(IDC_EDIT_TO)));
    job.setNumber(Field::frontCover, m.selection(IDC_COMBO_FRONT_COVER));
    job.setNumber(Field::frontCoverPaper, m.selection(IDC_COMBO_FRONT_COVER_PAPER));
    job.setNumber(Field::backCover, m.selection(IDC_COMBO_BACK_COVER));
    job.setNumber(Field::backCoverPaper, m.selection(IDC_COMBO_BACK_COVER_PAPER));
    job.setNumber(Field::proofSet, checkedAndEnabled(IDC_CHECK_PRINT_PROOF_SET));
    job.setNumber(Field::proofSetMinutes, leadingNumber(m.text(IDC_EDIT_PROOF_MINUTES)));
    job.setNumber(Field::proofSetAction, m.selection(IDC_COMBO_PROOF_SET_ACTION) + 1);
}

void storeJobSetup2(const PageModel& m, IOptionStore& job)
{
    job.setNumber(Field::mismatchHandling, m.selection(IDC_COMBO_MISMATCH_HANDLING));
    job.setNumber(Field::separatorPaper, m.selection(IDC_COMBO_SEPAR_PAPER));
    // A box checked while disabled is stored as cleared and remembered as forced.
    const bool header = m.checked(IDC_CHECK_HEADER_PAGE);
    const bool headerEnabled = m.enabled(IDC_CHECK_HEADER_PAGE);
    job.setNumber(Field::headerPage, header && headerEnabled);
    if (header && !headerEnabled)
        job.setNumber(Field::headerPageForced, 1);
    job.setNumber(Field::headerPaper, m.selection(IDC_COMBO_HEADER_PAPER));
    const bool separators = m.checked(IDC_CHECK_SET_SEPARATORS);
    const bool separatorsEnabled = m.enabled(IDC_CHECK_SET_SEPARATORS);
    if (separators && !separatorsEnabled)
        job.setNumber(Field::separatorsForced, 1);
    job.setNumber(Field::separators, separators && separatorsEnabled);
    job.setNumber(Field::statusMode, m.selection(IDC_COMBO_STATUS_MODE));
    job.setNumber(Field::statusPaper, m.selection(IDC_COMBO_STATUS_PAPER));
    job.setNumber(Field::freeformColor, m.checked(IDC_CHECK_FREEFORM_COLOR));
    job.setNumber(Field::pamphletPages, leadingNumber(m.text(IDC_EDIT_PAMPHLET_PAGES)));
    job.setText(Field::jobText1040, m.text(IDC_EDIT_JOB_TEXT_1040));
    job.setText(Field::jobText1041, m.text(IDC_EDIT_JOB_TEXT_1041));
    job.setText(Field::jobText1074, m.text(IDC_EDIT_JOB_TEXT_1074));
    job.setText(Field::emailAddress, m.text(IDC_EDIT_EMAIL));
}

} // namespace spx
