#pragma once
// The page order of the option sheet and the dialog template ids.

namespace spx::gui {

// The page order of the sheet: the index is the tab position and what the job document keeps
// as the active page.
enum PageIndex {
    PagePrinterSelect = 0,
    PageFileSelect = 1,
    PageJobSetup = 2,
    PageJobSetup2 = 3,
    PageCustomOptions = 4,
    PagePaperExceptions = 5,
    PageColorMapping = 6,
    PageCount = 7,
};

// Dialog templates.
enum TemplateId {
    IDD_TAB_PRINTER_SELECT = 113,
    IDD_TAB_FILE_SELECT = 211,
    IDD_TAB_JOB_SETUP = 2617,
    IDD_TAB_JOB_SETUP2 = 2611,
    IDD_TAB_CUSTOM_OPTIONS = 160,
    IDD_TAB_PAPER_EXCEPTIONS = 103,
    IDD_TAB_COLOR_MAPPING = 105,
    IDD_PAPER_INFO = 223,
    IDD_DIALOG_BAR = 159,
    IDD_ABOUTBOX = 100,
};

} // namespace spx::gui
