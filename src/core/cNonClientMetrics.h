#pragma once
// The system's non-client metrics, and its message-box font as a font for our windows.
#include "platform/sysparams.h"

#include <QFont>
#include <QString>

class QWidget;

class cNonClientMetrics {
public:
    // Reads the metrics.
    cNonClientMetrics();
    void Refresh();
    // The message-box font; every read gives a new font.
    QFont SystemFont() const;

    const NONCLIENTMETRICSA& Metrics() const { return ncm_; }

private:
    static QFont fontFromLogFont(const LOGFONTA& lf);
    static float heightToPoints(LONG height);
    static int logPixelsY();
    static QString trimNull(const char* text, int size);

    NONCLIENTMETRICSA ncm_;
};

// Gives the window and each of its controls the system's message-box font and refreshes the
// time-format pattern. Lists, text boxes and combo boxes ("lst", "txt", "cbo" names) take only
// the font's face and keep their own size and style.
void ApplySystemFont(QWidget* frm);
