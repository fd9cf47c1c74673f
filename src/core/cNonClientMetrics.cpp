#include "cNonClientMetrics.h"

#include "datefmt.h"

#include <QWidget>

#include <cstring>

cNonClientMetrics::cNonClientMetrics() {
    ncm_.cbSize = sizeof(NONCLIENTMETRICSA);
    Refresh();
}

void cNonClientMetrics::Refresh() {
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &ncm_, 0);
}

QFont cNonClientMetrics::SystemFont() const {
    return fontFromLogFont(ncm_.lfMessageFont);
}

QString cNonClientMetrics::trimNull(const char* text, int size) {
    const auto* end = static_cast<const char*>(std::memchr(text, '\0', static_cast<size_t>(size)));
    if (!end)
        return QString::fromUtf8(text, size).trimmed();
    return QString::fromUtf8(text, static_cast<int>(end - text));
}

int cNonClientMetrics::logPixelsY() {
    const HWND desktop = GetDesktopWindow();
    const HDC dc = GetDC(desktop);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(desktop, dc);
    return dpi;
}

float cNonClientMetrics::heightToPoints(LONG height) {
    const int dpi = logPixelsY();
    return dpi > 0 ? static_cast<float>(height) * -72.0f / static_cast<float>(dpi) : 0.0f;
}

QFont cNonClientMetrics::fontFromLogFont(const LOGFONTA& lf) {
    QFont font;
    font.setBold(lf.lfWeight >= FW_BOLD);
    font.setItalic(lf.lfItalic != 0);
    font.setFamily(trimNull(lf.lfFaceName, LF_FACESIZE));
    // A positive height is a cell height, which has no size in points here; the font keeps
    // its default size then.
    const float points = heightToPoints(lf.lfHeight);
    if (points > 0)
        font.setPointSizeF(points);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    font.setUnderline(lf.lfUnderline != 0);
    if (lf.lfWeight >= 1 && lf.lfWeight <= 1000)
        font.setWeight(static_cast<QFont::Weight>(lf.lfWeight));
    return font;
}

namespace {

bool takesFaceOnly(const QString& name) {
    return name.startsWith(QLatin1String("lst")) || name.startsWith(QLatin1String("txt")) ||
           name.startsWith(QLatin1String("cbo"));
}

// The window's controls in their order: named widgets inside it, not inside another window,
// and not the parts Qt builds inside a control ("qt_..." names).
void collectControls(QWidget* parent, QList<QWidget*>* out) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            out->append(w);
        collectControls(w, out);
    }
}

} // namespace

void ApplySystemFont(QWidget* frm) {
    gTimeFormat = GetTimeFormatPattern();
    if (!frm)
        return;
    const cNonClientMetrics metrics;
    frm->setFont(metrics.SystemFont());
    QList<QWidget*> controls;
    collectControls(frm, &controls);
    for (QWidget* ctl : controls) {
        if (takesFaceOnly(ctl->objectName())) {
            QFont own = ctl->font();
            own.setFamily(metrics.SystemFont().family());
            ctl->setFont(own);
        } else {
            ctl->setFont(metrics.SystemFont());
        }
    }
}
