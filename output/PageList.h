#pragma once
// Page lists of chapters and paper exceptions as the job header carries them. A list holds page
// numbers, ranges ("5..9", any number of dots), carets ("^4" or "4^") and the word "last",
// separated by spaces or commas.

#include <cstddef>
#include <string>
#include <string_view>

namespace spx {

// Commas become spaces (a run of commas one space) and every "last" becomes "lastpage".
std::string normalisePageList(std::string_view list);

struct PageListExpansion {
    // `continuationLine` is command 130 (two texts), `numberLineStart` command 131, both taken
    // from the loaded command table.
    std::string continuationLine;
    std::string numberLineStart;
    bool stepByTwo = false;      // only every second page of a range (two-sided exceptions)
    bool caretsOnly = false;     // the result is the caret list alone
    size_t byteBudget = 16u << 20;   // a result beyond this counts as memory exhausted
};

// Expands a normalised list. Caret tokens go to the caret list ("^N" as N - 1, "N^" as N, each
// followed by a space); in caret mode that list is the result. Otherwise the other tokens are
// kept: plain text between ranges becomes one continuation line each, and a range a..b becomes
// lines of the number-line start followed by the pages of one span of 20 (from max(a, 1), every
// second page when stepping by two), each page written as a space, its number and a space, the
// line ended by a newline. False when the result would pass the budget.
bool expandPageList(std::string_view normalised, const PageListExpansion& how, std::string& out);

} // namespace spx
