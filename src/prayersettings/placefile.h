#pragma once
// The place file of the prayer settings dialog, read within limits: only a regular file of at
// most kMaxBytes, nested at most kMaxDepth deep, with at most kMaxCitiesPerCountry cities in a
// country and kMaxCities in all.
//
// The file: a document element holding one "country" element per country, in the order of
// the built-in list; the first attribute of each is the country's name. A country's child
// elements are its cities; a city's first attribute is its name, and its first five child
// elements hold the province, the latitude and longitude in ten-thousandths of a degree, the
// standard GMT offset in hundredths of an hour and the daylight-saving flag (0 or 1).
//
// Opening reads the file once, a window at a time, and finds the countries with a quick pass
// over the markup; a country's cities are read from the file and parsed only when they are
// asked for (and only while the file is the one opened).
#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <sys/types.h>

// One city of the place file, as read and checked.
struct PlaceCity {
    QString fullName; // may hold a "|": the city box shows the part before it
    QString province;
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
    double gmtHours = 0;  // standard offset from GMT
    int dstFlag = 0;      // 0 no daylight saving, 1 daylight saving
};

class PlaceFile {
    Q_DECLARE_TR_FUNCTIONS(PlaceFile)
public:
    static constexpr qint64 kMaxBytes = 8 * 1024 * 1024;
    static constexpr int kMaxDepth = 16;
    static constexpr int kMaxCitiesPerCountry = 1000;
    static constexpr int kMaxCities = 50000;

    // Reads the file and finds its countries; false with the reason when it can't be used
    // (then the object is empty).
    bool Open(const QString& path, QString* reason);
    void Close();

    int CountryCount() const { return static_cast<int>(countries_.size()); }
    QString CountryName(int country) const;
    // The country's cities; a city whose name is empty or whose five fields are missing or not
    // whole numbers in range is left out. Markup that breaks off inside the country ends its
    // list there, with the reason in *problem ("" when the country was read whole); a file
    // that is no longer the one opened gives no cities and says so.
    QList<PlaceCity> Cities(int country, QString* problem = nullptr) const;

    // Where a country's element is in the file.
    struct Country {
        QString name;
        qsizetype begin = 0; // its start tag
        qsizetype end = -1;  // past its end tag
        qsizetype line = 0;  // the line its start tag is on, 1 first
        int cities = 0;
    };

private:
    struct Version {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        time_t seconds = 0;
        long nanoseconds = 0;
        bool operator==(const Version&) const = default;
    };
    QString path_;
    Version version_;
    QList<Country> countries_;
};
