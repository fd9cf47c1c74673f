#pragma once
// The settings state: one variable per stored value, loaded at start and written back by the
// dialogs and a few main-window toggles (each stores the text first, then sets the variable).
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The key of the settings under the current user's hive.
inline const QString kSettingsKey = QStringLiteral("Software\\Tallix Time");
inline const QString kRunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
inline const QString kRunValueName = QStringLiteral("TallixTime");

// Audio slots 0..8: athans 0..4, start-up recitation 5, start-up 6, reminder 7, reminder
// recitation 8. Slot 5 and 8 have only a selected sound.
// The page a settings dialog opens on, set by the caller before showing it.
extern std::int16_t gStartTab;
extern std::int16_t gAudioType[8];
extern std::int16_t gSelectedSound[9];
extern QString gCustomSound[8];
extern QString gCustomSoundFolder[8];

extern std::int16_t gMuteAll;
extern std::int16_t gImageType;
extern std::int16_t gSelectedImage;
extern QString gCustomImage;
extern QString gCustomImageFolder;
extern std::int16_t gColorType;
extern std::int32_t gColorFace;
extern std::int32_t gColorFaceHighlight;
extern std::int32_t gColorHands;
extern std::int32_t gColorHandsHighlight;
extern std::int32_t gColorSeconds;
extern std::int32_t gColorSecondsHighlight;
extern std::int16_t gDisplayBalloonTips;
extern std::int16_t gDisplayMainScreen;
extern std::int16_t gFlashTrayIcon;
extern std::int16_t gDisplayBalloonTipsReminder;
extern std::int16_t gDisplayMainScreenReminder;
extern std::int16_t gFlashTrayIconReminder;
extern std::int16_t gHideWhenMinimized;
extern std::int16_t gAlwaysOnTop;
extern std::int16_t gLaunchOnStartup;
extern std::int16_t gLaunchMinimized;
extern std::int16_t gReadBismillahOnLaunch;
extern std::int16_t gSecurityType;
extern std::int16_t gActivateDDEServer;
extern std::int16_t gDDEAdviseRate;
extern std::int16_t gTimeZone;
extern QString gCountry;
extern QString gCityName;
extern QString gProvince;
extern std::int16_t gCountryIndex;
extern std::int16_t gCityIndex;
extern double gLatitude;
extern double gLongitude;
extern std::int16_t gCalcMethod;
extern std::int16_t gJuristicMethod;
extern std::int16_t gFajrDegrees;
extern std::int16_t gIshaDegrees;
extern std::int16_t gFajrDegreesDifference;
extern std::int16_t gIshaMinutes;
extern std::int16_t gMaghribMinutes;
extern std::int16_t gDhuhrMinutes;
extern std::int16_t gMinuteAdjustActive;
// Prayer slots 1..6; element 0 is never stored.
extern std::int16_t gMinuteAdjust[7];
extern std::int16_t gReminderBefore[7];
extern std::int16_t gReminderAfter[7];
extern std::int16_t gRounding;
extern std::int16_t gSelectedTab;
extern std::int16_t gDaylightSavingsTime;
extern std::int16_t gDaylightSavings;
extern std::int16_t gDisplayKabaa;
extern std::int16_t gDisplayHijraa;
extern std::int16_t gDisplaySplashScreen;
extern std::int16_t gProgressBarSegment;
extern std::int16_t gCoordinateSystem;
extern std::int16_t gSliderTickStyle;

// Reads, converts and repairs every value: a value that is missing, does not convert or is out
// of range goes back to its default alone, and the user is told each time which ones did (a
// new store is filled silently). All repairs are one write. False only when the store gives
// nothing back. What the store could not keep (a damaged file, changes it cannot save) is told
// once.
bool LoadSettings();
// Keeps a dated copy of the store beside it, then writes every default (one write) and reads
// it back. Gives the copy's path (empty when none could be made).
QString ResetSettings();
// After a change was stored: when the store could not save it to disk (a full disk, a folder
// made read-only) and keeps changes in memory from now on, tells the user so, once.
void ReportUnsavedSettings();
// Start-up: loads the settings, or resets them when they cannot be read and tells the user
// where the previous file is kept. False when they were reset.
bool LoadOrResetSettings();
// The log-on entry: on writes the program's path, off removes it. False when the entry could
// not be written or is still there.
bool SetRunAtStartup(bool bOn);

// Coordinates are stored with a point, whatever the locale ("21.4233"), and read with a point,
// a comma or the locale's separator, with Latin or native digits.
QString CoordinateText(double degrees);
std::optional<double> ReadCoordinate(const QString& stored);

// The stored zone offset ("TimeZone"): 0..60 are the half hours from -15:00 to +15:00 (hours =
// index * 0.5 - 15, 36 = +3:00); 61..120 the quarter hours between them, index 61 + i a quarter
// hour past the half hour of index i (102 = +5:45 Nepal, 108 = +8:45 Eucla, 116 = +12:45
// Chatham).
constexpr std::int16_t kLastTimeZoneIndex = 120;
double TimeZoneIndexToHours(std::int16_t iIndex);
// Whether a stored TimeZone index names an offset the program can use; the loader sets any
// other back to its default.
bool IsValidTimeZoneIndex(std::int16_t iIndex);
// The index of an offset to the nearest quarter hour (halves to even); -1 beyond the range.
std::int16_t TimeZoneHoursToIndex(double dHours);
std::int32_t AdviseRateToMs(std::int16_t iIndex);

// The stored names of all values, in the order the loader reads them.
QStringList SettingNames();
// The default text of a value as the loader writes it ("" for an unknown name).
QString SettingDefaultText(const QString& name);
