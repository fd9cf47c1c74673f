#include "clsToolTip.h"

#include <QWidget>

clsToolTip::~clsToolTip() {
    delete window_.data();
}

bool clsToolTip::Create(QWidget* frm) {
    if (!window_ && frm)
        window_ = new runtime::ToolTipWindow(frm);
    return !window_.isNull();
}

void clsToolTip::MaxTipWidth(int width) {
    if (window_)
        window_->setMaxTipWidth(width < 1 ? -1 : width);
}

void clsToolTip::DelayTime(int which, int milliseconds) {
    if (window_)
        window_->setDelayTime(which & 3, milliseconds);
}

bool clsToolTip::fIsWindow(const QWidget* ctl) const {
    return runtime::IsWindowedControl(ctl);
}

int clsToolTip::findTool(const QWidget* ctl) const {
    if (!window_ || !ctl)
        return -1;
    for (int i = 0; i < window_->toolCount(); ++i)
        if (window_->tool(i) == ctl)
            return i;
    return -1;
}

bool clsToolTip::HasToolTip(const QWidget* ctl) const {
    return fIsWindow(ctl) && findTool(ctl) >= 0;
}

bool clsToolTip::AddTool(QWidget* ctl, const QString& sText) {
    if (!fIsWindow(ctl) || !window_)
        return false;
    if (findTool(ctl) >= 0)
        return false;
    QString text = sText;
    if (!text.isEmpty() && headerShow_ && !headerText_.isEmpty())
        text = headerText_ + QStringLiteral("\r\n") + text;
    return window_->addTool(ctl, text);
}

bool clsToolTip::RemoveTool(QWidget* ctl) {
    if (!window_ || findTool(ctl) < 0)
        return false;
    return window_->delTool(ctl);
}

int clsToolTip::ToolCount() const {
    return window_ ? window_->toolCount() : 0;
}

void SetControlToolTip(clsToolTip& tip, QWidget* ctl, const QString& sText) {
    if (!ctl)
        return;
    if (tip.HasToolTip(ctl))
        tip.RemoveTool(ctl);
    if (!tip.AddTool(ctl, sText))
        ctl->setToolTip(sText);
}

void ClearControlToolTip(clsToolTip& tip, QWidget* ctl) {
    if (!ctl)
        return;
    // A control without a window holds its tip itself; clear it there.
    if (!tip.fIsWindow(ctl)) {
        ctl->setToolTip(QString());
        return;
    }
    if (tip.HasToolTip(ctl) && !tip.RemoveTool(ctl))
        ctl->setToolTip(QString());
}
