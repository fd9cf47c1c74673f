// Draws the program's built-in pictures with QPainter:
//   kaaba/1.png .. kaaba/33.png   the Kaaba under 33 skies, times of day and viewpoints (160x120)
//   icons/tray0.png .. tray5.png  the tray icon and its flashing and muted forms (32x32, alpha)
//   icons/tallix-time.png         the program icon (256x256)
//   cursors/hand.png              the pointing-hand cursor (32x32; hot spot in the PNG text
//                                 "HotSpot", "x,y", and in kHandHotSpot below)
//   pictures/bismillah.png        the decorative picture of the splash window (450x456)
// Nothing is random beyond a fixed-seed generator, so each run writes the same pixels.
//
// Usage: make_pictures <output folder>   (run on the offscreen platform)

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr QPoint kHandHotSpot(9, 1);

class Dice {
public:
    explicit Dice(std::uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    double unit() {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / double(1u << 24);
    }

private:
    std::uint32_t state_;
};

QColor mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t),
                            float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor scaled(const QColor& c, double f) {
    return QColor::fromRgbF(float(std::clamp(c.redF() * f, 0.0, 1.0)),
                            float(std::clamp(c.greenF() * f, 0.0, 1.0)),
                            float(std::clamp(c.blueF() * f, 0.0, 1.0)), c.alphaF());
}

// ---- Sky by hour ---------------------------------------------------------------------------

struct SkyKey {
    double hour;
    QColor top;
    QColor horizon;
    double light; // sunlight on the scene, 0..1
    QColor tint;  // colour of the light
};

const std::array<SkyKey, 10> kSkyKeys{{
    {0.0, QColor(6, 10, 30), QColor(20, 30, 70), 0.05, QColor(150, 170, 255)},
    {4.5, QColor(10, 16, 45), QColor(40, 50, 100), 0.08, QColor(150, 170, 255)},
    {5.5, QColor(40, 50, 110), QColor(240, 150, 110), 0.35, QColor(255, 170, 130)},
    {6.5, QColor(70, 120, 200), QColor(255, 200, 150), 0.65, QColor(255, 210, 170)},
    {9.0, QColor(50, 120, 220), QColor(170, 210, 245), 0.9, QColor(255, 250, 235)},
    {13.0, QColor(40, 110, 225), QColor(190, 225, 250), 1.0, QColor(255, 255, 245)},
    {16.5, QColor(60, 120, 210), QColor(235, 215, 170), 0.85, QColor(255, 235, 200)},
    {18.3, QColor(80, 70, 150), QColor(255, 120, 60), 0.45, QColor(255, 150, 90)},
    {19.5, QColor(20, 25, 70), QColor(120, 60, 100), 0.15, QColor(190, 150, 220)},
    {24.0, QColor(6, 10, 30), QColor(20, 30, 70), 0.05, QColor(150, 170, 255)},
}};

SkyKey skyAt(double hour) {
    for (std::size_t i = 0; i + 1 < kSkyKeys.size(); ++i) {
        const SkyKey& a = kSkyKeys[i];
        const SkyKey& b = kSkyKeys[i + 1];
        if (hour >= a.hour && hour <= b.hour) {
            const double t = (hour - a.hour) / (b.hour - a.hour);
            return {hour, mix(a.top, b.top, t), mix(a.horizon, b.horizon, t),
                    a.light + (b.light - a.light) * t, mix(a.tint, b.tint, t)};
        }
    }
    return kSkyKeys[0];
}

// ---- The cube ------------------------------------------------------------------------------

struct Camera {
    QPointF base;     // screen point of the cube's centre on the ground
    double scale;     // pixels per unit
    double yaw;       // radians
    double elevation; // radians
};

struct Vec3 {
    double x, y, z;
};

QPointF project(const Camera& c, const Vec3& p) {
    const double xr = p.x * std::cos(c.yaw) - p.y * std::sin(c.yaw);
    const double yr = p.x * std::sin(c.yaw) + p.y * std::cos(c.yaw);
    return {c.base.x() + c.scale * xr,
            c.base.y() - c.scale * (p.z * std::cos(c.elevation) + yr * std::sin(c.elevation))};
}

// One vertical face of the cube between two ground corners; (u, v) in 0..1 along and up.
struct Face {
    Vec3 a, b;
    double height;
    double normalAngle; // direction of the outward normal in world coordinates
    Vec3 at(double u, double v) const {
        return {a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, height * v};
    }
};

QPolygonF faceQuad(const Camera& c, const Face& f, double u0, double u1, double v0, double v1) {
    QPolygonF q;
    q << project(c, f.at(u0, v0)) << project(c, f.at(u1, v0)) << project(c, f.at(u1, v1))
      << project(c, f.at(u0, v1));
    return q;
}

