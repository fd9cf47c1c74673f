#include "registry_hive.h"

namespace platform {

QString FoldedName(const QString& name) {
    // Qt folds a string as QString::compare folds each character, one for one (checked for
    // every code point in tests/core/store_names_test.cpp).
    return name.toCaseFolded();
}

const RegistryValue* RegistryKey::find(const QString& name) const {
    const auto it = index_.constFind(FoldedName(name));
    return it == index_.cend() ? nullptr : &values_[std::size_t(*it)];
}

void RegistryKey::set(const RegistryValue& value, bool respell) {
    const QString folded = FoldedName(value.name);
    const auto it = index_.constFind(folded);
    if (it == index_.cend()) {
        index_.insert(folded, qsizetype(values_.size()));
        values_.push_back(value);
        return;
    }
    RegistryValue& stored = values_[std::size_t(*it)];
    if (respell)
        stored.name = value.name;
    stored.type = value.type;
    stored.data = value.data;
}

bool RegistryKey::remove(const QString& name) {
    const auto it = index_.find(FoldedName(name));
    if (it == index_.end())
        return false;
    const qsizetype place = *it;
    index_.erase(it);
    values_.erase(values_.begin() + place);
    if (place < qsizetype(values_.size()))
        for (qsizetype& p : index_)
            if (p > place)
                --p;
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
