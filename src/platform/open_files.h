#pragma once
// The process's limit on open files, and how much of it the local servers' clients may take.
//
// Every client of the data server or the window hand-over holds a descriptor for as long as it
// stays connected. Descriptors must always remain for the rest of the program: Qt and GLib (each
// thread's event loop needs one), D-Bus, ALSA, the settings store, the dialogs and the files the
// program reads. The soft limit is raised to the hard one at start, and the servers take at most
// as many clients as leave a reserve free under the limit in force.
namespace platform {

// Raises the soft limit on open files to the hard limit (at most to 65,536: the programs this
// one starts inherit it); returns the soft limit then in force (also when it could not be
// raised).
long RaiseOpenFileLimit();
// The soft limit the start sets for those limits: the hard one, at most 65,536, never lower
// than the soft one was.
unsigned long long RaisedSoftLimit(unsigned long long soft, unsigned long long hard);
// The soft limit on open files now.
long OpenFileLimit();

// Descriptors kept free for the program itself: a quarter of the limit, at least 160.
long ReservedDescriptors(long openFileLimit);
// The most clients the data server takes at once under that limit: what the reserve, the
// hand-over's clients and both servers' clients being turned away leave, at most 1024 and at
// least an eighth of the limit (so a tiny limit still serves a few).
int DataServerClientCap(long openFileLimit);
// The hand-over socket's clients are other starts of this program: a few at once are plenty.
constexpr int kHandoverClientCap = 8;
// Clients past a server's cap that it keeps at once while it turns them away.
constexpr int kTurnedAwayAtOnce = 16;

} // namespace platform
