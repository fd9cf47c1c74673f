#pragma once
// How strongly a list row changes between two pictures of it: the largest change of colour
// (the sum over red, green and blue, 0..765) along the row's edge, where a focus frame shows.
#include <QColor>
#include <QImage>
#include <algorithm>
#include <cstdlib>

inline int EdgeContrast(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return 0;
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (y != 0 && y != a.height() - 1 && x != 0 && x != a.width() - 1)
                continue;
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            most = std::max(most, std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                                      std::abs(p.blue() - q.blue()));
        }
    return most;
}
