#pragma once

// What the passband page tests share: a synthetic trace of DWDM channels
// that counts the analyses run on it, and a look at the drawn cells.

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "FakeTrace.h"

// Every analysis asks the trace for its curve count once.
class CountingTrace : public FakeTrace {
public:
    int curveCount() const override
    {
        ++analyses;
        return FakeTrace::curveCount();
    }
    mutable int analyses = 0;
};

// Centre of a channel of the 100 GHz grid (channel 1 at 195.9 THz).
inline double ituChannelNm(int channel) { return 299792.458 / (195.9 - 0.1 * (channel - 1)); }

// A curve with a flat-topped passband at each given centre (peak level
// peakDb, 3 dB down 0.2 nm from the centre) on a -50 dB floor, sampled every
// picometre from 1545 to 1556 nm.
inline FakeCurve dwdmCurve(std::string name, const std::vector<double>& centresNm, double peakDb = -2.0)
{
    FakeCurve c{std::move(name), {}, {}};
    for (int i = 0; i <= 11000; ++i) {
        const double x = 1545.0 + i * 0.001;
        double level = -50.0;
        for (const double centre : centresNm) {
            const double u = (x - centre) / 0.2;
            level = std::max(level, peakDb - 3.0 * u * u * u * u);
        }
        c.wavelengthNm.push_back(x);
        c.levelDb.push_back(level);
    }
    return c;
}

// Pixels of the failure colour (pure red text) inside rect.
inline int redPixels(const QImage& image, const QRect& rect)
{
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90) ++n;
        }
    return n;
}

// Runs act on the first modal widget that shows up while the caller's
// modal loop runs (a dialog or a message box).
inline void whenModalShows(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}
