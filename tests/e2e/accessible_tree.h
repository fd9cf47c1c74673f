#pragma once
// Reads a running program's controls from outside, as a screen reader does: over the desktop's
// accessibility bus (AT-SPI), which the session bus's org.a11y.Bus names. Each question is a
// D-Bus call to the program; a program that does not answer within the call's deadline gives
// nothing.
#include <QDBusConnection>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class AccessibleTree {
public:
    // Connects to the accessibility bus of the session bus at that address and switches
    // accessibility on for the programs that start on it.
    explicit AccessibleTree(const QString& sessionBusAddress);
    ~AccessibleTree();
    AccessibleTree(const AccessibleTree&) = delete;
    AccessibleTree& operator=(const AccessibleTree&) = delete;

    bool connected() const;

    // A control as the program describes it, with its place on the screen.
    struct Control {
        QString name;
        QString role;
        QRect onScreen;
        bool showing = false;
    };
    // The controls of the program's top-level windows whose names match the pattern, depth
    // first; empty while the program is not on the bus or has no such window.
    QList<Control> controls(qint64 pid, const QString& windowName);

private:
    struct Ref {
        QString service;
        QString path;
    };
    QList<Ref> children(const Ref& ref);
    QString name(const Ref& ref);
    std::optional<Ref> application(qint64 pid);
    void collect(const Ref& ref, int depth, QList<Control>* out);

    QDBusConnection bus_;
};
