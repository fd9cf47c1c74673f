#include "ToolTipWindow.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QToolTip>
#include <QWidget>

namespace runtime {

bool IsWindowedControl(const QWidget* control) {
    return control && !qobject_cast<const QLabel*>(control);
}

ToolTipWindow::ToolTipWindow(QWidget* owner) : QObject(owner) {}

ToolTipWindow::~ToolTipWindow() {
    for (const Tool& t : tools_)
        if (t.control)
            t.control->removeEventFilter(this);
}

int ToolTipWindow::indexOf(const QWidget* control) const {
    for (int i = 0; i < tools_.size(); ++i)
        if (tools_[i].control == control)
            return i;
    return -1;
}

bool ToolTipWindow::addTool(QWidget* control, const QString& text) {
    if (!IsWindowedControl(control) || indexOf(control) >= 0)
        return false;
    control->installEventFilter(this);
    // A tool whose control goes away leaves the list with it.
    const auto gone = connect(control, &QObject::destroyed, this, [this, control] {
        for (int i = tools_.size() - 1; i >= 0; --i)
            if (!tools_[i].control || tools_[i].control == control)
                tools_.removeAt(i);
    });
    tools_.append(Tool{control, text, gone});
    return true;
}

bool ToolTipWindow::delTool(QWidget* control) {
    const int i = indexOf(control);
    if (i < 0 || !control)
        return false;
    disconnect(tools_[i].gone);
    tools_.removeAt(i);
    control->removeEventFilter(this);
    if (QToolTip::isVisible())
        QToolTip::hideText();
    return true;
}

int ToolTipWindow::toolCount() const {
    return static_cast<int>(tools_.size());
}

QWidget* ToolTipWindow::tool(int index) const {
    return index >= 0 && index < tools_.size() ? tools_[index].control.data() : nullptr;
}

QString ToolTipWindow::toolText(int index) const {
    return index >= 0 && index < tools_.size() ? tools_[index].text : QString();
}

void ToolTipWindow::setDelayTime(int which, int milliseconds) {
    switch (which & 3) {
    case TTDT_AUTOMATIC:
        autoPop_ = initial_ = reshow_ = -1;
        break;
    case TTDT_RESHOW:
        reshow_ = milliseconds;
        break;
    case TTDT_AUTOPOP:
        autoPop_ = milliseconds;
        break;
    case TTDT_INITIAL:
        initial_ = milliseconds;
        break;
    }
}

int ToolTipWindow::delayTime(int which) const {
    switch (which & 3) {
    case TTDT_RESHOW:
        return reshow_;
    case TTDT_AUTOPOP:
        return autoPop_;
    case TTDT_INITIAL:
        return initial_;
    default:
        return -1;
    }
}

QString ToolTipWindow::tipMarkup(const QString& text) {
    if (text.isEmpty())
        return {};
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(lineEnd);
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    return QStringLiteral("<p style='white-space:pre'>") + lines.join(QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

bool ToolTipWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    auto* control = qobject_cast<QWidget*>(watched);
    const int i = indexOf(control);
    if (i < 0)
        return QObject::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString markup = tipMarkup(tools_[i].text);
    if (markup.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), markup, control, QRect(), autoPop_);
    return true;
}

} // namespace runtime
