#pragma once
// Ids of the option pages' dialog templates and controls, by the names the item-disabling file
// also uses. A control is found on its page by this id, in the window, the tests and spxjob.

namespace spx::ids {

// Dialog templates: the tab id of a page in the item-disabling rules.
inline constexpr int IDD_TAB_PAPER_EXCEPTIONS = 103;
inline constexpr int IDD_TAB_COLOR_MAPPING = 105;
inline constexpr int IDD_TAB_PRINTER_SELECT = 113;
inline constexpr int IDD_TAB_CUSTOM_OPTIONS = 160;
inline constexpr int IDD_TAB_FILE_SELECT = 211;
inline constexpr int IDD_TAB_JOB_SETUP2 = 2611;
inline constexpr int IDD_TAB_JOB_SETUP = 2617;

// Page indexes of the option sheet.
inline constexpr int kPagePrinterSelect = 0;
inline constexpr int kPageFileSelect = 1;
inline constexpr int kPageJobSetup = 2;
inline constexpr int kPageJobSetup2 = 3;
inline constexpr int kPageCustomOptions = 4;
inline constexpr int kPagePaperExceptions = 5;
inline constexpr int kPageColorMapping = 6;
inline constexpr int kPageCount = 7;

// Job setup page.
inline constexpr int IDC_EDIT_NUMBER_COPIES = 2612;
inline constexpr int IDC_COMBO_PRINTING_MODE = 1152;
inline constexpr int IDC_CHECK_COLLATE = 1092;
inline constexpr int IDC_RADIO_PRINT_RANGE = 1059;
inline constexpr int IDC_RADIO_PRINT_RANGE_FROM = 1060;
inline constexpr int IDC_EDIT_FROM = 1084;
inline constexpr int IDC_EDIT_TO = 1085;
inline constexpr int IDC_STATIC_TO = 1086;
inline constexpr int IDC_COMBO_PAPER = 1008;
inline constexpr int IDC_COMBO_FRONT_COVER = 1024;
inline constexpr int IDC_COMBO_FRONT_COVER_PAPER = 1025;
inline constexpr int IDC_COMBO_BACK_COVER = 1123;
inline constexpr int IDC_COMBO_BACK_COVER_PAPER = 1119;
inline constexpr int IDC_STATIC_FRONT_COVER = 1046;
inline constexpr int IDC_STATIC_FRONT_COVER_PAPER = 1047;
inline constexpr int IDC_STATIC_BACK_COVER = 1124;
inline constexpr int IDC_STATIC_BACK_COVER_PAPER = 1125;
inline constexpr int IDC_BUTTON_COVERS_GROUP = 2621;
inline constexpr int IDC_COMBO_EXIT_MODE = 1017;
inline constexpr int IDC_COMBO_STACK_MODE = 1018;
inline constexpr int IDC_COMBO_STAPLE_MODE = 1019;
inline constexpr int IDC_COMBO_FOLD_MODE = 1020;
inline constexpr int IDC_STATIC_EXIT = 1151;
inline constexpr int IDC_STATIC_STACKING_MODE = 1142;
inline constexpr int IDC_STATIC_STAPLING_MODE = 1143;
inline constexpr int IDC_STATIC_FOLD_MODE = 1045;
inline constexpr int IDC_CHECK_TRIM_EDGES = 1095;
inline constexpr int IDC_CHECK_PRINT_PROOF_SET = 1097;
inline constexpr int IDC_EDIT_PROOF_MINUTES = 1064;
inline constexpr int IDC_COMBO_PROOF_SET_ACTION = 1063;
inline constexpr int IDC_STATIC_PROOF_MODE = 1079;
inline constexpr int kProofLabels[] = {2644, 1080, 1081};
inline constexpr int IDC_EDIT_CHAPTER_PAGES_LIST = 1062;
inline constexpr int IDC_STATIC_CHAPTER_PAGES = 1144;
inline constexpr int IDC_CHECK_FINISH_CHAPTERS_SEPARATELY = 1093;
inline constexpr int IDC_STATIC_PAPER_EXCEPTIONS = 1122;
inline constexpr int IDC_BUTTON_PAGE_HELP = 2638;
inline constexpr int kPaperLabels[] = {2624, 2632, 2634};

// Job setup 2 page.
inline constexpr int IDC_COMBO_STATUS_MODE = 1005;
inline constexpr int IDC_COMBO_STATUS_PAPER = 1118;
inline constexpr int IDC_STATIC_STATUS_MODE = 1149;
inline constexpr int IDC_STATIC_STATUS_PAGE_PAPER = 1150;
inline constexpr int IDC_COMBO_MISMATCH_HANDLING = 1011;
inline constexpr int IDC_STATIC_MISMATCH_HANDLING = 2633;
inline constexpr int IDC_CHECK_HEADER_PAGE = 1095;
inline constexpr int IDC_COMBO_HEADER_PAPER = 1013;
inline constexpr int IDC_STATIC_HEADER_PAPER = 1140;
inline constexpr int IDC_CHECK_SET_SEPARATORS = 1096;
inline constexpr int IDC_COMBO_SEPAR_PAPER = 1014;
inline constexpr int IDC_STATIC_SEPAR_PAPER = 1141;
inline constexpr int IDC_EDIT_PAMPHLET_PAGES = 1015;
inline constexpr int IDC_STATIC_PAMPHLET_SHEETS = 1035;
inline constexpr int IDC_STATIC_PAMPHLET_PAGES = 1042;
inline constexpr int IDC_CHECK_FREEFORM_COLOR = 1094;
inline constexpr int IDC_EDIT_JOB_TEXT_1040 = 1040;
inline constexpr int IDC_EDIT_JOB_TEXT_1041 = 1041;
inline constexpr int IDC_EDIT_JOB_TEXT_1074 = 1074;
inline constexpr int IDC_EDIT_EMAIL = 1075;
inline constexpr int IDC_STATIC_EMAIL = 2631;
inline constexpr int kJobTextLabels[] = {2627, 2628, 2629};

// Strings whose text a rule puts into a label.
inline constexpr int IDS_FrontCoverLabel = 75;
inline constexpr int IDS_FrontCoverLabelPamphlet = 385;

} // namespace spx::ids
