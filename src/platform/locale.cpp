#include "locale.h"

#include <QLocale>
#include <algorithm>

namespace platform {
namespace {

class QtLocaleBackend final : public LocaleBackend {
public:
    QString info(LCTYPE type) override {
        const QLocale locale;
        switch (type) {
        case LOCALE_SDECIMAL:
            return locale.decimalPoint();
        case LOCALE_STHOUSAND:
            return locale.groupSeparator();
        case LOCALE_IFIRSTDAYOFWEEK:
            return QString::number(static_cast<int>(locale.firstDayOfWeek()) - 1);
        default:
            return {};
        }
    }
};

QtLocaleBackend gQtBackend;
LocaleBackend* gBackend = nullptr;

} // namespace

LocaleBackend& CurrentLocaleBackend() {
    return gBackend ? *gBackend : gQtBackend;
}
void InstallLocaleBackend(LocaleBackend* backend) {
    gBackend = backend;
}

} // namespace platform

int GetLocaleInfoA(LCID, LCTYPE LCType, char* lpLCData, int cchData) {
    const QString text = platform::CurrentLocaleBackend().info(LCType);
    if (text.isNull())
        return 0;
    const QByteArray bytes = text.toUtf8();
    const int needed = static_cast<int>(bytes.size()) + 1;
    if (cchData == 0)
        return needed;
    if (!lpLCData || cchData < needed)
        return 0;
    std::copy_n(bytes.constData(), bytes.size(), lpLCData);
    lpLCData[bytes.size()] = '\0';
    return needed;
}