// The building is a little longer than wide, and about as tall as long.
constexpr double kHalfLength = 1.0, kHalfWidth = 0.85, kHeight = 1.15;

void drawKaaba(QPainter& p, const Camera& cam, const SkyKey& sky, double sunAzimuth, bool night) {
    const double w = kHalfLength, d = kHalfWidth, h = kHeight;
    const std::array<Vec3, 4> g{{{-w, -d, 0}, {w, -d, 0}, {w, d, 0}, {-w, d, 0}}};
    const std::array<Face, 4> faces{{
        {g[0], g[1], h, -kPi / 2},
        {g[1], g[2], h, 0.0},
        {g[2], g[3], h, kPi / 2},
        {g[3], g[0], h, kPi},
    }};

    // Soft shadow on the ground, away from the sun.
    {
        const QPointF c = project(cam, {0, 0, 0});
        const QPointF off(-std::cos(sunAzimuth) * cam.scale * 0.8 * sky.light, 2.0);
        QRadialGradient sh(c + off, cam.scale * 1.9);
        sh.setColorAt(0.0, QColor(0, 0, 0, int(110 * sky.light + 30)));
        sh.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(sh);
        p.drawEllipse(c + off, cam.scale * 1.9, cam.scale * 0.55);
    }

    const QColor cloth(24, 23, 26);
    // At night the courtyard lamps light the gold from below.
    const QColor gold = night ? QColor(236, 196, 96) : QColor(214, 172, 72);
    const double ambient = 0.35 + 0.25 * sky.light;

    // Faces visible to the camera (outward normal pointing towards the viewer), far ones first.
    std::array<int, 4> order{0, 1, 2, 3};
    auto facing = [&](const Face& f) { return std::sin(f.normalAngle + cam.yaw); };
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return facing(faces[std::size_t(a)]) > facing(faces[std::size_t(b)]);
    });

    for (int idx : order) {
        const Face& f = faces[std::size_t(idx)];
        if (facing(f) > -0.02)
            continue; // faces away from the camera
        const double lambert = std::max(0.0, std::cos(f.normalAngle - sunAzimuth));
        const double lit = ambient + 0.9 * sky.light * lambert;
        const QColor shade = mix(scaled(cloth, 1.0 + 2.2 * lit), sky.tint, 0.08 * sky.light);
        p.setPen(QPen(scaled(cloth, 0.6), 0.6));
        p.setBrush(shade);
        p.drawPolygon(faceQuad(cam, f, 0, 1, 0, 1));

        // Folds of the cloth: faint vertical lines.
        p.setPen(QPen(scaled(shade, 0.8), 0.5));
        for (int k = 1; k < 8; ++k)
            p.drawLine(project(cam, f.at(k / 8.0, 0.05)), project(cam, f.at(k / 8.0, 0.62)));

        // The gold band around the upper part, with a thin inner line.
        const QColor band = mix(scaled(gold, 0.55 + 0.6 * lit), sky.tint, 0.15);
        p.setPen(Qt::NoPen);
        p.setBrush(band);
        p.drawPolygon(faceQuad(cam, f, 0, 1, 0.66, 0.76));
        p.setPen(QPen(scaled(band, 0.7), 0.6));
        p.drawLine(project(cam, f.at(0, 0.71)), project(cam, f.at(1, 0.71)));

        // The door: raised off the ground on the first face, near its left corner.
        if (idx == 0) {
            p.setPen(QPen(scaled(band, 0.65), 0.6));
            p.setBrush(band);
            p.drawPolygon(faceQuad(cam, f, 0.18, 0.36, 0.16, 0.52));
            p.setBrush(scaled(band, 0.75));
            p.drawPolygon(faceQuad(cam, f, 0.21, 0.33, 0.19, 0.49));
            // The steps up to the door stand a little in front of the face.
            p.setBrush(mix(QColor(200, 195, 185), sky.tint, 0.2));
            p.setPen(Qt::NoPen);
            p.drawPolygon(faceQuad(cam, f, 0.17, 0.37, 0.0, 0.12));
        }
    }

    // The roof edge: the top outline, slightly lit.
    QPolygonF roof;
    for (const Vec3& c : g)
        roof << project(cam, {c.x, c.y, h});
    p.setPen(QPen(scaled(cloth, 1.0 + 2.0 * sky.light), 0.6));
    p.setBrush(scaled(cloth, 0.9 + 1.2 * sky.light));
    p.drawPolygon(roof);
}

// ---- Surroundings --------------------------------------------------------------------------

