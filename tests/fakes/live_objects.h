#pragma once
// The QObjects born while a piece of code ran that are still alive: what a closed window, a
// finished command or a dropped connection left behind. Qt calls its object hooks (the ones
// debugging tools use) at every QObject's construction and destruction; the counter chains to
// any hook that was installed before it.
#include <QObject>
#include <QString>
#include <QStringList>

class LiveObjects {
public:
    // Starts counting: from now on every QObject made is remembered until it is destroyed.
    LiveObjects();
    // Stops counting.
    ~LiveObjects();
    LiveObjects(const LiveObjects&) = delete;
    LiveObjects& operator=(const LiveObjects&) = delete;

    // The objects of the application's thread made since the start and not destroyed yet,
    // after deferred deletions have run: "ClassName 'objectName' <- parent class", sorted, one
    // entry each. Threads and the objects living in other threads are not counted.
    QStringList Left() const;
};
