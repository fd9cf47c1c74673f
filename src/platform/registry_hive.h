#pragma once
// The settings store in memory: its keys in the order of the file, each with its values in
// order, and beside each list an index from the name's case-folded form to its place, so that
// a name is found at once however many there are. The index is kept in step by the only calls
// that change a list (set, remove, a key added); nothing else can rename or move an entry.
#include "registry.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

namespace platform {

// The form a name is indexed by. Two names are one (QString::compare without regard to case,
// as the registry compares them) exactly when their folded forms are equal: both fold one
// UTF-16 character or surrogate pair for one, by Unicode's simple case folding ("ß" stays one
// character, so "STRASSE" is another name; "ς", "σ" and "Σ" are one).
QString FoldedName(const QString& name);

struct RegistryValue {
    QString name;
    DWORD type = REG_SZ;
    QByteArray data;
};

class RegistryKey {
public:
    explicit RegistryKey(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    const std::vector<RegistryValue>& values() const { return values_; }

    // The value of that name, nullptr when there is none.
    const RegistryValue* find(const QString& name) const;
    // Gives the value of that name its type and data. A value already there keeps its place
    // and, unless respell, its spelling; a new one is added last.
    void set(const RegistryValue& value, bool respell = false);
    // Removes the value of that name; false when there is none. The values after it move up.
    bool remove(const QString& name);

    // A key of fewer values than this is searched one value after another: an index of its
    // own would cost it more than a kilobyte, and a 4 MiB file may hold tens of thousands of
    // such keys. From that many values on (and after, whatever is removed), the index.
    static constexpr std::size_t kIndexedFrom = 8;

private:
    qsizetype place(const QString& name) const; // -1 when there is none

    QString path_;
    std::vector<RegistryValue> values_;
    QHash<QString, qsizetype> index_; // FoldedName -> place in values_, once there are enough
};

class RegistryHive {
public:
    const std::vector<RegistryKey>& keys() const { return keys_; }

    // The key of that path, nullptr when there is none.
    RegistryKey* find(const QString& path);
    // The key of that path, added last (*added set) when there is none; it keeps its spelling.
    // Adding a key may move the others: a pointer to one is good until the next add.
    RegistryKey& findOrAdd(const QString& path, bool* added = nullptr);

private:
    std::vector<RegistryKey> keys_;
    QHash<QString, qsizetype> index_; // FoldedName -> place in keys_
};

} // namespace platform
