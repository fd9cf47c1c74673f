#pragma once
// A client of a local (Unix-domain) stream socket, as the program's servers take them.
#include <QString>

// A connected, non-blocking socket to the path, or -1 (no server there, a path too long for a
// socket address, or no descriptor left).
int ConnectLocal(const QString& path);
