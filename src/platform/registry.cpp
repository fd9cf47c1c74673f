#include "registry.h"

#include "paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace platform {

QString RootKeyName(HKEY root) {
    switch (static_cast<DWORD>(root)) {
    case 0x80000000u:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case 0x80000001u:
        return QStringLiteral("HKEY_CURRENT_USER");
    case 0x80000002u:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    default:
        return {};
    }
}

// ---- Exec= quoting of desktop entries ---------------------------------------------------------

QString QuoteExecArgument(const QString& path) {
    // Inside double quotes, ", `, $ and \ take a backslash; the string escape of the desktop
    // entry then doubles every backslash, and a literal % is written %%.
    QString quoted;
    for (QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

QString UnquoteExecArgument(const QString& exec) {
    QString s = exec.trimmed();
    s.replace(QStringLiteral("%%"), QStringLiteral("%"));
    // Undo the string escape first (\\ -> \), then the quoting rule.
    QString unescaped;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size() && s[i + 1] == u'\\') {
            unescaped += u'\\';
            ++i;
        } else {
            unescaped += s[i];
        }
    }
    if (unescaped.size() < 2 || !unescaped.startsWith(u'"'))
        return unescaped.section(u' ', 0, 0);
    QString out;
    for (int i = 1; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (c == u'\\' && i + 1 < unescaped.size()) {
            out += unescaped[++i];
        } else if (c == u'"') {
            break;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// ---- The text form of the store ----------------------------------------------------------------

struct Value {
    QString name;
    DWORD type = REG_SZ;
    QByteArray data;
};

struct Key {
    QString path;
    std::vector<Value> values;

    Value* find(const QString& name) {
        for (auto& v : values)
            if (v.name.compare(name, Qt::CaseInsensitive) == 0)
                return &v;
        return nullptr;
    }
};

struct Hive {
    std::vector<Key> keys;

    Key* find(const QString& path) {
        for (auto& k : keys)
            if (k.path.compare(path, Qt::CaseInsensitive) == 0)
                return &k;
        return nullptr;
    }
};

QByteArray escapeText(const QByteArray& text) {
    QByteArray out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7f)
                out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
            else
                out += ch;
        }
    }
    return out;
}

// Reads a quoted text starting at line[pos] == '"'; pos ends after the closing quote.
bool unescapeText(const QByteArray& line, int& pos, QByteArray* out) {
    if (pos >= line.size() || line[pos] != '"')
        return false;
    ++pos;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out->append(c);
            continue;
        }
        if (pos >= line.size())
            return false;
        const char e = line[pos++];
        switch (e) {
        case '\\':
            out->append('\\');
            break;
        case '"':
            out->append('"');
            break;
        case 'n':
            out->append('\n');
            break;
        case 'r':
            out->append('\r');
            break;
        case 't':
            out->append('\t');
            break;
        case 'x': {
            if (pos + 2 > line.size())
                return false;
            bool ok = false;
            const int v = line.mid(pos, 2).toInt(&ok, 16);
            if (!ok)
                return false;
            out->append(static_cast<char>(v));
            pos += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool isPlainText(const QByteArray& data) {
    // A REG_SZ that is text plus one terminating NUL is written as a quoted text.
    if (data.isEmpty() || data.back() != '\0')
        return false;
    const QByteArray body = data.left(data.size() - 1);
    return !body.contains('\0') && QString::fromUtf8(body).toUtf8() == body;
}

QByteArray serialize(const Hive& hive) {
    QByteArray out = "; Tallix Time settings. Edit only while the program is not running.\n";
    for (const auto& key : hive.keys) {
        out += "\n[" + key.path.toUtf8() + "]\n";
        for (const auto& v : key.values) {
            out += '"' + escapeText(v.name.toUtf8()) + "\"=";
            if (v.type == REG_SZ && isPlainText(v.data)) {
                out += '"' + escapeText(v.data.left(v.data.size() - 1)) + '"';
            } else if (v.type == REG_DWORD && v.data.size() == 4) {
                quint32 n;
                std::memcpy(&n, v.data.constData(), 4);
                out += "dword:" + QByteArray::number(n, 16).rightJustified(8, '0');
            } else {
                out += "hex(" + QByteArray::number(v.type) + "):" + v.data.toHex(',');
            }
            out += '\n';
        }
    }
    return out;
}

bool parse(const QByteArray& text, Hive* hive) {
    Key* current = nullptr;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            if (!line.endsWith(']') || line.size() < 3)
                return false;
            const QString path = QString::fromUtf8(line.mid(1, line.size() - 2));
            if (Key* existing = hive->find(path)) {
                current = existing;
            } else {
                hive->keys.push_back(Key{path, {}});
                current = &hive->keys.back();
            }
            continue;
        }
        if (!current)
            return false;
        int pos = 0;
        QByteArray name;
        if (!unescapeText(line, pos, &name) || pos >= line.size() || line[pos] != '=')
            return false;
        ++pos;
        Value v;
        v.name = QString::fromUtf8(name);
        if (pos < line.size() && line[pos] == '"') {
            QByteArray data;
            if (!unescapeText(line, pos, &data) || pos != line.size())
                return false;
            v.type = REG_SZ;
            v.data = data + '\0';
        } else if (line.mid(pos).startsWith("dword:")) {
            bool ok = false;
            const QByteArray hex = line.mid(pos + 6);
            const quint32 n = hex.toUInt(&ok, 16);
            if (!ok || hex.size() != 8)
                return false;
            v.type = REG_DWORD;
            v.data = QByteArray(reinterpret_cast<const char*>(&n), 4);
        } else if (line.mid(pos).startsWith("hex(")) {
            const int close = line.indexOf("):", pos);
            if (close < 0)
                return false;
            bool ok = false;
            v.type = line.mid(pos + 4, close - pos - 4).toUInt(&ok);
            if (!ok)
                return false;
            const QByteArray hex = line.mid(close + 2);
            for (const QByteArray& byte : hex.split(',')) {
                if (byte.isEmpty() && hex.isEmpty())
                    break;
                const int b = byte.toInt(&ok, 16);
                if (!ok || byte.size() != 2)
                    return false;
                v.data.append(static_cast<char>(b));
            }
        } else {
            return false;
        }
        if (Value* existing = current->find(v.name))
            *existing = v;
        else
            current->values.push_back(v);
    }
    return true;
}

