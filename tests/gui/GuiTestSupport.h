#pragma once
// Helpers shared by the widget tests.

#include <QResource>
#include <string>

#include "AppContext.h"
#include "Dialogs.h"
#include "StringTable.h"

namespace spx::gui::test {

StringTable& sourceStrings();

// Registers the built bundle (templates, menu, pictures) for one test and gives it a context of
// its own with the source strings and scripted dialogs.
class BundleScope {
public:
    BundleScope() { registered_ = QResource::registerResource(QStringLiteral(SPX_BIN_DIR "/spxlres.rcc")); }
    ~BundleScope()
    {
        if (registered_)
            QResource::unregisterResource(QStringLiteral(SPX_BIN_DIR "/spxlres.rcc"));
    }
    bool ok() const { return registered_; }

    ScriptedDialogs dialogs;
    AppContext context{sourceStrings(), dialogs};

private:
    bool registered_ = false;
};

inline std::string text(int id) { return sourceStrings().text(id); }

} // namespace spx::gui::test
