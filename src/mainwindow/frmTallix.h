#pragma once
// The main window. Its behaviour is spread over frmTallix_<area>.cpp files, one per area; the
// members below are grouped the same way.
#include "runtime/Form.h"

class frmTallix : public Form {
    Q_OBJECT
public:
    explicit frmTallix(QWidget* parent = nullptr);

    // ---- prayer computation ----

    // ---- date names ----
    // Fills the month and weekday name tables from the string table (in lower case when the
    // locale writes its names so) and the month items of the export and print submenus.
    void TranslateDateNames();
    // File menu submenus and their month items 1..12 (item 0 is never created).
    class QMenu* mnuExportGregorian = nullptr;
    class QMenu* mnuExportHijri = nullptr;
    class QMenu* mnuPrintGregorian = nullptr;
    class QMenu* mnuPrintHijri = nullptr;
    class QAction* mnuExportMonthGregorian[13] = {};
    class QAction* mnuExportMonthHijri[13] = {};
    class QAction* mnuPrintMonthGregorian[13] = {};
    class QAction* mnuPrintMonthHijri[13] = {};

private:
    void initDateNames();
    bool IsMonthNameCapitalized();
    bool IsWeekdayNameCapitalized();

public:
    // ---- sound, mute, tray icon and Kaaba pictures ----

    // ---- clock face, tooltips, fonts and system queries ----

protected:
    void Form_Load() override;
};

// The one main window of the process, while it exists.
frmTallix* MainWindow();
