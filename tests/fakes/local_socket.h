#pragma once
// A client of a local (Unix-domain) stream socket, as the program's servers take them.
#include <QString>
#include <string>

// A connected, non-blocking socket to the path, or -1 (no server there, a path too long for a
// socket address, or no descriptor left).
int ConnectLocal(const QString& path);

// What the server said on the socket until it closed the connection (running the event loop
// meanwhile); "<open>" when it still holds the connection after ms.
std::string UntilClosed(int fd, int ms);

// Sends the line and gives the first line of the answer, LF included ("" when none came
// within 10 s, or the server closed the connection first).
std::string AskLine(int fd, const std::string& line);
