// Entry point of the widget tests: one application object for all of them, offscreen, with the
// string table of the source folder and the built resource bundle.
#include <QApplication>
#include <QResource>
#include <gtest/gtest.h>

#include "GuiTestSupport.h"

namespace spx::gui::test {

StringTable& sourceStrings()
{
    static StringTable table;
    return table;
}

} // namespace spx::gui::test

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))   // a test may name a screen of its own
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::string error;
    if (!spx::gui::test::sourceStrings().loadFromFolder(SPX_RESOURCE_DIR "/strings", error)) {
        std::fprintf(stderr, "strings: %s\n", error.c_str());
        return 1;
    }
    return RUN_ALL_TESTS();
}