void drawCrescent(QPainter& p, QPointF c, double r, double phase, const QColor& sky) {
    QPainterPath moon;
    moon.addEllipse(c, r, r);
    QPainterPath cut;
    cut.addEllipse(c + QPointF(r * phase, -r * 0.15), r * 0.92, r * 0.92);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 245, 215));
    p.drawPath(moon.subtracted(cut));
    QRadialGradient halo(c, r * 3);
    halo.setColorAt(0.0, QColor(250, 245, 215, 40));
    halo.setColorAt(1.0, QColor(sky.red(), sky.green(), sky.blue(), 0));
    p.setBrush(halo);
    p.drawEllipse(c, r * 3, r * 3);
}

void drawArcade(QPainter& p, int width, double horizon, double height, const QColor& wall,
                const QColor& opening, int arches, bool lit, Dice& dice) {
    p.setPen(Qt::NoPen);
    p.setBrush(wall);
    p.drawRect(QRectF(0, horizon - height, width, height + 1));
    const double span = double(width) / arches;
    for (int i = 0; i < arches; ++i) {
        const double x = i * span + span * 0.2;
        const double aw = span * 0.6;
        QPainterPath arch;
        arch.moveTo(x, horizon);
        arch.lineTo(x, horizon - height * 0.45);
        arch.arcTo(QRectF(x, horizon - height * 0.75, aw, height * 0.6), 180, -180);
        arch.lineTo(x + aw, horizon);
        arch.closeSubpath();
        p.setBrush(lit && dice.unit() < 0.8 ? QColor(255, 205, 120) : opening);
        p.drawPath(arch);
    }
    // Small domes along the roof line.
    p.setBrush(wall);
    for (int i = 0; i < arches; i += 2)
        p.drawEllipse(QPointF(i * span + span * 0.5, horizon - height), span * 0.35, height * 0.3);
}

void drawMinaret(QPainter& p, double x, double horizon, double h, const QColor& c, bool lit) {
    const double w = std::max(2.0, h * 0.07);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(QRectF(x - w / 2, horizon - h, w, h));
    p.drawRect(QRectF(x - w, horizon - h * 0.72, w * 2, 1.5)); // balcony
    p.drawRect(QRectF(x - w * 0.8, horizon - h * 0.45, w * 1.6, 1.2));
    QPolygonF cap;
    cap << QPointF(x - w * 0.7, horizon - h) << QPointF(x + w * 0.7, horizon - h)
        << QPointF(x, horizon - h - h * 0.18);
    p.drawPolygon(cap);
    if (lit) {
        p.setBrush(QColor(140, 255, 160));
        p.drawRect(QRectF(x - w / 2, horizon - h * 0.72 - 1, w, 1));
    }
}

void drawCloud(QPainter& p, QPointF c, double s, const QColor& col) {
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawEllipse(c, s * 1.6, s * 0.55);
    p.drawEllipse(c + QPointF(-s * 0.7, -s * 0.25), s * 0.7, s * 0.5);
    p.drawEllipse(c + QPointF(s * 0.5, -s * 0.35), s * 0.8, s * 0.6);
}

