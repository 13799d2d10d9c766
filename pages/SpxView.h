#pragma once
// CSpxView: the single view of the job. It creates and owns the option sheet with its seven
// pages, fits the window around them, and carries the commands that act on the whole job.

#include <QWidget>

#include "AppContext.h"
#include "SpxDoc.h"

namespace spx::gui {

class CQPropertySheet;
class CPrinterSelectPage;

class CSpxView : public QWidget, public IDocumentViews {
    Q_OBJECT
public:
    explicit CSpxView(AppContext& context, QWidget* parent = nullptr);
    ~CSpxView() override;

    CSpxDoc* document() const { return document_; }
    CQPropertySheet* sheet() const { return sheet_; }
    CPrinterSelectPage* printerPage() const;

    // The first call creates the sheet and its pages; false when that fails (start-up ends).
    // Later calls (a new or reopened job) reload every page from the document.
    bool OnInitialUpdate();
    // The document changed as a whole: reload the active page, show the page the job names
    // and apply its settings mode to the tabs.
    void OnUpdate();

    void LoadActive(bool all);
    void SaveActive();

    bool IsUnlocked() const { return lockFlag == 0; }
    void SetMenuOpen(bool open) { menuOpen = open; }
    void RefreshQueuesOnActivate();
    bool CanClose() const { return true; }
    // The send command (send button, Print, Ctrl+P). The checks and the send loop come with
    // the printer page; until then the command changes nothing.
    void OnSendCommand();

    // IDocumentViews
    bool validateAndStorePages() override;
    void showLoadedValues() override;
    void releasePrinterData() override {}
    void modifiedChanged(bool modified) override { emit jobModifiedChanged(modified); }

    int lockFlag = 1;
    bool sending = false;
    bool menuOpen = false;
    bool firstUpdate = true;

signals:
    // The sheet exists and has its final size: the frame fits itself around the view.
    void sheetCreated();
    // The job's modified flag changed.
    void jobModifiedChanged(bool modified);

private:
    bool createSheet();
    void refreshSettingsPages();

    AppContext& context_;
    CSpxDoc* document_;
    CQPropertySheet* sheet_ = nullptr;
};

} // namespace spx::gui
