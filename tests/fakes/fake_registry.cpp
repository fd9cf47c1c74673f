#include "fake_registry.h"

namespace {
QString user(const QString& sub) {
    return QStringLiteral("HKEY_CURRENT_USER\\") + sub;
}
} // namespace

bool FakeRegistry::keyExists(const QString& key) {
    return !failCreate && keys.contains(key.toLower());
}

LONG FakeRegistry::createKey(const QString& key, bool* created) {
    if (failCreate)
        return ERROR_ACCESS_DENIED;
    *created = !keys.contains(key.toLower());
    keys[key.toLower()];
    return ERROR_SUCCESS;
}

LONG FakeRegistry::queryValue(const QString& key, const QString& name, DWORD* type,
                              QByteArray* data) {
    if (failQuery)
        return ERROR_ACCESS_DENIED;
    const auto k = keys.constFind(key.toLower());
    if (k == keys.constEnd() || !k->contains(name.toLower()))
        return ERROR_FILE_NOT_FOUND;
    const auto& v = (*k)[name.toLower()];
    *type = v.first;
    *data = v.second;
    return ERROR_SUCCESS;
}

LONG FakeRegistry::setValue(const QString& key, const QString& name, DWORD type,
                            const QByteArray& data) {
    if (failSet)
        return ERROR_CANTWRITE;
    writes << key + u'\\' + name;
    keys[key.toLower()][name.toLower()] = qMakePair(type, data);
    return ERROR_SUCCESS;
}

LONG FakeRegistry::deleteValue(const QString& key, const QString& name) {
    auto k = keys.find(key.toLower());
    if (k == keys.end() || !k->remove(name.toLower()))
        return ERROR_FILE_NOT_FOUND;
    return ERROR_SUCCESS;
}

QString FakeRegistry::backup(const QString& tag) {
    backups << tag;
    return QStringLiteral("memory-") + tag;
}

QString FakeRegistry::text(const QString& sub, const QString& name) const {
    const auto k = keys.constFind(user(sub).toLower());
    if (k == keys.constEnd() || !k->contains(name.toLower()))
        return {};
    QByteArray data = (*k)[name.toLower()].second;
    if (data.endsWith('\0'))
        data.chop(1);
    return QString::fromUtf8(data);
}

void FakeRegistry::setText(const QString& sub, const QString& name, const QString& text) {
    keys[user(sub).toLower()][name.toLower()] = qMakePair(REG_SZ, text.toUtf8() + '\0');
}