QImage drawKaabaPicture(int n) {
    constexpr int W = 160, H = 120;
    QImage img(W, H, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Dice dice(std::uint32_t(n) * 7919u);

    // Each picture has its own time of day, viewpoint and setting.
    const double hour = std::fmod(4.0 + (n - 1) * (20.5 / 32.0) + 0.3 * ((n * 5) % 3), 24.0);
    const SkyKey sky = skyAt(hour);
    const bool night = sky.light < 0.2;
    const double yaw = (18.0 + ((n * 7) % 11) * 5.5) * kPi / 180.0;
    const double elevation = (10.0 + ((n * 5) % 7) * 4.0) * kPi / 180.0;
    const double horizon = H * (0.42 + 0.04 * ((n * 3) % 5)) + (elevation - 0.3) * 20.0;
    const double sunAzimuth = -kPi / 2 + (hour - 12.0) / 12.0 * kPi + yaw * 0.5;

    // Sky.
    QLinearGradient skyGrad(0, 0, 0, horizon);
    skyGrad.setColorAt(0.0, sky.top);
    skyGrad.setColorAt(1.0, sky.horizon);
    p.fillRect(QRectF(0, 0, W, horizon + 1), skyGrad);

    if (night) {
        p.setPen(Qt::NoPen);
        const int stars = 25 + (n % 4) * 12;
        for (int i = 0; i < stars; ++i) {
            const double x = dice.unit() * W, y = dice.unit() * horizon * 0.85;
            const int a = 120 + int(dice.unit() * 135);
            p.setBrush(QColor(255, 255, 240, a));
            p.drawEllipse(QPointF(x, y), 0.45 + dice.unit() * 0.5, 0.45 + dice.unit() * 0.5);
        }
        drawCrescent(p, QPointF(20 + (n * 37) % 120, 14 + (n * 11) % 22), 5 + (n % 3),
                     0.35 + 0.12 * (n % 4), sky.top);
    } else {
        // The sun: its height follows the hour, its side the viewpoint.
        const double dayFrac = std::clamp((hour - 5.5) / 13.0, 0.0, 1.0);
        const double sunY = horizon - std::sin(dayFrac * kPi) * horizon * 0.9 + 6;
        const double sunX = W * (0.15 + 0.7 * std::fmod(dayFrac + 0.37 * n, 1.0));
        QRadialGradient sun(QPointF(sunX, sunY), 26);
        const QColor core = mix(QColor(255, 250, 220), QColor(255, 150, 60), 1.0 - sky.light);
        sun.setColorAt(0.0, core);
        sun.setColorAt(0.18, core);
        sun.setColorAt(0.25, QColor(core.red(), core.green(), core.blue(), 90));
        sun.setColorAt(1.0, QColor(core.red(), core.green(), core.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(sun);
        p.drawEllipse(QPointF(sunX, sunY), 26, 26);
        if (n % 3 != 1) {
            const QColor cloud = mix(QColor(255, 255, 255, 200), sky.horizon, 0.35);
            const int clouds = 1 + (n % 4);
            for (int i = 0; i < clouds; ++i)
                drawCloud(p, QPointF(dice.unit() * W, 8 + dice.unit() * horizon * 0.5),
                          5 + dice.unit() * 7, cloud);
        }
    }

    // Distant arcade and minarets.
    const QColor wallDay = mix(QColor(205, 195, 175), sky.tint, 0.25);
    const QColor wall =
        night ? mix(QColor(60, 58, 70), sky.horizon, 0.3) : scaled(wallDay, 0.6 + 0.4 * sky.light);
    const QColor opening = scaled(wall, 0.55);
    const QColor far = mix(wall, sky.horizon, 0.45);
    const int minarets = 2 + (n % 4);
    for (int i = 0; i < minarets; ++i) {
        const double x =
            W * (0.08 + 0.84 * (i + 0.5 * ((n + i) % 2) * 0.3) / std::max(1, minarets - 1));
        drawMinaret(p, std::min(W - 4.0, x), horizon - 4, 26 + ((n + i * 3) % 5) * 5, far, night);
    }
    drawArcade(p, W, horizon + 1, 9 + (n % 3) * 2, wall, opening, 9 + (n % 5), night, dice);

    // Courtyard: polished marble reflecting the sky, with the circling paths of the pilgrims.
    QLinearGradient ground(0, horizon, 0, H);
    const QColor marble = mix(QColor(232, 230, 225), sky.horizon, night ? 0.55 : 0.2);
    ground.setColorAt(0.0, scaled(marble, 0.75 + 0.25 * sky.light));
    ground.setColorAt(1.0, scaled(marble, 0.9 + 0.1 * sky.light));
    p.fillRect(QRectF(0, horizon + 1, W, H - horizon), ground);

    const double scale = 22.0 + ((n * 13) % 9) * 1.6;
    Camera cam{QPointF(W * (0.35 + 0.3 * ((n * 7) % 10) / 9.0), horizon + 18 + ((n * 3) % 4) * 5),
               scale, yaw, elevation};
    // Keep the whole building inside the picture.
    double lowest = 0.0;
    for (double sx : {-kHalfLength, kHalfLength})
        for (double sy : {-kHalfWidth, kHalfWidth})
            lowest = std::max(lowest, project(cam, {sx, sy, 0}).y());
    if (lowest > H - 4)
        cam.base.ry() -= lowest - (H - 4);
    p.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= 3; ++ring) {
        p.setPen(QPen(QColor(0, 0, 0, 25 + 8 * (3 - ring)), 0.7));
        const double r = scale * (1.6 + 0.55 * ring);
        p.drawEllipse(cam.base, r, r * std::sin(elevation) + 1.5);
    }
    // Pilgrims, as small white dots on the rings by day and by night.
    p.setPen(Qt::NoPen);
    const int people = 40 + (n % 5) * 15;
    for (int i = 0; i < people; ++i) {
        const double a = dice.unit() * 2 * kPi;
        const double r = scale * (1.5 + dice.unit() * 2.0);
        const QPointF pt(cam.base.x() + r * std::cos(a),
                         cam.base.y() + (r * std::sin(elevation) + 1.5) * std::sin(a));
        if (pt.y() < horizon + 2)
            continue;
        p.setBrush(QColor(250, 250, 250, 200));
        p.drawEllipse(pt, 0.7, 0.7);
    }

    drawKaaba(p, cam, sky, sunAzimuth, night);
    p.end();
    return img;
}

// ---- Icons ---------------------------------------------------------------------------------

void drawIconCube(QPainter& p, double size, double cx, double cy) {
    const Camera cam{QPointF(cx, cy), size, 35.0 * kPi / 180.0, 22.0 * kPi / 180.0};
    SkyKey bright{12.0, QColor(), QColor(), 0.9, QColor(255, 255, 250)};
    drawKaaba(p, cam, bright, -kPi / 2 - 0.6, false);
}

void drawCrossedSpeaker(QPainter& p, QRectF r) {
    // Speaker body and cone.
    QPolygonF spk;
    const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    spk << QPointF(x + w * 0.05, y + h * 0.35) << QPointF(x + w * 0.25, y + h * 0.35)
        << QPointF(x + w * 0.5, y + h * 0.1) << QPointF(x + w * 0.5, y + h * 0.9)
        << QPointF(x + w * 0.25, y + h * 0.65) << QPointF(x + w * 0.05, y + h * 0.65);
    p.setPen(QPen(QColor(20, 20, 20), 1.0));
    p.setBrush(QColor(245, 245, 245));
    p.drawPolygon(spk);
    // The red cross.
    p.setPen(QPen(QColor(220, 30, 30), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x + w * 0.6, y + h * 0.28), QPointF(x + w * 0.95, y + h * 0.72));
    p.drawLine(QPointF(x + w * 0.95, y + h * 0.28), QPointF(x + w * 0.6, y + h * 0.72));
}

enum class Halo { None, Athan, Reminder };

QImage drawTrayIcon(Halo halo, bool muted) {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (halo == Halo::Athan) {
        QRadialGradient g(QPointF(16, 16), 16);
        g.setColorAt(0.0, QColor(255, 240, 150, 255));
        g.setColorAt(0.6, QColor(255, 200, 40, 230));
        g.setColorAt(1.0, QColor(255, 170, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QPointF(16, 16), 16, 16);
    } else if (halo == Halo::Reminder) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 170, 200), 3.0));
        p.drawEllipse(QPointF(16, 16), 14, 14);
        p.setPen(QPen(QColor(120, 230, 255, 160), 1.5));
        p.drawEllipse(QPointF(16, 16), 11, 11);
    } else {
        // The resting icon: the building on a round green ground.
        QRadialGradient g(QPointF(16, 14), 17);
        g.setColorAt(0.0, QColor(60, 170, 90));
        g.setColorAt(1.0, QColor(20, 100, 50));
        p.setPen(QPen(QColor(10, 70, 35), 1.0));
        p.setBrush(g);
        p.drawEllipse(QPointF(16, 16), 15, 15);
    }
    drawIconCube(p, 7.5, 16, 24);
    if (muted)
        drawCrossedSpeaker(p, QRectF(17, 19, 15, 13));
    p.end();
    return img;
}

