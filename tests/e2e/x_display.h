#pragma once
// Reads an X display from outside, as xdotool, xprop and xwininfo do, but over one connection of
// the test's own: on a busy machine a question is a round trip to the server, not a process.
#include <QList>
#include <QMap>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

struct xcb_connection_t;

class XDisplay {
public:
    using Wid = qulonglong;
    enum class Match { Name, Class, Instance };

    explicit XDisplay(const QString& display); // ":5"
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool connected() const;
    Wid root() const { return root_; }

    // Every window in the tree whose name (_NET_WM_NAME, else WM_NAME), WM_CLASS class or
    // instance matches, without regard to case; only the viewable ones unless told otherwise.
    QList<Wid> search(Match how, const QString& pattern, bool visibleOnly = true);
    // An ATOM property as the atoms' names ("_NET_WM_STATE_ABOVE, ..."), a text property as
    // its text; "" when the window or the property is gone.
    QString property(Wid w, const char* name);
    // A WINDOW or CARDINAL list property (the root's _NET_CLIENT_LIST_STACKING...).
    QList<Wid> ids(Wid w, const char* name);
    bool viewable(Wid w);
    // A window of its own on the screen that the window manager leaves alone (a menu, a tip):
    // a child of the root that is override-redirect.
    bool popup(Wid w);
    // The window's place on the screen and its size; empty when it is gone.
    QRect geometry(Wid w);
    // The same with the frame the window manager put around it (_NET_FRAME_EXTENTS: borders
    // and title bar); nullopt while the window manager has not said what the frame is.
    std::optional<QRect> frameGeometry(Wid w);
    // Where windows may lie: the window manager's work area (_NET_WORKAREA of the first
    // desktop), else the whole root window.
    QRect workArea();

private:
    unsigned atom(const char* name);
    QString atomName(unsigned atom);
    QByteArray raw(Wid w, unsigned property, unsigned* type, int* format);
    void walk(Wid w, QList<Wid>* all);

    xcb_connection_t* c_ = nullptr;
    Wid root_ = 0;
    QMap<QByteArray, unsigned> atoms_;
    QMap<unsigned, QString> names_;
};

// A window's place as xwininfo and X geometry strings write it: "668x657+958+663".
std::string GeometryText(const QRect& r);
