// The data server: other programs read what the window shows (the next prayer, the countdown,
// the six times, the Qiblah, the location, today's date) through the DDE calls, once or in
// advise loops refreshed at the user's advise rate.
#include "frmTallix.h"

#include "core/datefmt.h"
#include "core/ddecallback.h"
#include "core/kaaba.h"
#include "core/settings.h"
#include "runtime/Clock.h"
#include "runtime/Convert.h"
#include "runtime/ResStrings.h"
#include "runtime/VBDate.h"

#include <QLabel>
#include <QTimer>
#include <array>

namespace {

const QString kService = QStringLiteral("TallixTime");
const QString kAdviseItem = QStringLiteral("TallixTimeAdvise");

// The item names in the order of the item list; matching is on their keys (DdeItemKey).
const std::array<QString, 14> kItems = {
    QStringLiteral("NextPrayerTime"), QStringLiteral("NextPrayerName"),
    QStringLiteral("TimeRemaining"),  QStringLiteral("TimeRemainingSeconds"),
    QStringLiteral("Fajr"),           QStringLiteral("Shurooq"),
    QStringLiteral("Dhuhr"),          QStringLiteral("Asr"),
    QStringLiteral("Maghrib"),        QStringLiteral("Ishaa"),
    QStringLiteral("Qiblah"),         QStringLiteral("CurrentDate"),
    QStringLiteral("Location"),       QStringLiteral("TopicItemList")};

bool isItem(const QString& key) {
    for (const QString& name : kItems)
        if (name.toUpper() == key)
            return true;
    return false;
}

} // namespace

void frmTallix::createDdeControls() {
    tmrDDE.setObjectName(QStringLiteral("tmrDDE"));
    tmrDDE.setInterval(1000); // until the start-up sets the user's advise rate
    connect(&tmrDDE, &QTimer::timeout, this, &frmTallix::tmrDDE_Timer);
}

bool frmTallix::InitializeDDE() {
    if (DdeInstance != 0) // a second start would leave the first one's service behind
        UninitializeDDE();
    platform::SetDdeRegisterTrouble(QString());
    tmrDDE.stop();
    ServiceRegistered = false;
    AdviseActive = false;
    DdeInstance = 0;
    const DWORD flags = APPCMD_FILTERINITS | CBF_FAIL_SELFCONNECTIONS | CBF_FAIL_POKES |
                        CBF_SKIP_CONNECT_CONFIRMS | CBF_SKIP_REGISTRATIONS |
                        CBF_SKIP_UNREGISTRATIONS | CBF_SKIP_DISCONNECTS;
    if (DdeInitializeA(DdeInstance, DdeCallback, flags, 0) != DMLERR_NO_ERROR)
        return false;
    hszService = DdeCreateStringHandleA(DdeInstance, kService, CP_WINANSI);
    hszTopic = DdeCreateStringHandleA(DdeInstance, kService, CP_WINANSI);
    hszAdviseItem = DdeCreateStringHandleA(DdeInstance, kAdviseItem, CP_WINANSI);
    // Another copy of the program (or any other server of the name) already answers: clients
    // keep reaching that one.
    if (DdeConnect(DdeInstance, hszService, hszTopic, nullptr) != 0)
        return true;
    if (DdeNameService(DdeInstance, hszService, 0, DNS_REGISTER) != 0)
        ServiceRegistered = true;
    return ServiceRegistered;
}

QString frmTallix::DataServerTrouble() {
    const QString why = platform::DdeRegisterTrouble();
    return why.isEmpty() ? QStringLiteral("another program may be using its place") : why;
}

void frmTallix::UninitializeDDE() {
    // The service is unregistered while its name handle still exists.
    if (ServiceRegistered)
        DdeNameService(DdeInstance, hszService, 0, DNS_UNREGISTER);
    DdeFreeStringHandle(DdeInstance, hszService);
    DdeFreeStringHandle(DdeInstance, hszTopic);
    DdeFreeStringHandle(DdeInstance, hszAdviseItem);
    DdeUninitialize(DdeInstance);
    // Nothing is left to push to; a timer left running would only wake the program.
    tmrDDE.stop();
    AdviseActive = false;
    ServiceRegistered = false;
    DdeInstance = 0;
    hszService = hszTopic = hszAdviseItem = 0;
}