QImage drawProgramIcon() {
    constexpr int S = 256;
    QImage img(S, S, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(8, 8, S - 16, S - 16), 44, 44);
    QLinearGradient sky(0, 8, 0, S - 8);
    sky.setColorAt(0.0, QColor(12, 24, 70));
    sky.setColorAt(0.65, QColor(40, 70, 140));
    sky.setColorAt(1.0, QColor(220, 170, 110));
    p.setPen(QPen(QColor(8, 16, 45), 4));
    p.setBrush(sky);
    p.drawPath(tile);
    p.setClipPath(tile);
    Dice dice(99);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        p.setBrush(QColor(255, 255, 235, 120 + int(dice.unit() * 120)));
        p.drawEllipse(QPointF(16 + dice.unit() * (S - 32), 16 + dice.unit() * 110), 1.2, 1.2);
    }
    drawCrescent(p, QPointF(190, 62), 26, 0.45, QColor(12, 24, 70));
    QLinearGradient floor(0, 185, 0, S);
    floor.setColorAt(0.0, QColor(225, 220, 210));
    floor.setColorAt(1.0, QColor(250, 248, 240));
    p.fillRect(QRectF(0, 185, S, S - 185), floor);
    drawIconCube(p, 56, 128, 212);
    p.end();
    return img;
}

