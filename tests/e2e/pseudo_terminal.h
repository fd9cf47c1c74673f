#pragma once
// A command run in a terminal of its own, as a user runs it: a new session whose controlling
// terminal is a pseudo-terminal, the command in its foreground process group. The test reads
// what the terminal shows and types into it (Ctrl+C is "\x03"); whatever of the session is still
// there when the object goes is killed.
#include <QByteArray>
#include <QStringList>
#include <sys/types.h>

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Starts the program (a path) with the arguments and exactly the environment ("NAME=value"
    // each); false when it could not be started.
    bool start(const QString& program, const QStringList& arguments,
               const QStringList& environment);
    // The session's leader, the command itself (0 before the start).
    pid_t pid() const { return pid_; }

    // Types the bytes, as from the keyboard.
    bool type(const QByteArray& keys);
    // All the terminal has shown so far.
    QByteArray output();
    // Whether the command has ended; waits up to ms for it. Its wait status is in status().
    bool waitForEnd(int ms);
    bool ended() const { return ended_; }
    int status() const { return status_; }

private:
    void read();
    int master_ = -1;
    pid_t pid_ = 0;
    bool ended_ = false;
    int status_ = 0;
    QByteArray output_;
};
