#pragma once
// Process-wide state that the application object keeps and the pages read: the Ctrl-held flag
// of the keystroke filter, whether Alt mnemonics are forwarded to the pages, the control enable
// table and the start-up record.

#include <array>
#include <string>

namespace spx::gui {

struct StartupRecord {
    int value = 0;                 // the printer page reads this one
    std::string text;              // string 61210
    std::array<char, 6> marks{};   // first characters of strings 61204..61209
    char mark = 0;                 // first character of string 61214
};

struct AppState {
    bool ctrlHeld = false;                     // a Ctrl key is down
    bool mnemonicForwardingSuppressed = false; // the view runs modal work
    std::array<int, 12> controlEnable{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::string controlEnableText;
    std::array<char, 4> menuMnemonics{};       // letters of the first four menu titles
    StartupRecord startup;
};

AppState& appState();

} // namespace spx::gui