QImage drawHandCursor() {
    // A pointing hand: the index finger up, the other fingers folded, white with a black edge.
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.moveTo(7.5, 3.5);
    hand.cubicTo(7.5, 0.5, 11.5, 0.5, 11.5, 3.5); // tip of the index finger, hot spot above it
    hand.lineTo(11.5, 12.5);
    hand.cubicTo(11.5, 10.5, 15.5, 10.5, 15.5, 12.5);
    hand.cubicTo(15.5, 10.5, 19.5, 10.5, 19.5, 13.5);
    hand.cubicTo(19.5, 11.5, 23.5, 11.5, 23.5, 14.5);
    hand.lineTo(23.5, 22.5);
    hand.cubicTo(23.5, 27.5, 20.5, 30.5, 16.5, 30.5);
    hand.lineTo(12.5, 30.5);
    hand.cubicTo(9.5, 30.5, 8.0, 28.5, 6.0, 25.5);
    hand.lineTo(2.0, 18.5);
    hand.cubicTo(1.0, 16.5, 3.5, 15.0, 5.0, 16.5);
    hand.lineTo(7.5, 19.5);
    hand.closeSubpath();
    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(Qt::black, 0.8));
    p.drawLine(QPointF(11.5, 12.5), QPointF(11.5, 17));
    p.drawLine(QPointF(15.5, 12.5), QPointF(15.5, 17));
    p.drawLine(QPointF(19.5, 13.5), QPointF(19.5, 17));
    p.end();
    img.setText(QStringLiteral("HotSpot"),
                QStringLiteral("%1,%2").arg(kHandHotSpot.x()).arg(kHandHotSpot.y()));
    return img;
}

QPainterPath eightPointStar(QPointF c, double r) {
    // Two overlapping squares, the second turned by 45 degrees.
    QPainterPath a, b;
    QPolygonF sq1, sq2;
    for (int i = 0; i < 4; ++i) {
        const double t1 = kPi / 4 + i * kPi / 2, t2 = i * kPi / 2;
        sq1 << c + QPointF(r * std::cos(t1), r * std::sin(t1));
        sq2 << c + QPointF(r * std::cos(t2), r * std::sin(t2));
    }
    a.addPolygon(sq1);
    a.closeSubpath();
    b.addPolygon(sq2);
    b.closeSubpath();
    return a.united(b);
}

QImage drawSplashPicture() {
    // A geometric medallion: a field of eight-pointed stars in green and gold on white, with a
    // large central star and a border of interlaced squares.
    constexpr int W = 450, H = 456;
    QImage img(W, H, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor green(20, 110, 70), gold(200, 160, 60), pale(232, 242, 235);
    const QPointF c(W / 2.0, H / 2.0);

    // Tiled background inside a rounded frame.
    QPainterPath frame;
    frame.addRoundedRect(QRectF(12, 12, W - 24, H - 24), 24, 24);
    p.setPen(QPen(green, 6));
    p.setBrush(pale);
    p.drawPath(frame);
    p.setClipPath(frame);
    const double cell = 46.0;
    for (double y = 12 + cell / 2; y < H; y += cell) {
        for (double x = 12 + cell / 2; x < W; x += cell) {
            p.setPen(QPen(QColor(20, 110, 70, 90), 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(eightPointStar(QPointF(x, y), cell * 0.42));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(200, 160, 60, 110));
            p.drawEllipse(QPointF(x + cell / 2, y + cell / 2), 3, 3);
        }
    }
    p.setClipping(false);

    // Central medallion: rings and nested stars.
    p.setPen(QPen(gold, 4));
    p.setBrush(Qt::white);
    p.drawEllipse(c, 150, 150);
    p.setPen(QPen(green, 2));
    p.drawEllipse(c, 138, 138);
    for (int k = 0; k < 3; ++k) {
        const double r = 125 - k * 38;
        p.setPen(QPen(k % 2 ? gold : green, 3));
        p.setBrush(k % 2 ? QColor(250, 240, 210) : QColor(225, 240, 230));
        p.drawPath(eightPointStar(c, r));
    }
    // Petals around the medallion.
    p.setPen(QPen(green, 1.5));
    p.setBrush(QColor(200, 160, 60, 160));
    for (int i = 0; i < 16; ++i) {
        const double t = i * kPi / 8;
        p.drawEllipse(c + QPointF(std::cos(t) * 144, std::sin(t) * 144), 7, 7);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    p.drawEllipse(c, 12, 12);
    p.end();
    return img;
}

// ---- Small pictures of the main window ------------------------------------------------------

// The Kaaba that stands at the tip of the Qiblah needle.
QImage drawQiblahKaaba() {
    QImage img(24, 24, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawIconCube(p, 10.5, 12, 13);
    p.end();
    return img;
}

// A globe for the location in the status area: sea, meridians and parallels, two land masses.
QImage drawGlobe() {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.75, 0.75, 14.5, 14.5);
    QRadialGradient sea(QPointF(5.5, 5), 10);
    sea.setColorAt(0, QColor(120, 190, 250));
    sea.setColorAt(1, QColor(20, 80, 170));
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(r);
    p.setBrush(QColor(70, 160, 70));
    QPolygonF land1;
    land1 << QPointF(3, 5) << QPointF(6.5, 3) << QPointF(8, 6) << QPointF(6, 9) << QPointF(4, 8);
    QPolygonF land2;
    land2 << QPointF(9, 8) << QPointF(12.5, 7) << QPointF(13, 10) << QPointF(10, 13);
    p.drawPolygon(land1);
    p.drawPolygon(land2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 110), 0.6));
    p.drawEllipse(QRectF(4.5, 0.75, 7, 14.5));
    p.drawLine(QPointF(8, 0.75), QPointF(8, 15.25));
    p.drawLine(QPointF(0.75, 8), QPointF(15.25, 8));
    p.setPen(QPen(QColor(10, 50, 110), 0.9));
    p.drawEllipse(r);
    p.end();
    return img;
}

// A map pin for the place in the settings.
QImage drawLocationPin() {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath pin;
    pin.moveTo(8, 15.5);
    pin.cubicTo(4, 10, 2.5, 8, 2.5, 6);
    pin.arcTo(QRectF(2.5, 0.5, 11, 11), 180, -180);
    pin.cubicTo(13.5, 8, 12, 10, 8, 15.5);
    p.setPen(QPen(QColor(120, 10, 10), 0.8));
    p.setBrush(QColor(215, 40, 40));
    p.drawPath(pin);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 6), 2.2, 2.2);
    p.end();
    return img;
}

