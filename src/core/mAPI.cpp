#include "mAPI.h"

#include "mMain.h"
#include "platform/locale.h"
#include "platform/version.h"
#include "platform/window.h"

#include <QByteArray>
#include <cstring>

QString gFindTitle;
HWND gFoundHwnd = 0;

namespace {
HKEY createUserKey(const QString& sSubKey) {
    HKEY hKey = 0;
    SECURITY_ATTRIBUTES sa{};
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, sSubKey, 0, QString(), REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, &sa, &hKey, &disposition) != ERROR_SUCCESS)
        return 0;
    return hKey;
}

// A text as a REG_SZ value holds it: UTF-8 with its terminator, an empty text as one blank.
QByteArray valueBytes(const QString& text) {
    return (text.isEmpty() ? QStringLiteral(" ") : text).toUtf8() + '\0';
}
} // namespace

QString RegGetString(const QString& sSubKey, const QString& sValueName) {
    const HKEY hKey = createUserKey(sSubKey);
    if (!hKey)
        return {};
    QString result;
    DWORD size = 0;
    DWORD type = 0;
    RegQueryValueExA(hKey, sValueName, nullptr, &type, nullptr, &size);
    if (size >= 2) {
        QByteArray buffer(static_cast<qsizetype>(size), '\0');
        if (RegQueryValueExA(hKey, sValueName, nullptr, &type, buffer.data(), &size) ==
            ERROR_SUCCESS) {
            buffer.truncate(static_cast<qsizetype>(size));
            buffer.chop(1); // the terminator
            result = QString::fromUtf8(buffer);
        }
    }
    RegCloseKey(hKey);
    return result;
}

bool RegSetString(const QString& sSubKey, const QString& sValueName, const QString& sData) {
    const HKEY hKey = createUserKey(sSubKey);
    if (!hKey)
        return false;
    // One write replaces the value whole: a reader, or a crash, sees the old text or the new.
    const QByteArray bytes = valueBytes(sData);
    const bool ok = RegSetValueExA(hKey, sValueName, 0, REG_SZ, bytes.constData(),
                                   static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    ReportUnsavedSettings();
    return ok;
}

bool RegSetStrings(const QString& sSubKey, const QList<QPair<QString, QString>>& values) {
    std::vector<platform::RegistryWrite> writes;
    for (const auto& [name, text] : values)
        writes.push_back({name, REG_SZ, valueBytes(text)});
    // The key is made with the values, in the same change.
    const bool ok = RegSetValuesA(HKEY_CURRENT_USER, sSubKey, writes) == ERROR_SUCCESS;
    ReportUnsavedSettings();
    return ok;
}

bool RegDeleteValue(HKEY hRoot, const QString& sSubKey, const QString& sValueName) {
    HKEY hKey = 0;
    if (RegOpenKeyExA(hRoot, sSubKey, 0, KEY_WRITE, &hKey) != ERROR_SUCCESS)
        return false;
    const bool ok = RegDeleteValueA(hKey, sValueName) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return ok;
}

LONG RegGetDWord(HKEY hRoot, const QString& sSubKey, const QString& sValueName, LONG lDefault) {
    HKEY hKey = 0;
    RegOpenKeyExA(hRoot, sSubKey, 0, KEY_ALL_ACCESS, &hKey);
    LONG value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    LONG result = lDefault;
    if (RegQueryValueExA(hKey, sValueName, nullptr, &type, &value, &size) == ERROR_SUCCESS)
        result = type == REG_DWORD ? value : 0;
    if (hKey)
        RegCloseKey(hKey);
    return result;
}

HWND FindWindowByTitle(const QString& sTitle) {
    gFindTitle = sTitle;
    gFoundHwnd = 0;
    EnumWindows(EnumWindowsProc, 0);
    return gFoundHwnd;
}

BOOL EnumWindowsProc(HWND hWnd, LONG) {
    const int length = GetWindowTextLengthA(hWnd);
    QByteArray buffer(length + 1, '\0');
    const int copied = GetWindowTextA(hWnd, buffer.data(), length + 1);
    const QString title = QString::fromUtf8(buffer.constData(), copied);
    if (!title.isEmpty() && title.contains(gFindTitle, Qt::CaseInsensitive)) {
        gFoundHwnd = hWnd;
        return 0;
    }
    return 1;
}

void InitPlatformId() {
    OSVERSIONINFO info;
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFO);
    if (GetVersionExA(&info))
        gPlatformId = static_cast<LONG>(info.dwPlatformId);
    else
        gPlatformId = 1;
}

QString GetUserLocaleInfo(LONG lLocaleType) {
    const auto type = static_cast<LCTYPE>(lLocaleType);
    const int size = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, nullptr, 0);
    if (size <= 0)
        return {};
    QByteArray buffer(size, '\0');
    const int written = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer.data(), size);
    if (written <= 0)
        return {};
    return QString::fromUtf8(buffer.constData(), written - 1);
}
