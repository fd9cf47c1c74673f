#pragma once
// The tooltips of a window: one clsToolTip per window with many tips, holding its tooltip
// window. Tips may run over several lines (CR LF) and stay up to 30 seconds.
//
// Windows put texts on their controls only through SetControlToolTip and ClearControlToolTip,
// which fall back on the control's own tooltip text for a control without a window of its own
// (labels, images).
#include "runtime/ToolTipWindow.h"

#include <QPointer>
#include <QString>

class QWidget;

class clsToolTip {
public:
    clsToolTip() = default;
    // Destroys the tooltip window.
    ~clsToolTip();
    clsToolTip(const clsToolTip&) = delete;
    clsToolTip& operator=(const clsToolTip&) = delete;

    // False when the control has no window, or the tooltip window is missing or refuses it
    // (the control already is a tool).
    bool AddTool(QWidget* ctl, const QString& sText);
    // Creates the tooltip window owned by the form, once; true when it exists afterwards.
    bool Create(QWidget* frm);
    // The time (ms) of the TTDT_* selector; only its two low bits count.
    void DelayTime(int which, int milliseconds);
    bool fIsWindow(const QWidget* ctl) const;
    // Whether the control is a tool. A control without a window cannot be one.
    bool HasToolTip(const QWidget* ctl) const;
    // Puts tips into multi-line mode; they never wrap on their own, whatever the width.
    void MaxTipWidth(int width);
    bool RemoveTool(QWidget* ctl);
    int ToolCount() const;
    void ToolTipHeaderShow(bool show) { headerShow_ = show; }

    // The tooltip window, nullptr before Create.
    runtime::ToolTipWindow* Window() const { return window_.data(); }

private:
    int findTool(const QWidget* ctl) const;

    QPointer<runtime::ToolTipWindow> window_;
    QString headerText_;
    bool headerShow_ = false;
};

// Gives the control the tip text: a tool of the tooltip window, or its own tooltip text when
// it cannot be one. A second call replaces the first text.
void SetControlToolTip(clsToolTip& tip, QWidget* ctl, const QString& sText);
// Takes the tip off the control; a windowed control that has no tool is left as it is.
void ClearControlToolTip(clsToolTip& tip, QWidget* ctl);
