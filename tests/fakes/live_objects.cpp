#include "live_objects.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QThread>
#include <mutex>
#include <unordered_set>

// Qt's hook table (QtCore exports it for debugging tools): slot 3 is called from the QObject
// constructor, slot 4 from its destructor.
extern quintptr qtHookData[];

namespace {

constexpr int kAddObjectHook = 3;
constexpr int kRemoveObjectHook = 4;
using ObjectHook = void (*)(QObject*);

// Objects are made on every thread (Qt's own workers too): the set has a lock.
std::mutex gLock;
std::unordered_set<QObject*>* gBorn = nullptr;
ObjectHook gPreviousAdd = nullptr;
ObjectHook gPreviousRemove = nullptr;

void added(QObject* object) {
    {
        std::lock_guard<std::mutex> hold(gLock);
        if (gBorn)
            gBorn->insert(object);
    }
    if (gPreviousAdd)
        gPreviousAdd(object);
}

void removed(QObject* object) {
    {
        std::lock_guard<std::mutex> hold(gLock);
        if (gBorn)
            gBorn->erase(object);
    }
    if (gPreviousRemove)
        gPreviousRemove(object);
}

QString describe(const QObject* object) {
    QString text = QString::fromLatin1(object->metaObject()->className());
    if (!object->objectName().isEmpty())
        text += QStringLiteral(" '%1'").arg(object->objectName());
    if (const QObject* parent = object->parent())
        text +=
            QStringLiteral(" <- %1").arg(QString::fromLatin1(parent->metaObject()->className()));
    return text;
}

} // namespace

LiveObjects::LiveObjects() {
    {
        std::lock_guard<std::mutex> hold(gLock);
        gBorn = new std::unordered_set<QObject*>();
    }
    gPreviousAdd = reinterpret_cast<ObjectHook>(qtHookData[kAddObjectHook]);
    gPreviousRemove = reinterpret_cast<ObjectHook>(qtHookData[kRemoveObjectHook]);
    qtHookData[kAddObjectHook] = reinterpret_cast<quintptr>(&added);
    qtHookData[kRemoveObjectHook] = reinterpret_cast<quintptr>(&removed);
}

LiveObjects::~LiveObjects() {
    qtHookData[kAddObjectHook] = reinterpret_cast<quintptr>(gPreviousAdd);
    qtHookData[kRemoveObjectHook] = reinterpret_cast<quintptr>(gPreviousRemove);
    std::lock_guard<std::mutex> hold(gLock);
    delete gBorn;
    gBorn = nullptr;
}

QStringList LiveObjects::Left() const {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList left;
    std::lock_guard<std::mutex> hold(gLock);
    if (!gBorn)
        return left;
    // Threads, and what lives in them, are not the window's: Qt's global pool keeps an idle
    // worker for half a minute, whoever asked for it.
    for (QObject* object : *gBorn)
        if (!qobject_cast<QThread*>(object) &&
            object->thread() == QCoreApplication::instance()->thread())
            left.append(describe(object));
    left.sort();
    return left;
}