HDDEDATA frmTallix::HandleDDECallback(UINT uType, UINT uFmt, HCONV hConv, HSZ hsz1, HSZ hsz2,
                                      HDDEDATA hData, DWORD dwData1, DWORD dwData2) {
    // Transactions arrive from the event loop, one at a time; nothing here yields to it.
    try {
        if (uType == XTYP_CONNECT)
            return DDE_TRUE;
        if (uType != XTYP_ADVSTART && uType != XTYP_REQUEST && uType != XTYP_ADVREQ)
            return 0;
        const DWORD length = DdeQueryStringA(DdeInstance, hsz2, nullptr, 0, CP_WINANSI);
        QByteArray name(qsizetype(length) + 1, '\0');
        DdeQueryStringA(DdeInstance, hsz2, name.data(), length + 1, CP_WINANSI);
        const QString item = platform::DdeItemKey(QString::fromUtf8(name.constData()));
        if (uType == XTYP_ADVSTART) {
            if (!isItem(item))
                return 0;
            AdviseActive = true;
            tmrDDE.start();
            return DDE_TRUE;
        }
        const std::optional<QString> text = DdeReplyText(item);
        if (!text)
            return 0;
        // The text, its NUL and two more zero bytes; every reply carries the item asked for.
        QByteArray bytes = text->toUtf8();
        bytes.append(3, '\0');
        return DdeCreateDataHandle(DdeInstance, bytes, DWORD(bytes.size()), 0, hsz2, CF_TEXT, 0);
    } catch (...) {
        return 0;
    }
}

std::optional<QString> frmTallix::DdeReplyText(const QString& item) {
    static const std::array<QString, 7> kPrayerNames = {QString(),
                                                        QStringLiteral("FAJR"),
                                                        QStringLiteral("SHUROOQ"),
                                                        QStringLiteral("DHUHR"),
                                                        QStringLiteral("ASR"),
                                                        QStringLiteral("MAGHRIB"),
                                                        QStringLiteral("ISHAA")};
    const auto caption = [this](int slot) -> std::optional<QString> {
        if (slot < 1 || slot > 6 || !lblPrayer[slot])
            return std::nullopt;
        return lblPrayer[slot]->text();
    };
    const auto nextSlot = [this]() -> int {
        const int n = GetNextPrayer();
        return n >= 1 && n <= 6 ? n : -1; // no next prayer: no data
    };

    if (item == QLatin1String("NEXTPRAYERTIME"))
        return caption(nextSlot());
    if (item == QLatin1String("NEXTPRAYERNAME")) {
        const int n = nextSlot();
        return n > 0 ? std::optional(kPrayerNames[n]) : std::nullopt;
    }
    // The countdown as the window shows it, from the shown times' values: the real time left.
    const auto coming = [this, &nextSlot](const int now) -> std::optional<int> {
        const int n = nextSlot();
        return n < 0 ? std::nullopt : NextComing(static_cast<std::int16_t>(n), now);
    };
    if (item == QLatin1String("TIMEREMAINING")) {
        const QDateTime at = Now();
        const int now = SecondsIntoShownDay(at);
        const auto next = coming(now);
        return next ? std::optional(QString::number(ElapsedMinutes(now, next, at))) : std::nullopt;
    }
    if (item == QLatin1String("TIMEREMAININGSECONDS")) {
        const QDateTime at = Now();
        const int now = SecondsIntoShownDay(at);
        const auto next = coming(now);
        return next ? std::optional(QString::number(ElapsedSeconds(now, *next, at))) : std::nullopt;
    }
    for (int slot = 1; slot <= 6; ++slot)
        if (item == kPrayerNames[slot])
            return caption(slot);
    if (item == QLatin1String("QIBLAH"))
        return lblQiblah ? std::optional(lblQiblah->text()) : std::nullopt;
    if (item == QLatin1String("LOCATION")) {
        QString text = LoadResString(94) + QStringLiteral(": ") + gCityName + QStringLiteral(", ");
        if (!TrimBlanks(gProvince).isEmpty())
            text += gProvince + QStringLiteral(", ");
        return text + gCountry + QLatin1Char('\t') + LoadResString(414) + QStringLiteral(": ") +
               Format(gLatitude, QStringLiteral("0.0000")) + QLatin1Char('\t') +
               LoadResString(415) + QStringLiteral(": ") +
               Format(gLongitude, QStringLiteral("0.0000"));
    }
    if (item == QLatin1String("CURRENTDATE")) {
        const Date today = NowDate();
        const std::int16_t primary = gDisplayHijraa == 0 ? vbCalGreg : vbCalHijri;
        const std::int16_t other = primary == vbCalGreg ? vbCalHijri : vbCalGreg;
        return FormatLongDateLocalized(primary, today) + QStringLiteral(" \t ") +
               FormatLongDateLocalized(other, today);
    }
    if (item == QLatin1String("TOPICITEMLIST")) {
        QStringList names;
        for (const QString& name : kItems)
            names << name;
        return names.join(QLatin1Char('\t'));
    }
    return std::nullopt;
}

void frmTallix::tmrDDE_Timer() {
    if (gActivateDDEServer == 1 && AdviseActive)
        DdePostAdvise(DdeInstance, 0, 0);
}