// ---- Locking and atomic replacement -----------------------------------------------------------

class FileLock {
public:
    explicit FileLock(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0)
            ::close(fd_); // closing releases the lock
    }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

bool fsyncDir(const QString& dir) {
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Writes the whole file under a temporary name, flushes it to disk and renames it into place,
// so that readers and a crash see either the old file or the new one.
bool atomicWrite(const QString& path, const QByteArray& content) {
    const QString tmp = path + QStringLiteral(".tmp-%1").arg(::getpid());
    const int fd =
        ::open(QFile::encodeName(tmp).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    qint64 done = 0;
    bool ok = true;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        done += n;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(path).constData()) == 0;
    if (!ok) {
        ::unlink(QFile::encodeName(tmp).constData());
        return false;
    }
    fsyncDir(QFileInfo(path).absolutePath());
    return true;
}

QString stamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
}

const QString kRunKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");

// "TallixTime" -> "tallix-time": the autostart file of a Run value.
QString autostartFileName(const QString& valueName) {
    QString out;
    for (int i = 0; i < valueName.size(); ++i) {
        const QChar c = valueName[i];
        if (c.isUpper() && i > 0 && valueName[i - 1].isLower())
            out += u'-';
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            out += c.toLower();
        else
            out += u'-';
    }
    return out + QStringLiteral(".desktop");
}

// ---- The file store ---------------------------------------------------------------------------

class FileRegistryStore final : public RegistryStore {
public:
    FileRegistryStore(QString dir, QString autostartDir)
        : dir_(std::move(dir)), autostart_(std::move(autostartDir)),
          file_(dir_ + QStringLiteral("/registry.conf")),
          lock_(dir_ + QStringLiteral("/registry.lock")) {}

    bool keyExists(const QString& key) override {
        if (isRunKey(key))
            return true;
        Hive hive;
        return load(&hive) && hive.find(key) != nullptr;
    }

    LONG createKey(const QString& key, bool* created) override {
        *created = false;
        if (isRunKey(key))
            return ERROR_SUCCESS;
        Hive hive;
        if (load(&hive) && hive.find(key))
            return ERROR_SUCCESS;
        return modify([&](Hive& h) {
            if (!h.find(key)) {
                h.keys.push_back(Key{key, {}});
                *created = true;
            }
            return ERROR_SUCCESS;
        });
    }

    LONG queryValue(const QString& key, const QString& name, DWORD* type,
                    QByteArray* data) override {
        if (isRunKey(key))
            return queryRun(name, type, data);
        Hive hive;
        if (!load(&hive))
            return ERROR_ACCESS_DENIED;
        Key* k = hive.find(key);
        if (!k)
            return ERROR_FILE_NOT_FOUND;
        Value* v = k->find(name);
        if (!v)
            return ERROR_FILE_NOT_FOUND;
        *type = v->type;
        *data = v->data;
        return ERROR_SUCCESS;
    }

    LONG setValue(const QString& key, const QString& name, DWORD type,
                  const QByteArray& data) override {
        if (isRunKey(key))
            return setRun(name, type, data);
        return modify([&](Hive& h) {
            Key* k = h.find(key);
            if (!k) {
                h.keys.push_back(Key{key, {}});
                k = &h.keys.back();
            }
            if (Value* v = k->find(name)) {
                v->type = type;
                v->data = data;
            } else {
                k->values.push_back(Value{name, type, data});
            }
            return ERROR_SUCCESS;
        });
    }

