#pragma once
// A list box whose rows are columns separated by tab characters, drawn at the list's tab
// stops. Stops are in dialog units: a quarter of the average character width of the font, or
// of its Latin letters where those are narrower (a CJK font's average counts its full-width
// ideographs; the rows are Latin letters and digits). Rows wider than the list scroll
// sideways, and a title list set with ScrollTitle moves with them.
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
    // The width in pixels a row needs, its margins included.
    int RowWidth(const QString& text) const;
    // The width of the widest row, the title list's included.
    int RowsWidth() const;
    // The width of the title list's row; 0 without one.
    int TitleWidth() const;
    // The height the sideways scroll bar takes when the rows are wider than the list, else 0.
    int ScrollBarRoom() const;
    // The title list (one row, no scroll bar of its own) that moves sideways with this list.
    void ScrollTitle(TabListBox* title);
    // How far the rows are drawn moved to the left, in pixels (a title list's).
    void SetDrawOffset(int pixels);
    int DrawOffset() const { return offset_; }

    void AddItem(const QString& text) { addItem(text); }
    void Clear() { clear(); }
    int ListCount() const { return count(); }
    QString List(int index) const;
    // Text and back colours, 0x00BBGGRR or system colours.
    void SetColors(std::int32_t foreColor, std::int32_t backColor);

private:
    double unit() const;

    QList<int> stops_;
    int offset_ = 0;
    TabListBox* title_ = nullptr;
};
