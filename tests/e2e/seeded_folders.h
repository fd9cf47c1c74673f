#pragma once
// Fresh folders for a real copy of the program: <root>/config with a settings store holding the
// given values, and <root>/run, a private runtime folder.
#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <utility>
#include <vector>

inline bool SeedFolders(const QString& root,
                        const std::vector<std::pair<QString, QByteArray>>& settings) {
    const QString config = root + QStringLiteral("/config");
    const QString run = root + QStringLiteral("/run");
    if (!QDir().mkpath(config + QStringLiteral("/tallix-time")) || !QDir().mkpath(run))
        return false;
    QFile::setPermissions(run,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    auto store = platform::MakeFileRegistryStore(config + QStringLiteral("/tallix-time"),
                                                 config + QStringLiteral("/autostart"));
    const QString key = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tallix Time");
    bool created = false;
    if (store->createKey(key, &created) != ERROR_SUCCESS)
        return false;
    for (const auto& [name, text] : settings) {
        QByteArray data = text;
        data.append('\0');
        if (store->setValue(key, name, REG_SZ, data) != ERROR_SUCCESS)
            return false;
    }
    return true;
}