    LONG deleteValue(const QString& key, const QString& name) override {
        if (isRunKey(key)) {
            const QString path = autostart_ + u'/' + autostartFileName(name);
            if (!QFileInfo::exists(path))
                return ERROR_FILE_NOT_FOUND;
            return QFile::remove(path) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
        }
        return modify([&](Hive& h) -> LONG {
            Key* k = h.find(key);
            if (!k)
                return ERROR_FILE_NOT_FOUND;
            for (auto it = k->values.begin(); it != k->values.end(); ++it) {
                if (it->name.compare(name, Qt::CaseInsensitive) == 0) {
                    k->values.erase(it);
                    return ERROR_SUCCESS;
                }
            }
            return ERROR_FILE_NOT_FOUND;
        });
    }

    QString backup(const QString& tag) override {
        if (!QDir().mkpath(dir_))
            return {};
        FileLock lock(lock_);
        QFile src(file_);
        if (!lock.ok() || !src.open(QIODevice::ReadOnly))
            return {};
        const QByteArray content = src.readAll();
        const QString copy = file_ + u'.' + tag + u'-' + stamp();
        return atomicWrite(copy, content) ? copy : QString();
    }

private:
    static bool isRunKey(const QString& key) {
        return key.compare(kRunKey, Qt::CaseInsensitive) == 0;
    }

    // Reads the file. A file that does not parse is moved aside and reported; the store then
    // starts empty. Returns false only when the folder cannot be used at all.
    bool load(Hive* hive) {
        QFile f(file_);
        if (!f.exists())
            return QDir().mkpath(dir_);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        const QByteArray content = f.readAll();
        f.close();
        if (parse(content, hive))
            return true;
        *hive = Hive{};
        FileLock lock(lock_);
        // Someone may have replaced it meanwhile; look again under the lock.
        QFile again(file_);
        if (again.open(QIODevice::ReadOnly)) {
            const QByteArray now = again.readAll();
            again.close();
            if (parse(now, hive))
                return true;
            *hive = Hive{};
            const QString aside = file_ + QStringLiteral(".damaged-") + stamp();
            if (::rename(QFile::encodeName(file_).constData(),
                         QFile::encodeName(aside).constData()) == 0) {
                qWarning("tallix-time: the settings file %s could not be read; it was kept as "
                         "%s and the settings start afresh.",
                         qPrintable(file_), qPrintable(aside));
            } else {
                return false;
            }
        }
        return true;
    }

    template <typename Change> LONG modify(Change change) {
        if (!QDir().mkpath(dir_))
            return ERROR_ACCESS_DENIED;
        FileLock lock(lock_);
        if (!lock.ok())
            return ERROR_ACCESS_DENIED;
        removeStaleTemporaries();
        Hive hive;
        if (!load(&hive))
            return ERROR_ACCESS_DENIED;
        const LONG rc = change(hive);
        if (rc != ERROR_SUCCESS)
            return rc;
        return atomicWrite(file_, serialize(hive)) ? ERROR_SUCCESS : ERROR_CANTWRITE;
    }

    // A process killed while writing leaves its temporary file behind; the lock is held here,
    // so no live writer owns one of another process's.
    void removeStaleTemporaries() {
        const QString prefix = QFileInfo(file_).fileName() + QStringLiteral(".tmp-");
        const QStringList names = QDir(dir_).entryList({prefix + u'*'}, QDir::Files);
        for (const QString& name : names) {
            bool ok = false;
            const qint64 pid = name.mid(prefix.size()).toLongLong(&ok);
            if (ok && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
                errno == ESRCH)
                QFile::remove(dir_ + u'/' + name);
        }
    }

    LONG queryRun(const QString& name, DWORD* type, QByteArray* data) {
        QFile f(autostart_ + u'/' + autostartFileName(name));
        if (!f.open(QIODevice::ReadOnly))
            return ERROR_FILE_NOT_FOUND;
        const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        for (const QString& line : lines) {
            if (line.startsWith(QStringLiteral("Exec="))) {
                *type = REG_SZ;
                *data = UnquoteExecArgument(line.mid(5)).toUtf8() + '\0';
                return ERROR_SUCCESS;
            }
        }
        return ERROR_FILE_NOT_FOUND;
    }

