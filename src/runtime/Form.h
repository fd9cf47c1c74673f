#pragma once
// A form: a top-level window with a design name, in the collection of loaded forms while it
// exists. Form_Load runs once, when the form is first loaded or shown.
#include "platform/wintypes.h"

#include <QList>
#include <QWidget>

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString& name, QWidget* parent = nullptr);
    ~Form() override;

    QString Name() const { return name_; }
    HWND hWnd() const { return hwnd_; }
    bool IsLoaded() const { return loaded_; }

    // Runs Form_Load once.
    void Load();
    // vbModeless 0, vbModal 1: a modal show returns when the form is hidden or unloaded.
    void Show(int modal = 0);
    // Asks Form_QueryUnload (from code: unloadMode 1), then runs Form_Unload and deletes the
    // form later. Returns false when the unload was cancelled.
    bool Unload();
    // The same for another source of the request (vbFormControlMenu, vbAppWindows...).
    bool UnloadFrom(int unloadMode) { return runUnload(unloadMode); }
    // Centres the form over a window that is shown and not minimised, kept inside that window's
    // work area; otherwise on the work area. A form not shown yet is placed as it is shown.
    void CenterOver(const QWidget* window);

protected:
    virtual void Form_Load() {}
    // Set *cancel to true to keep the form. unloadMode: 0 close box, 1 code, 2 session end.
    virtual void Form_QueryUnload(int* cancel, int unloadMode) {}
    virtual void Form_Unload(int* cancel) {}

    // Moves the form to the middle of the primary screen's work area (the desktop less its
    // panels); nothing happens without a screen.
    void CenterOnWorkArea();

    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool runUnload(int unloadMode);

    QString name_;
    HWND hwnd_ = 0;
    bool loaded_ = false;
    bool unloading_ = false;
};

// The loaded forms, in the order they were loaded.
QList<Form*> Forms();
// The loaded form of that design name (in any case), nullptr when none is loaded.
Form* FindForm(const QString& name);

constexpr int vbModeless = 0;
constexpr int vbModal = 1;
constexpr int vbFormControlMenu = 0;
constexpr int vbFormCode = 1;
constexpr int vbAppWindows = 2;
