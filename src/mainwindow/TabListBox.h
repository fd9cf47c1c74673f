#pragma once
// A list box whose rows are columns separated by tab characters, drawn at the list's tab
// stops. Stops are in dialog units: a quarter of the average character width of the font.
#include <QList>
#include <QListWidget>

class TabListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TabListBox(QWidget* parent = nullptr);

    void SetTabStops(const QList<int>& stops) {
        stops_ = stops;
        viewport()->update();
    }
    const QList<int>& TabStops() const { return stops_; }
    // The x position in pixels where each tab-separated column of text starts.
    QList<int> ColumnPositions(const QString& text) const;

    void AddItem(const QString& text) { addItem(text); }
    void Clear() { clear(); }
    int ListCount() const { return count(); }
    QString List(int index) const;
    // Text and back colours, 0x00BBGGRR or system colours.
    void SetColors(std::int32_t foreColor, std::int32_t backColor);

private:
    QList<int> stops_;
};
