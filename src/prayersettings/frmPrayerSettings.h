#pragma once
// The prayer settings dialog: where the user prays (a country and city of the place file, or
// typed coordinates), the time zone and daylight saving, and the calculation conventions.
// Its behaviour is spread over frmPrayerSettings_<area>.cpp files, one per area.
#include "core/clsToolTip.h"
#include "placefile.h"
#include "runtime/Form.h"

#include <QList>
#include <QPointer>
#include <QRadioButton>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

class frmPrayerSettings : public Form {
    Q_OBJECT
public:
    explicit frmPrayerSettings(QWidget* parent = nullptr);
    ~frmPrayerSettings() override;

    // ---- life cycle ----
    bool Changed = false;
    void cmdSave_Click();
    void cmdExit_Click();
    void cmdDefaults_Click();
    void Form_Activate();

    // ---- texts and value lists ----
    void TranslateForm();
    QString LocationManualCaption;
    QString RoundingText[4];
    QString DefaultCityText, DefaultsQuestionText, ZoneQuestionText;
    QString ZoneListUnavailableText, CountryListUnavailableText, CityListUnavailableText;

    // ---- place file, countries and cities ----
    // Where the place file is looked for: beside the program, then in the data folder of an
    // installed tree.
    static QStringList PlaceFileCandidates();
    // A place file to use instead of those (tests); "" for the usual places.
    static inline QString PlaceFileOverride;
    static QString StripAfterPipe(const QString& s);
    // A city's name as the list shows it: its name and what its "|" sets apart, joined by a
    // comma ("Arlington |Texas" -> "Arlington, Texas").
    static QString CityListText(const QString& fullName);
    // The order the cities are listed in: by name, leading quotes and punctuation ignored
    // ("‘Alāqahdārī" among the A's), as the user's language sorts; a city's position in the
    // file (its stored CityIndex) goes with it.
    static QList<int> CityListOrder(const QList<PlaceCity>& cities);
    // The list row of the city at a position of the file's list (-2, which selects nothing,
    // for none; -1 stays -1), and the position of the city in a row.
    int CityRow(int index) const;
    int CityIndexAt(int row) const;
    // The place file while the dialog is open, and the cities of the country the lists show.
    PlaceFile Places;
    int ShownCountry = -1;
    QList<PlaceCity> ShownCities;
    QList<int> ShownOrder; // row -> position in ShownCities
    bool XmlLoaded = false;
    QString PlaceFileProblem; // why the place file was not used, "" when it was
    void lstCountry_Click();
    void cboCountry_Click();
    void lstCity_Click();
    void cboCity_Click();
    void cboCountry_Change();
    void cboCity_Change();
    void txtProvince_Change();

    // ---- built-in country list and default methods ----
    static constexpr int kCountryCount = 252;
    std::array<QString, 253> Countries;
    std::array<std::uint8_t, 253> DefaultMethod{};
    void LoadCountryNames();
    void FillDefaultMethods();

    // ---- calculation method and adjustment controls ----
    void optCalculationMethod_Click(int Index);
    void optJuristicMethod_Click(int Index);
    void fraAngleDegrees_Click();
    void fraAngleTimeDifference_Click();
    void chkMinuteAdjust_Click();
    void cboRounding_Click();
    void optDayLightSavings_Click(int Index);

    // ---- Windows time zones ----
    QString StandardName, CurrentZoneDisplayName;
    void FillWindowsTimeZones();
    QString GetCurrentTimeZoneName();
    QString EnumTimeZones(bool bFind, const QString& sSought);
    static void SortTimeZones(QStringList& names);
    static void SortByKey(QList<int>& keys, QStringList& names);
    // "(GMT+05:45)": the offset to the nearest quarter hour.
    static QString FormatGmtOffset(float hours);
    // The offsets of cboTimezone: the half hours from -15 to +15 and the quarter hours in use,
    // each item holding its stored index (TimeZoneIndexToHours).
    void FillGmtOffsets();
    // Selects the offset of a stored index (a quarter hour the list lacks is added); an index out
    // of range changes nothing.
    void SetZoneIndex(int index);
    // The stored index of the offset chosen; -1 when none is.
    int SelectedZoneIndex() const;
    // Asks the system to make the chosen zone its own, unless it already is; true when it
    // asked. The answer comes later, to SystemZoneAnswered.
    bool ApplyWindowsTimeZone();
    // True from a save that asked the system for a new zone until the system answers.
    bool WaitingForSystemZone = false;
    // OK while the system has not answered: the settings are saved; the dialog says that it
    // waits, takes no more edits and closes when the answer comes.
    void ShowSystemZoneWait();
    // The system's answer: a refusal is told, then the dialog (if still open) closes.
    static void SystemZoneAnswered(QPointer<frmPrayerSettings> dialog, bool ok,
                                   const QString& error);

