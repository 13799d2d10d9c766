#pragma once
// Helpers shared by the widget tests.

#include <QResource>
#include <string>

#include "GuiStrings.h"
#include "StringTable.h"

namespace spx::gui::test {

StringTable& sourceStrings();

// Registers the built bundle (templates, menu, pictures) and the source strings for one test.
class BundleScope {
public:
    BundleScope()
    {
        registered_ = QResource::registerResource(QStringLiteral(SPX_BIN_DIR "/spxlres.rcc"));
        setStringTable(&sourceStrings());
    }
    ~BundleScope()
    {
        setStringTable(nullptr);
        if (registered_)
            QResource::unregisterResource(QStringLiteral(SPX_BIN_DIR "/spxlres.rcc"));
    }
    bool ok() const { return registered_; }

private:
    bool registered_ = false;
};

inline std::string text(int id) { return sourceStrings().text(id); }

} // namespace spx::gui::test
