#include "registry_hive.h"

namespace platform {

QString FoldedName(const QString& name) {
    // Qt folds a string as QString::compare folds each character, one for one (checked for
    // every code point in tests/core/store_names_test.cpp).
    return name.toCaseFolded();
}

qsizetype RegistryKey::place(const QString& name) const {
    if (values_.size() < kIndexedFrom && index_.isEmpty()) {
        for (std::size_t i = 0; i < values_.size(); ++i)
            if (values_[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return qsizetype(i);
        return -1;
    }
    return index_.value(FoldedName(name), -1);
}

const RegistryValue* RegistryKey::find(const QString& name) const {
    const qsizetype at = place(name);
    return at < 0 ? nullptr : &values_[std::size_t(at)];
}

void RegistryKey::set(const RegistryValue& value, bool respell) {
    qsizetype at = -1;
    if (!index_.isEmpty()) {
        // One fold and one hash look-up whether the name is there or not.
        const qsizetype before = index_.size();
        qsizetype& slot = index_[FoldedName(value.name)];
        if (index_.size() > before)
            slot = qsizetype(values_.size());
        else
            at = slot;
    } else {
        at = place(value.name);
    }
    if (at >= 0) {
        RegistryValue& stored = values_[std::size_t(at)];
        if (respell)
            stored.name = value.name;
        stored.type = value.type;
        stored.data = value.data;
        return;
    }
    values_.push_back(value);
    if (index_.isEmpty() && values_.size() == kIndexedFrom) {
        index_.reserve(qsizetype(kIndexedFrom) * 2);
        for (std::size_t i = 0; i < values_.size(); ++i)
            index_.insert(FoldedName(values_[i].name), qsizetype(i));
    }
}

bool RegistryKey::remove(const QString& name) {
    const qsizetype at = place(name);
    if (at < 0)
        return false;
    values_.erase(values_.begin() + at);
    if (!index_.isEmpty()) {
        index_.remove(FoldedName(name));
        for (qsizetype& p : index_)
            if (p > at)
                --p;
    }
    return true;
}

RegistryKey* RegistryHive::find(const QString& path) {
    const auto it = index_.constFind(FoldedName(path));
    return it == index_.cend() ? nullptr : &keys_[std::size_t(*it)];
}

RegistryKey& RegistryHive::findOrAdd(const QString& path, bool* added) {
    const QString folded = FoldedName(path);
    const auto it = index_.constFind(folded);
    if (added)
        *added = it == index_.cend();
    if (it != index_.cend())
        return keys_[std::size_t(*it)];
    index_.insert(folded, qsizetype(keys_.size()));
    return keys_.emplace_back(path);
}

} // namespace platform