// ---- Toolbar buttons ------------------------------------------------------------------------

// The toolbar's pictures, 24 by 24, one per button key.
QImage drawToolbarPicture(const QString& key) {
    QImage img(24, 24, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 48);
    const QPen outline(ink, 1.2);
    p.setPen(outline);
    if (key == QLatin1String("Lock")) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(90, 90, 100), 2.2));
        p.drawArc(QRectF(7, 3, 10, 12), 0, 180 * 16);
        p.drawLine(QPointF(7, 9), QPointF(7, 12));
        p.drawLine(QPointF(17, 9), QPointF(17, 12));
        p.setPen(outline);
        p.setBrush(QColor(230, 180, 40));
        p.drawRoundedRect(QRectF(4.5, 11, 15, 11), 2, 2);
        p.setBrush(ink);
        p.drawEllipse(QPointF(12, 15.5), 1.6, 1.6);
        p.drawRect(QRectF(11.4, 16, 1.2, 3.5));
    } else if (key == QLatin1String("ScreenSaver")) {
        p.setBrush(QColor(200, 200, 205));
        p.drawRoundedRect(QRectF(2.5, 3.5, 19, 14), 1.5, 1.5);
        p.setBrush(QColor(20, 30, 80));
        p.drawRect(QRectF(4.5, 5.5, 15, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 230, 120));
        p.drawEllipse(QPointF(10, 10.5), 3.5, 3.5);
        p.setBrush(QColor(20, 30, 80));
        p.drawEllipse(QPointF(11.6, 9.6), 3, 3);
        p.setPen(outline);
        p.setBrush(QColor(160, 160, 170));
        p.drawRect(QRectF(9, 17.5, 6, 2.5));
        p.drawRect(QRectF(6, 20, 12, 2));
    } else if (key == QLatin1String("Export")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 2.5, 13, 18));
        p.setPen(QPen(QColor(120, 120, 130), 1));
        for (int y = 6; y <= 16; y += 3)
            p.drawLine(QPointF(6, y), QPointF(14, y));
        p.setPen(QPen(QColor(30, 130, 50), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(12, 17), QPointF(21, 17));
        p.drawLine(QPointF(17.5, 13.5), QPointF(21, 17));
        p.drawLine(QPointF(17.5, 20.5), QPointF(21, 17));
    } else if (key == QLatin1String("Print")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 2.5, 11, 8));
        p.setBrush(QColor(170, 170, 180));
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 15.5, 11, 6));
        p.setPen(QPen(QColor(120, 120, 130), 1));
        p.drawLine(QPointF(8.5, 18), QPointF(15.5, 18));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 200, 60));
        p.drawEllipse(QPointF(18.5, 12), 1.1, 1.1);
    } else if (key == QLatin1String("Location")) {
        p.scale(1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.drawImage(QPointF(0, 0), drawGlobe());
    } else if (key == QLatin1String("Calculation")) {
        p.setBrush(QColor(215, 215, 220));
        p.drawRoundedRect(QRectF(4.5, 2.5, 15, 19), 2, 2);
        p.setBrush(QColor(180, 220, 170));
        p.drawRect(QRectF(6.5, 4.5, 11, 4));
        p.setBrush(QColor(90, 90, 100));
        p.setPen(Qt::NoPen);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawRect(QRectF(7 + c * 3.7, 10.5 + r * 3.5, 2.6, 2.4));
    } else if (key == QLatin1String("Audio") || key == QLatin1String("Reminder")) {
        // A speaker with its waves; the reminders add a small clock.
        QPolygonF spk;
        spk << QPointF(3, 9) << QPointF(7, 9) << QPointF(12, 4.5) << QPointF(12, 19.5)
            << QPointF(7, 15) << QPointF(3, 15);
        p.setBrush(QColor(235, 235, 240));
        p.drawPolygon(spk);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(30, 90, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(9, 7, 7, 10), -50 * 16, 100 * 16);
        p.drawArc(QRectF(8, 4, 11, 16), -50 * 16, 100 * 16);
        if (key == QLatin1String("Reminder")) {
            p.setPen(outline);
            p.setBrush(QColor(255, 240, 170));
            p.drawEllipse(QPointF(17.5, 17.5), 5.5, 5.5);
            p.drawLine(QPointF(17.5, 17.5), QPointF(17.5, 14));
            p.drawLine(QPointF(17.5, 17.5), QPointF(20, 17.5));
        }
    } else if (key == QLatin1String("Other")) {
        // A cog wheel.
        p.setBrush(QColor(150, 150, 160));
        for (int k = 0; k < 8; ++k) {
            p.save();
            p.translate(12, 12);
            p.rotate(k * 45.0);
            p.drawRect(QRectF(-2, -10.5, 4, 5));
            p.restore();
        }
        p.drawEllipse(QPointF(12, 12), 7.5, 7.5);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(12, 12), 3, 3);
    } else if (key == QLatin1String("Kabaa")) {
        p.setBrush(QColor(250, 250, 245));
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.setPen(QPen(QColor(200, 30, 30), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(17, 5));
        p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(8, 18));
        drawIconCube(p, 4.0, 17.5, 7.5);
    } else if (key == QLatin1String("Calendar")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 4.5, 17, 16));
        p.setBrush(QColor(200, 50, 50));
        p.drawRect(QRectF(3.5, 4.5, 17, 4));
        p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 2.5), QPointF(8, 6));
        p.drawLine(QPointF(16, 2.5), QPointF(16, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 110, 60));
        p.drawEllipse(QPointF(12, 14.5), 4.2, 4.2);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(13.6, 13.6), 3.6, 3.6);
    } else if (key == QLatin1String("About")) {
        p.setBrush(QColor(40, 100, 200));
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(12, 7), 1.7, 1.7);
        p.drawRoundedRect(QRectF(10.5, 10, 3, 8.5), 1, 1);
    }
    p.end();
    return img;
}

