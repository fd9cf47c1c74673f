#pragma once
// A registry store in memory that records what is asked of it and fails when told to.
#include "platform/registry.h"

#include <QMap>
#include <QStringList>

class FakeRegistry : public platform::RegistryStore {
public:
    FakeRegistry() { platform::InstallRegistryStore(this); }
    ~FakeRegistry() override { platform::InstallRegistryStore(nullptr); }

    bool failCreate = false; // opening or creating any key fails
    bool failSet = false;    // every write fails
    bool failQuery = false;  // every read fails
    QStringList writes;      // "key\name" of each write, in order
    QStringList backups;     // tags of the backups asked for

    QMap<QString, QMap<QString, QPair<DWORD, QByteArray>>> keys; // lower-cased paths and names

    bool keyExists(const QString& key) override;
    LONG createKey(const QString& key, bool* created) override;
    LONG queryValue(const QString& key, const QString& name, DWORD* type,
                    QByteArray* data) override;
    LONG setValue(const QString& key, const QString& name, DWORD type,
                  const QByteArray& data) override;
    LONG deleteValue(const QString& key, const QString& name) override;
    QString backup(const QString& tag) override;
    platform::RegistryStoreTrouble trouble() override { return troubles; }
    platform::RegistryStoreTrouble troubles; // what trouble() answers

    // The text of a REG_SZ value under HKEY_CURRENT_USER\sub, without its terminator.
    QString text(const QString& sub, const QString& name) const;
    void setText(const QString& sub, const QString& name, const QString& text);
};
