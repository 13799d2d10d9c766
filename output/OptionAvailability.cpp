#include "OptionAvailability.h"

#include "SpxDoc.h"

namespace spx {

// The state the job setup pages end in after loading a job: the exit rule runs first, the plex
// rule and the covers rule after it, and the item-disabling permissions are applied last.
OptionAvailability computeOptionAvailability(const JobOptions& options, const ItemLockFlags& locks)
{
    const int language = options.number(Field::printerLanguage);
    const bool postScript = language == 0;
    const int plex = options.number(Field::plexMode);
    const int exit = options.number(Field::outputExit);
    const bool plexInterleaves = plex == 3 || plex == 4;

    OptionAvailability a;

    // Stacking: the PostScript model follows the exit alone (every exit but 0 and 6); the PCL
    // model stacks wherever the output does not leave through exits 2, 3 or 6.
    a.stacking = (postScript ? exit != 0 && exit != 6 : exit != 2 && exit != 3 && exit != 6) && locks.stackMode;
    // Folding: exit 0 on the PostScript model, exit 1 on the PCL model.
    a.folding = (postScript ? exit == 0 : exit == 1) && locks.foldMode;

    // Covers: no covers with interleaves, no back cover with pamphlets.
    a.frontCover = !plexInterleaves && locks.frontCover;
    a.backCover = !plexInterleaves && plex != 5 && locks.backCover;
    a.backCoverPaper = a.backCover && options.number(Field::backCover) != 0 && locks.backCoverPaper;

    // Chapters: PostScript model with simplex, duplex, tumbled duplex or pamphlets; PCL model
    // with duplex or tumbled duplex.
    const bool chapters = postScript ? (plex == 0 || plex == 1 || plex == 2 || plex == 5) : (plex == 1 || plex == 2);
    a.chapterPages = chapters && locks.chapterPages;

    // Second job setup page: the header paper follows its check box; the separator box is
    // disabled on the PostScript model for pamphlets at exit 0, for any stapling and without
    // collation, and the separator paper follows the box when it is both checked and enabled.
    a.headerPaper = options.number(Field::headerPage) != 0;
    bool separatorBoxEnabled = true;
    if (postScript)
        separatorBoxEnabled = !((plex == 5 && exit == 0) || options.number(Field::stapleMode) != 0
                                || options.number(Field::collate) == 0);
    a.separatorPaper = separatorBoxEnabled && options.number(Field::separators) != 0;

    // Paper exceptions tab: not with interleaves or pamphlets, and only when every option tab
    // applies; pamphlets on the PostScript model keep it.
    bool exceptions = plex != 3 && plex != 4 && plex != 5 && options.number(Field::settingsMode) == 0;
    if (plex == 5 && postScript)
        exceptions = true;
    a.page5Disabled = !exceptions;
    return a;
}

OptionAvailability computeOptionAvailability(const CSpxDoc& document, const ItemLockFlags& locks)
{
    return computeOptionAvailability(document.options(), locks);
}

} // namespace spx