// The keys of the toolbar's pictures.
const char* const kToolbarKeys[] = {"Lock",     "ScreenSaver", "Export",   "Print",
                                    "Location", "Calculation", "Audio",    "Other",
                                    "Reminder", "Kabaa",       "Calendar", "About"};

bool save(const QImage& img, const QString& path) {
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "make_pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const char* sub : {"kaaba", "icons", "cursors", "pictures", "toolbar"}) {
        if (!out.mkpath(QString::fromLatin1(sub))) {
            std::fprintf(stderr, "make_pictures: cannot create %s/%s\n", argv[1], sub);
            return 1;
        }
    }
    bool ok = true;
    for (int n = 1; n <= 33; ++n)
        ok = save(drawKaabaPicture(n), out.filePath(QStringLiteral("kaaba/%1.png").arg(n))) && ok;
    const std::array<std::pair<Halo, bool>, 6> tray{{
        {Halo::None, false},     // 0 normal
        {Halo::Athan, false},    // 1 athan flash phase, sound on
        {Halo::None, true},      // 2 muted
        {Halo::Athan, true},     // 3 athan flash phase, muted
        {Halo::Reminder, false}, // 4 reminder flash phase, sound on
        {Halo::Reminder, true},  // 5 reminder flash phase, muted
    }};
    for (std::size_t k = 0; k < tray.size(); ++k)
        ok = save(drawTrayIcon(tray[k].first, tray[k].second),
                  out.filePath(QStringLiteral("icons/tray%1.png").arg(k))) &&
             ok;
    ok = save(drawProgramIcon(), out.filePath(QStringLiteral("icons/tallix-time.png"))) && ok;
    ok = save(drawHandCursor(), out.filePath(QStringLiteral("cursors/hand.png"))) && ok;
    ok = save(drawSplashPicture(), out.filePath(QStringLiteral("pictures/bismillah.png"))) && ok;
    ok = save(drawQiblahKaaba(), out.filePath(QStringLiteral("pictures/qiblah-kaaba.png"))) && ok;
    ok = save(drawGlobe(), out.filePath(QStringLiteral("pictures/globe.png"))) && ok;
    ok = save(drawLocationPin(), out.filePath(QStringLiteral("pictures/location.png"))) && ok;
    for (const char* key : kToolbarKeys)
        ok = save(drawToolbarPicture(QLatin1String(key)),
                  out.filePath(QStringLiteral("toolbar/%1.png").arg(QLatin1String(key)))) &&
             ok;
    return ok ? 0 : 1;
}
