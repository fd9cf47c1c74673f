#pragma once
// The tooltip window of a form: tools (controls) with their tip texts, shown as the desktop's
// tooltips. Tip texts break into lines only at their own line ends, and stay for the display
// time set (TTDT_AUTOPOP) instead of the desktop's short default.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

class QWidget;

constexpr int TTDT_AUTOMATIC = 0;
constexpr int TTDT_RESHOW = 1;
constexpr int TTDT_AUTOPOP = 2;
constexpr int TTDT_INITIAL = 3;

namespace runtime {

// Whether a control has a window of its own. Labels, and the images shown in labels, have
// none: they take tips only through their own tooltip text.
bool IsWindowedControl(const QWidget* control);

class ToolTipWindow : public QObject {
    Q_OBJECT
public:
    // The window belongs to the owner form and goes with it.
    explicit ToolTipWindow(QWidget* owner);
    ~ToolTipWindow() override;

    // False when the control has no window of its own or already is a tool.
    bool addTool(QWidget* control, const QString& text);
    bool delTool(QWidget* control);
    int toolCount() const;
    // The tool at the index, nullptr past the end (or when its control is gone).
    QWidget* tool(int index) const;
    QString toolText(int index) const;

    // Below 1 means no limit; the tips never wrap lines on their own either way.
    void setMaxTipWidth(int width) { maxTipWidth_ = width < 1 ? -1 : width; }
    int maxTipWidth() const { return maxTipWidth_; }
    // which: TTDT_*; TTDT_AUTOMATIC resets the others to the desktop's own times (-1).
    void setDelayTime(int which, int milliseconds);
    int delayTime(int which) const;

    // What a tip shows: rich text whose lines are the text's lines (CR LF, LF or CR), each
    // kept whole.
    static QString tipMarkup(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Tool {
        QPointer<QWidget> control;
        QString text;
        // The watch on the control's end; a tool removed takes it along, so a control whose
        // tip is set again and again keeps one.
        QMetaObject::Connection gone;
    };
    int indexOf(const QWidget* control) const;

    QVector<Tool> tools_;
    int maxTipWidth_ = 0;
    int autoPop_ = -1;
    int initial_ = -1;
    int reshow_ = -1;
};

} // namespace runtime