    // ---- coordinates ----
    void txtLatitude_KeyPress(std::int16_t& KeyAscii);
    void txtLongitude_KeyPress(std::int16_t& KeyAscii);
    void txtLatitude_Validate();
    void txtLongitude_Validate();
    // Whether both boxes hold a coordinate within its range; otherwise tells the user which
    // one is wrong and puts the focus on it.
    bool CoordinatesAcceptable();

    // ---- saving ----
    // False when nothing could be saved because a coordinate is out of range.
    bool SaveSettings();

    // ---- controls ----
    QTabWidget* tabMain = nullptr;
    QGroupBox* fraLocationByList = nullptr;
    QGroupBox* fraLocation = nullptr;
    QGroupBox* fraDaylightSavings = nullptr;
    QGroupBox* fraCalculationMethod = nullptr;
    QGroupBox* fraAngleDegrees = nullptr;
    QGroupBox* fraAngleTimeDifference = nullptr;
    QGroupBox* fraJuristicMethod = nullptr;
    QGroupBox* fraMaghribMinutes = nullptr;
    QGroupBox* fraDhuhrMinutes = nullptr;
    QGroupBox* fraRounding = nullptr;
    QGroupBox* fraMinuteAdjust = nullptr;
    QListWidget* lstCountry = nullptr;
    QListWidget* lstCity = nullptr;
    QLabel* lblCountries = nullptr;
    QLabel* lblCities = nullptr;
    QComboBox* cboCountry = nullptr;
    QComboBox* cboCity = nullptr;
    QComboBox* cboTimezone = nullptr;
    QLabel* lblCountry = nullptr;
    QLabel* lblCity = nullptr;
    QLabel* lblTimezone = nullptr;
    QLineEdit* txtProvince = nullptr;
    QLineEdit* txtLatitude = nullptr;
    QLineEdit* txtLongitude = nullptr;
    QLabel* lblProvince = nullptr;
    QLabel* lblLatitude = nullptr;
    QLabel* lblLongitude = nullptr;
    QLabel* lblPlaceFile = nullptr;  // the line that says why the place list is unavailable
    QLabel* lblSystemZone = nullptr; // the line that says OK waits for the system's zone
    std::array<QRadioButton*, 3> optDayLightSavings{};
    QComboBox* cboWindowsTimezone = nullptr;
    QComboBox* cboDaylightSavingsTime = nullptr;
    std::array<QRadioButton*, 8> optCalculationMethod{};
    QComboBox* cboFajrDegrees = nullptr;
    QComboBox* cboIshaDegrees = nullptr;
    QComboBox* cboFajrDegreesDifference = nullptr;
    QComboBox* cboIshaMinutes = nullptr;
    QLabel* lblFajrDegrees = nullptr;
    QLabel* lblIshaDegrees = nullptr;
    QLabel* lblFajrDegreesDifference = nullptr;
    QLabel* lblIshaMinutes = nullptr;
    std::array<QRadioButton*, 3> optJuristicMethod{}; // 1 Standard, 2 Hanafi
    QComboBox* cboMaghribMinutes = nullptr;
    QComboBox* cboDhuhrMinutes = nullptr;
    QComboBox* cboRounding = nullptr;
    QLabel* lblMaghribMinutes = nullptr;
    QLabel* lblDhuhrMinutes = nullptr;
    QCheckBox* chkMinuteAdjust = nullptr;
    std::array<QComboBox*, 7> cboMinuteAdjust{}; // 1..6
    std::array<QLabel*, 7> lblMinuteAdjust{};    // 1..6
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdDefaults = nullptr;
    std::unique_ptr<clsToolTip> ToolTips;

    // The selected option of an array, -1 when none.
    template <std::size_t N> static int SelectedOption(const std::array<QRadioButton*, N>& opts);

protected:
    void Form_Load() override;
    void Form_Unload(int* cancel) override;
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void createControls();
    void connectHandlers();
    void markChanged() { Changed = true; }
    // A tip through the dialog's tooltip window; the control's own tip when there is none.
    void setTip(QWidget* ctl, const QString& text);
    // Fills a list without running its handlers; the position is left at -1.
    void fillCombo(QComboBox* cbo, const QStringList& items);
    // Sets a position from code; the control's handler runs when the position changes.
    static void setListIndex(QComboBox* cbo, int index);
    static void setListIndex(QListWidget* lst, int index);
    void showCitiesOf(int country);
    void fillFromCity(int country, int city);
    void setCoordinateText(QLineEdit* txt, double value);
    void keyPress(QLineEdit* txt, std::int16_t& KeyAscii, int intDigits);
    void validate(QLineEdit* txt, double limit, double saved);
    void RecomputeMainWindow();
    void ForgetLastEvent();
};

// Opens the prayer settings dialog modally on the page (0 Location, 1 Calculation Method) and
// returns when it has closed; the main window then shows times under the settings in force.
void ShowPrayerSettings(std::int16_t startTab);

template <std::size_t N>
int frmPrayerSettings::SelectedOption(const std::array<QRadioButton*, N>& opts) {
    for (std::size_t i = 0; i < N; ++i)
        if (opts[i] && opts[i]->isChecked())
            return static_cast<int>(i);
    return -1;
}