    LONG setRun(const QString& name, DWORD type, const QByteArray& data) {
        if (type != REG_SZ || !QDir().mkpath(autostart_))
            return ERROR_ACCESS_DENIED;
        QByteArray path = data;
        while (path.endsWith('\0'))
            path.chop(1);
        QString title = QGuiApplication::applicationDisplayName();
        if (title.isEmpty())
            title = name;
        const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\n"
                                             "Exec=%2\nTerminal=false\n"
                                             "X-GNOME-Autostart-enabled=true\n")
                                  .arg(title, QuoteExecArgument(QString::fromUtf8(path)));
        return atomicWrite(autostart_ + u'/' + autostartFileName(name), entry.toUtf8())
                   ? ERROR_SUCCESS
                   : ERROR_CANTWRITE;
    }

    QString dir_;
    QString autostart_;
    QString file_;
    QString lock_;
};

// ---- Open keys of this process ----------------------------------------------------------------

std::mutex gKeysMutex;
QHash<HKEY, QString> gOpenKeys;
HKEY gNextKey = 0x100;
RegistryStore* gInstalled = nullptr;
std::unique_ptr<RegistryStore> gFileStore;

// The full path of an open key or root joined with a sub-key; "" when hKey is unknown.
QString fullPath(HKEY hKey, const QString& subKey) {
    QString base = RootKeyName(hKey);
    if (base.isEmpty()) {
        std::lock_guard<std::mutex> g(gKeysMutex);
        base = gOpenKeys.value(hKey);
    }
    if (base.isEmpty())
        return {};
    QString sub = subKey;
    while (sub.startsWith(u'\\'))
        sub.remove(0, 1);
    while (sub.endsWith(u'\\'))
        sub.chop(1);
    return sub.isEmpty() ? base : base + u'\\' + sub;
}

HKEY openHandle(const QString& path) {
    std::lock_guard<std::mutex> g(gKeysMutex);
    const HKEY h = gNextKey++;
    gOpenKeys.insert(h, path);
    return h;
}

} // namespace

std::unique_ptr<RegistryStore> MakeFileRegistryStore(const QString& configDir,
                                                     const QString& autostartDir) {
    return std::make_unique<FileRegistryStore>(configDir, autostartDir);
}

RegistryStore& CurrentRegistryStore() {
    if (gInstalled)
        return *gInstalled;
    if (!gFileStore)
        gFileStore =
            MakeFileRegistryStore(ConfigDir(), ConfigHome() + QStringLiteral("/autostart"));
    return *gFileStore;
}

void InstallRegistryStore(RegistryStore* store) {
    gInstalled = store;
    gFileStore.reset();
}

} // namespace platform

using platform::CurrentRegistryStore;

LONG RegCreateKeyExA(HKEY hKey, const QString& lpSubKey, DWORD, const QString&, DWORD, DWORD,
                     SECURITY_ATTRIBUTES*, HKEY* phkResult, DWORD* lpdwDisposition) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;
    const QString path = platform::fullPath(hKey, lpSubKey);
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    bool created = false;
    const LONG rc = CurrentRegistryStore().createKey(path, &created);
    if (rc != ERROR_SUCCESS)
        return rc;
    *phkResult = platform::openHandle(path);
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY hKey, const QString& lpSubKey, DWORD, DWORD, HKEY* phkResult) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;
    const QString path = platform::fullPath(hKey, lpSubKey);
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    if (!CurrentRegistryStore().keyExists(path))
        return ERROR_FILE_NOT_FOUND;
    *phkResult = platform::openHandle(path);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, const QString& lpValueName, DWORD*, DWORD* lpType, void* lpData,
                      DWORD* lpcbData) {
    const QString path = platform::fullPath(hKey, QString());
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    DWORD type = REG_NONE;
    QByteArray data;
    const LONG rc = CurrentRegistryStore().queryValue(path, lpValueName, &type, &data);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType)
        *lpType = type;
    const auto size = static_cast<DWORD>(data.size());
    if (!lpcbData)
        return ERROR_SUCCESS;
    if (!lpData) {
        *lpcbData = size;
        return ERROR_SUCCESS;
    }
    if (*lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    std::memcpy(lpData, data.constData(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, const QString& lpValueName, DWORD, DWORD dwType, const void* lpData,
                    DWORD cbData) {
    const QString path = platform::fullPath(hKey, QString());
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    if (!lpData && cbData)
        return ERROR_INVALID_PARAMETER;
    const QByteArray data =
        cbData ? QByteArray(static_cast<const char*>(lpData), static_cast<qsizetype>(cbData))
               : QByteArray();
    return CurrentRegistryStore().setValue(path, lpValueName, dwType, data);
}

LONG RegDeleteValueA(HKEY hKey, const QString& lpValueName) {
    const QString path = platform::fullPath(hKey, QString());
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    return CurrentRegistryStore().deleteValue(path, lpValueName);
}

LONG RegCloseKey(HKEY hKey) {
    std::lock_guard<std::mutex> g(platform::gKeysMutex);
    return platform::gOpenKeys.remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
