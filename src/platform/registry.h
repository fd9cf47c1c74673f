#pragma once
// The registry calls the program makes, over a per-user store on disk.
//
// Keys and values live in $XDG_CONFIG_HOME/tallix-time/registry.conf, a text file with one
// section per key ("[HKEY_CURRENT_USER\Software\Tallix Time]") and one line per value
// ("Name"="text" or "Name"=dword:0000002a). Every change rewrites the file atomically under a
// lock shared by all our processes (through a symbolic link to the file it points at). A line
// that does not read is left out: a copy of the file is kept beside it and the user is told.
// A file that cannot be read or written is never written over: the store then lives in memory
// for the session and says why. Each version of the file is parsed once, and reads are answered
// from that copy without opening the file while the folder's watch reports no change. Values
// under the current user's Run key are the user's XDG autostart entries instead.
#include "wintypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

constexpr HKEY HKEY_CLASSES_ROOT = static_cast<HKEY>(0x80000000u);
constexpr HKEY HKEY_CURRENT_USER = static_cast<HKEY>(0x80000001u);
constexpr HKEY HKEY_LOCAL_MACHINE = static_cast<HKEY>(0x80000002u);

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD KEY_QUERY_VALUE = 0x0001;
constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_WRITE = 0x20006;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

struct SECURITY_ATTRIBUTES {
    DWORD nLength = 0;
    void* lpSecurityDescriptor = nullptr;
    BOOL bInheritHandle = 0;
};

LONG RegCreateKeyExA(HKEY hKey, const QString& lpSubKey, DWORD Reserved, const QString& lpClass,
                     DWORD dwOptions, DWORD samDesired, SECURITY_ATTRIBUTES* lpSecurityAttributes,
                     HKEY* phkResult, DWORD* lpdwDisposition);
LONG RegOpenKeyExA(HKEY hKey, const QString& lpSubKey, DWORD ulOptions, DWORD samDesired,
                   HKEY* phkResult);
// lpData may be null to ask for the size; *lpcbData is the buffer size in and the data size out.
LONG RegQueryValueExA(HKEY hKey, const QString& lpValueName, DWORD* lpReserved, DWORD* lpType,
                      void* lpData, DWORD* lpcbData);
LONG RegSetValueExA(HKEY hKey, const QString& lpValueName, DWORD Reserved, DWORD dwType,
                    const void* lpData, DWORD cbData);
LONG RegDeleteValueA(HKEY hKey, const QString& lpValueName);
LONG RegCloseKey(HKEY hKey);

namespace platform {

// What the registry calls work on. Key paths are full: "HKEY_CURRENT_USER\Software\Tallix Time".
// Names of keys and values compare without regard to case, as they do on Windows.
// What the user must hear about a store: values it had to leave out, or changes it cannot save.
struct RegistryStoreTrouble {
    QString damagedCopy;     // lines could not be read and were left out; the file was kept here
    QStringList lostValues;  // the first values left out, by name ("line N" where none is legible)
    qsizetype lostCount = 0; // how many were left out in all
    QString notRead; // why the whole file was put aside unread (damagedCopy), "" when it was read
    QString unsaved; // why changes are kept for this session only ("" when they are saved)
};

// The largest settings file that is read. The program writes a few kilobytes; a file far
// larger is no store of ours and is put aside unread, so it costs neither time nor memory.
constexpr qint64 kMaxRegistryFileSize = 4 * 1024 * 1024;

// One value of a change that sets several at once.
struct RegistryWrite {
    QString name;
    DWORD type = REG_SZ;
    QByteArray data;
};

class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    virtual bool keyExists(const QString& key) = 0;
    virtual LONG createKey(const QString& key, bool* created) = 0;
    virtual LONG queryValue(const QString& key, const QString& name, DWORD* type,
                            QByteArray* data) = 0;
    virtual LONG setValue(const QString& key, const QString& name, DWORD type,
                          const QByteArray& data) = 0;
    virtual LONG deleteValue(const QString& key, const QString& name) = 0;
    // Sets the values of one key together: the file store replaces its file once, so a reader
    // or a crash sees all of them or none. The first value refused stops the change.
    virtual LONG setValues(const QString& key, const std::vector<RegistryWrite>& values) {
        for (const RegistryWrite& v : values)
            if (const LONG rc = setValue(key, v.name, v.type, v.data); rc != ERROR_SUCCESS)
                return rc;
        return ERROR_SUCCESS;
    }
    // Copies the store aside with the tag and a time stamp in the name; the copy's path, or ""
    // when there was nothing to copy or the copy failed.
    virtual QString backup(const QString& tag) = 0;
    // What went wrong so far, for the user.
    virtual RegistryStoreTrouble trouble() { return {}; }
};

// The per-user file store of the program (and its Run-key mapping to XDG autostart).
std::unique_ptr<RegistryStore> MakeFileRegistryStore(const QString& configDir,
                                                     const QString& autostartDir);

// The store the registry calls use: the file store under ConfigDir() unless a test installed
// its own. Installing nullptr goes back to the file store.
RegistryStore& CurrentRegistryStore();
void InstallRegistryStore(RegistryStore* store);

// How many times the file stores of this process have parsed a file, opened it to read, and
// replaced it with a new version.
int RegistryParseCount();
int RegistryOpenCount();
int RegistryReplaceCount();

// Name of the root key as it appears in full key paths; "" for an unknown root.
QString RootKeyName(HKEY root);

// Desktop-entry quoting of a program path for an Exec= line, and its inverse.
QString QuoteExecArgument(const QString& path);
QString UnquoteExecArgument(const QString& exec);

} // namespace platform

// Sets several values of a key below an open key (made when missing) in one change of the store
// (RegistryStore::setValues).
LONG RegSetValuesA(HKEY hKey, const QString& lpSubKey,
                   const std::vector<platform::RegistryWrite>& values);
