#pragma once
// Command ids of the menu, the accelerators and the dialog bar.

namespace spx::gui {

enum CommandId {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_MRU_FILE1 = 57616,     // the recent job files' place on the File menu
    ID_EDIT_CLEAR = 57632,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_SEND = 1034,                // the send button of the dialog bar
    ID_MENU_LOCK = 32771,          // Enable/Disable the administrator menus
    ID_PAPER_CATALOGUE = 32772,
    ID_CHANGE_PASSWORD = 32773,
    ID_QUIT = 32774,               // asks, then exits
    ID_HELP_CONTENTS = 32776,
    ID_REFRESH = 32778,            // also F5
};

} // namespace spx::gui
