#include "skinart.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <vector>

using namespace SkinPalette;

namespace SkinArt {

namespace {
constexpr double PI = 3.14159265358979323846;

QColor Mix(QColor a, QColor b, double t) {
    return QColor::fromRgbF(
        float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
        float(a.blueF() + (b.blueF() - a.blueF()) * t), float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}
QColor Alpha(QColor c, int nAlpha) {
    c.setAlpha(nAlpha);
    return c;
}
// Point at an angle measured clockwise from 12 o'clock.
QPointF Polar(const QPointF& c, double fRadius, double fDeg) {
    const double a = fDeg * PI / 180.0;
    return {c.x() + fRadius * std::sin(a), c.y() - fRadius * std::cos(a)};
}
// Qt arcs count counter-clockwise from 3 o'clock in 1/16 degree.
int QtAngle(double fDeg) {
    return int(std::lround((90.0 - fDeg) * 16.0));
}
int QtSpan(double fDeg) {
    return int(std::lround(-fDeg * 16.0));
}
} // namespace

QImage NewImage(int nW, int nH) {
    QImage img(nW, nH, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QFont Font(double fPx, bool bBold, double fSpacing) {
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(std::max(1, int(std::lround(fPx))));
    f.setBold(bBold);
    f.setHintingPreference(QFont::PreferNoHinting);
    if (fSpacing != 0.0) f.setLetterSpacing(QFont::AbsoluteSpacing, fSpacing);
    return f;
}

void BrushedMetal(QImage& img, const QRect& rc, QColor base, double fStreak, unsigned nSeed) {
    const QRect r = rc.intersected(img.rect());
    const int nW = r.width();
    std::vector<double> noise(static_cast<size_t>(nW) + 64), row(static_cast<size_t>(nW));
    unsigned s = nSeed * 2654435761u + 1u;
    auto rnd = [&s] {
        s = s * 1664525u + 1013904223u;
        return double(s >> 8) / double(1u << 24) * 2.0 - 1.0;
    };
    constexpr int R = 24; // streak length
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (double& v : noise)
            v = rnd();
        double fSum = 0;
        for (int i = 0; i < 2 * R; ++i)
            fSum += noise[size_t(i % int(noise.size()))];
        const double fRow = rnd() * 0.5;
        for (int x = 0; x < nW; ++x) {
            fSum += noise[size_t((x + 2 * R) % int(noise.size()))] - noise[size_t(x % int(noise.size()))];
            row[size_t(x)] = fSum / (2 * R) * 2.2 + fRow + rnd() * 0.25;
        }
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < nW; ++x) {
            const double d = row[size_t(x)] * fStreak;
            auto ch = [d](int c) { return std::clamp(int(std::lround(c + d)), 0, 255); };
            line[r.left() + x] = qRgba(ch(base.red()), ch(base.green()), ch(base.blue()), 255);
        }
    }
}

void Panel(QPainter& p, const QRectF& rc, double fRadius, QColor top, QColor bottom) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // soft drop shadow
    for (int i = 4; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 22));
        p.drawRoundedRect(rc.adjusted(-i * 0.5, i * 0.5, i * 0.5, i * 1.0), fRadius + i, fRadius + i);
    }
    QLinearGradient g(rc.topLeft(), rc.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(0.12, Mix(top, bottom, 0.6));
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 170), 1));
    p.drawRoundedRect(rc.adjusted(0.5, 0.5, -0.5, -0.5), fRadius, fRadius);
    p.setPen(QPen(QColor(255, 255, 255, 22), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(rc.adjusted(1.5, 1.5, -1.5, -1.5), std::max(0.0, fRadius - 1),
                      std::max(0.0, fRadius - 1));
    p.restore();
}

void Well(QPainter& p, const QRectF& rc, double fRadius, QColor fill) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // bottom highlight, as if cut into the surface
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 18));
    p.drawRoundedRect(rc.adjusted(-0.5, 0, 0.5, 1.2), fRadius + 0.5, fRadius + 0.5);
    p.setBrush(fill);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.drawRoundedRect(rc.adjusted(0.5, 0.5, -0.5, -0.5), fRadius, fRadius);
    // inner shadow at the top
    QLinearGradient g(rc.topLeft(), rc.topLeft() + QPointF(0, std::min(6.0, rc.height() / 2)));
    g.setColorAt(0, QColor(0, 0, 0, 120));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(rc.adjusted(1, 1, -1, -1), fRadius, fRadius);
    p.restore();
}

void Groove(QPainter& p, const QRectF& rc) {
    p.save();
    const bool bHorizontal = rc.width() >= rc.height();
    p.setPen(QPen(QColor(0, 0, 0, 150), 1));
    if (bHorizontal) {
        p.drawLine(QPointF(rc.left(), rc.top() + 0.5), QPointF(rc.right(), rc.top() + 0.5));
        p.setPen(QPen(QColor(255, 255, 255, 20), 1));
        p.drawLine(QPointF(rc.left(), rc.top() + 1.5), QPointF(rc.right(), rc.top() + 1.5));
    } else {
        p.drawLine(QPointF(rc.left() + 0.5, rc.top()), QPointF(rc.left() + 0.5, rc.bottom()));
        p.setPen(QPen(QColor(255, 255, 255, 20), 1));
        p.drawLine(QPointF(rc.left() + 1.5, rc.top()), QPointF(rc.left() + 1.5, rc.bottom()));
    }
    p.restore();
}

void Screws(QPainter& p, const QRectF& rc, double fInset) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF pts[4] = {rc.topLeft() + QPointF(fInset, fInset), rc.topRight() + QPointF(-fInset, fInset),
                            rc.bottomLeft() + QPointF(fInset, -fInset),
                            rc.bottomRight() + QPointF(-fInset, -fInset)};
    for (const QPointF& c : pts) {
        QRadialGradient g(c + QPointF(-0.8, -0.8), 3.2);
        g.setColorAt(0, QColor(0x6a, 0x70, 0x78));
        g.setColorAt(1, QColor(0x24, 0x27, 0x2b));
        p.setBrush(g);
        p.setPen(QPen(QColor(0, 0, 0, 180), 0.8));
        p.drawEllipse(c, 2.6, 2.6);
        p.setPen(QPen(QColor(0x16, 0x18, 0x1a), 0.9));
        p.drawLine(c + QPointF(-1.6, 1.0), c + QPointF(1.6, -1.0));
    }
    p.restore();
}

void Text(QPainter& p, const QRectF& rc, const QString& sz, const QFont& font, QColor c, int nAlign) {
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(c);
    p.drawText(rc, nAlign, sz);
    p.restore();
}

void Caption(QPainter& p, const QRectF& rc, const QString& sz, int nAlign, double fPx, QColor c) {
    // engraved caption: a dark offset under the text
    Text(p, rc.translated(0, 1), sz, Font(fPx, true, 0.8), QColor(0, 0, 0, 160), nAlign);
    Text(p, rc, sz, Font(fPx, true, 0.8), c, nAlign);
}

void Glow(QPainter& p, const QPointF& c, double fRadius, QColor color, int nAlpha) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(c, fRadius);
    g.setColorAt(0, Alpha(color, nAlpha));
    g.setColorAt(0.45, Alpha(color, nAlpha / 3));
    g.setColorAt(1, Alpha(color, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, fRadius, fRadius);
    p.restore();
}

void Key(QPainter& p, const QRectF& rc, double fRadius, bool bPressed, bool bLit, QColor accent) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = rc.adjusted(1, 1, -1, bPressed ? -1 : -2);
    if (!bPressed) { // cast shadow
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 90));
        p.drawRoundedRect(body.translated(0, 1.5), fRadius, fRadius);
    }
    QColor top = bLit ? Mix(QColor(0x3d, 0x40, 0x44), accent, 0.22) : QColor(0x41, 0x46, 0x4d);
    QColor bottom = bLit ? Mix(QColor(0x24, 0x26, 0x29), accent, 0.12) : QColor(0x27, 0x2a, 0x2f);
    if (bPressed) std::swap(top, bottom), top = top.darker(115), bottom = bottom.darker(105);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), fRadius, fRadius);
    // bevel highlight
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, bPressed ? 10 : 34), 1));
    p.drawRoundedRect(body.adjusted(1.5, 1.5, -1.5, -1.5), std::max(0.0, fRadius - 1),
                      std::max(0.0, fRadius - 1));
    if (bLit) { // inner light and a lit edge along the bottom
        p.setClipRect(body);
        QRadialGradient lg(QPointF(body.center().x(), body.bottom()), body.width() * 0.6);
        lg.setColorAt(0, Alpha(accent, 70));
        lg.setColorAt(1, Alpha(accent, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(lg);
        p.drawRoundedRect(body, fRadius, fRadius);
        const double fBar = std::min(3.0, body.height() / 8);
        p.setBrush(accent);
        p.drawRoundedRect(QRectF(body.left() + fRadius + 2, body.bottom() - fBar - 1.5,
                                 body.width() - 2 * fRadius - 4, fBar),
                          fBar / 2, fBar / 2);
    }
    p.restore();
}

void Led(QPainter& p, const QPointF& c, double fRadius, bool bOn, QColor color) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (bOn) Glow(p, c, fRadius * 2.4, color, 110);
    // bezel
    p.setPen(Qt::NoPen);
    QLinearGradient bz(c + QPointF(0, -fRadius - 1), c + QPointF(0, fRadius + 1));
    bz.setColorAt(0, QColor(0, 0, 0, 200));
    bz.setColorAt(1, QColor(255, 255, 255, 40));
    p.setBrush(bz);
    p.drawEllipse(c, fRadius + 1.2, fRadius + 1.2);
    QRadialGradient g(c + QPointF(-fRadius * 0.3, -fRadius * 0.35), fRadius * 1.3);
    if (bOn) {
        g.setColorAt(0, QColor(255, 250, 235));
        g.setColorAt(0.35, color.lighter(120));
        g.setColorAt(1, color.darker(140));
    } else {
        g.setColorAt(0, Mix(QColor(0x4a, 0x4d, 0x52), color, 0.15));
        g.setColorAt(1, QColor(0x16, 0x17, 0x19));
    }
    p.setBrush(g);
    p.drawEllipse(c, fRadius, fRadius);
    // specular
    p.setBrush(QColor(255, 255, 255, bOn ? 150 : 45));
    p.drawEllipse(c + QPointF(-fRadius * 0.32, -fRadius * 0.38), fRadius * 0.32, fRadius * 0.22);
    p.restore();
}

void KnobBody(QPainter& p, const QPointF& c, double r, double fAngleDeg, bool bSmall) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    // shadow
    QRadialGradient sh(c + QPointF(0, r * 0.12), r * 1.18);
    sh.setColorAt(0.75, QColor(0, 0, 0, 170));
    sh.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(sh);
    p.drawEllipse(c + QPointF(0, r * 0.12), r * 1.18, r * 1.18);
    // knurled skirt
    QConicalGradient skirt(c, 90);
    const int nRidges = bSmall ? 18 : 36;
    for (int i = 0; i <= nRidges; ++i) {
        const double t = double(i) / nRidges;
        skirt.setColorAt(std::min(1.0, t), i % 2 ? QColor(0x1b, 0x1d, 0x20) : QColor(0x3a, 0x3e, 0x44));
    }
    p.setBrush(skirt);
    p.drawEllipse(c, r, r);
    QRadialGradient shade(c + QPointF(0, -r * 0.4), r * 1.3);
    shade.setColorAt(0, QColor(255, 255, 255, 30));
    shade.setColorAt(1, QColor(0, 0, 0, 110));
    p.setBrush(shade);
    p.drawEllipse(c, r, r);
    // brushed cap with a conical sheen
    const double rc = r * 0.8;
    QConicalGradient cap(c, -40);
    const QColor lo(0x2c, 0x30, 0x35), hi(0x6e, 0x75, 0x7e);
    cap.setColorAt(0.0, hi);
    cap.setColorAt(0.13, lo);
    cap.setColorAt(0.37, hi.darker(115));
    cap.setColorAt(0.5, lo);
    cap.setColorAt(0.63, hi);
    cap.setColorAt(0.87, lo);
    cap.setColorAt(1.0, hi);
    p.setBrush(cap);
    p.setPen(QPen(QColor(0, 0, 0, 190), 1.0));
    p.drawEllipse(c, rc, rc);
    QRadialGradient dome(c + QPointF(0, -rc * 0.55), rc * 1.5);
    dome.setColorAt(0, QColor(255, 255, 255, 40));
    dome.setColorAt(0.6, QColor(255, 255, 255, 0));
    dome.setColorAt(1, QColor(0, 0, 0, 60));
    p.setBrush(dome);
    p.setPen(QPen(QColor(255, 255, 255, 45), 1.0));
    p.drawEllipse(c, rc - 1, rc - 1);
    // pointer: a lit line into the cap
    const QPointF a = Polar(c, rc * (bSmall ? 0.3 : 0.42), fAngleDeg);
    const QPointF b = Polar(c, rc * 0.9, fAngleDeg);
    p.setPen(QPen(Alpha(ACCENT, 70), bSmall ? 4.0 : 6.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
    p.setPen(QPen(ACCENT, bSmall ? 1.8 : 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
    p.setPen(QPen(QColor(255, 240, 210, 200), bSmall ? 0.7 : 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
    p.restore();
}

void ArcScale(QPainter& p, const QPointF& c, double r, double fFraction, double fWidth, int nTicks) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    // groove
    p.setPen(QPen(QColor(0, 0, 0, 210), fWidth + 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(box, QtAngle(-135), QtSpan(270));
    p.setPen(QPen(QColor(0x2b, 0x2e, 0x33), fWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(box, QtAngle(-135), QtSpan(270));
    // ticks outside the groove
    if (nTicks > 1)
        for (int i = 0; i < nTicks; ++i) {
            const double fDeg = -135.0 + 270.0 * i / (nTicks - 1);
            const bool bLit = double(i) / (nTicks - 1) <= fFraction + 1e-9 && fFraction > 0;
            const bool bMajor = i == 0 || i == nTicks - 1 || i == (nTicks - 1) / 2;
            p.setPen(QPen(bLit ? Alpha(ACCENT, 230) : QColor(0x6b, 0x72, 0x7b), bMajor ? 1.4 : 1.0));
            p.drawLine(Polar(c, r + fWidth / 2 + 2.0, fDeg),
                       Polar(c, r + fWidth / 2 + (bMajor ? 5.5 : 4.0), fDeg));
        }
    if (fFraction > 0) {
        const double fSpan = 270.0 * std::min(1.0, fFraction);
        p.setPen(QPen(Alpha(ACCENT, 60), fWidth + 5, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(box, QtAngle(-135), QtSpan(fSpan));
        QConicalGradient g(c, 90.0 + 135.0);
        g.setColorAt(0, ACCENT_DEEP);
        g.setColorAt(0.75, ACCENT);
        g.setColorAt(1, ACCENT);
        p.setPen(QPen(QBrush(g), fWidth, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(box, QtAngle(-135), QtSpan(fSpan));
        // hot spot at the end of the arc
        const QPointF tip = Polar(c, r, -135.0 + fSpan);
        Glow(p, tip, fWidth * 2.2, ACCENT, 150);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 236, 200));
        p.drawEllipse(tip, fWidth * 0.35, fWidth * 0.35);
    }
    p.restore();
}

void Glyph(QPainter& p, EGlyph g, const QRectF& rc, QColor c, double fPen) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c, fPen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    auto P = [&rc](double x, double y) {
        return QPointF(rc.left() + x * rc.width(), rc.top() + y * rc.height());
    };
    QPainterPath path;
    switch (g) {
    case EGlyph::HighPass:
        path.moveTo(P(0.08, 0.88));
        path.cubicTo(P(0.30, 0.82), P(0.36, 0.32), P(0.55, 0.3));
        path.lineTo(P(0.92, 0.3));
        break;
    case EGlyph::LowPass:
        path.moveTo(P(0.08, 0.3));
        path.lineTo(P(0.45, 0.3));
        path.cubicTo(P(0.64, 0.32), P(0.70, 0.82), P(0.92, 0.88));
        break;
    case EGlyph::BandPass:
        path.moveTo(P(0.06, 0.88));
        path.cubicTo(P(0.25, 0.84), P(0.28, 0.3), P(0.42, 0.3));
        path.lineTo(P(0.58, 0.3));
        path.cubicTo(P(0.72, 0.3), P(0.75, 0.84), P(0.94, 0.88));
        break;
    case EGlyph::Crossover:
        path.moveTo(P(0.06, 0.3));
        path.lineTo(P(0.32, 0.3));
        path.cubicTo(P(0.52, 0.32), P(0.60, 0.86), P(0.9, 0.9));
        path.moveTo(P(0.1, 0.9));
        path.cubicTo(P(0.40, 0.86), P(0.48, 0.32), P(0.68, 0.3));
        path.lineTo(P(0.94, 0.3));
        break;
    case EGlyph::Equalizer:
        for (int i = 0; i < 4; ++i) {
            const double x = 0.16 + 0.23 * i, k = (i == 0 ? 0.62 : i == 1 ? 0.32 : i == 2 ? 0.7 : 0.45);
            path.moveTo(P(x, 0.1));
            path.lineTo(P(x, 0.9));
            path.addRoundedRect(QRectF(P(x - 0.07, k - 0.07), P(x + 0.07, k + 0.07)), 1.5, 1.5);
        }
        break;
    case EGlyph::Config: { // inputs routed to outputs
        for (int i = 0; i < 3; ++i) {
            const double y = 0.2 + 0.3 * i;
            path.addEllipse(P(0.12, y), rc.width() * 0.07, rc.width() * 0.07);
            path.moveTo(P(0.19, y));
            path.cubicTo(P(0.5, y), P(0.5, 0.2 + 0.3 * (2 - i)), P(0.81, 0.2 + 0.3 * (2 - i)));
            path.addEllipse(P(0.88, y), rc.width() * 0.07, rc.width() * 0.07);
        }
        break;
    }
    case EGlyph::Time:
        path.addEllipse(P(0.5, 0.56), rc.width() * 0.38, rc.height() * 0.38);
        path.moveTo(P(0.5, 0.56));
        path.lineTo(P(0.5, 0.32));
        path.moveTo(P(0.5, 0.56));
        path.lineTo(P(0.66, 0.66));
        path.moveTo(P(0.42, 0.08));
        path.lineTo(P(0.58, 0.08));
        path.moveTo(P(0.5, 0.08));
        path.lineTo(P(0.5, 0.18));
        break;
    case EGlyph::Phase:
        path.addEllipse(P(0.5, 0.5), rc.width() * 0.3, rc.height() * 0.3);
        path.moveTo(P(0.2, 0.84));
        path.lineTo(P(0.8, 0.16));
        break;
    case EGlyph::Book:
        path.moveTo(P(0.5, 0.25));
        path.cubicTo(P(0.38, 0.16), P(0.2, 0.16), P(0.08, 0.22));
        path.lineTo(P(0.08, 0.84));
        path.cubicTo(P(0.2, 0.78), P(0.38, 0.78), P(0.5, 0.87));
        path.cubicTo(P(0.62, 0.78), P(0.8, 0.78), P(0.92, 0.84));
        path.lineTo(P(0.92, 0.22));
        path.cubicTo(P(0.8, 0.16), P(0.62, 0.16), P(0.5, 0.25));
        path.lineTo(P(0.5, 0.87));
        break;
    case EGlyph::Warning:
        path.moveTo(P(0.5, 0.08));
        path.lineTo(P(0.94, 0.88));
        path.lineTo(P(0.06, 0.88));
        path.closeSubpath();
        path.moveTo(P(0.5, 0.36));
        path.lineTo(P(0.5, 0.62));
        path.addEllipse(P(0.5, 0.75), fPen * 0.35, fPen * 0.35);
        break;
    case EGlyph::Question:
        path.addEllipse(P(0.5, 0.5), rc.width() * 0.44, rc.height() * 0.44);
        p.drawPath(path);
        path = {};
        Text(p, rc.adjusted(0, -rc.height() * 0.04, 0, 0), QStringLiteral("?"), Font(rc.height() * 0.62), c);
        break;
    }
    p.drawPath(path);
    p.restore();
}

void SpeakerTop(QPainter& p, const QPointF& c, double r, int nKind, bool bInverted) {
    // nKind: 0 tweeter, 1 midrange, 2 woofer, 3 coaxial, 4 centre, 5 subwoofer
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor ring = bInverted ? WARN : ACCENT;
    // shadow and basket
    QRadialGradient sh(c + QPointF(0, r * 0.08), r);
    sh.setColorAt(0.8, QColor(0, 0, 0, 160));
    sh.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(sh);
    p.drawEllipse(c + QPointF(0, r * 0.08), r, r);
    const double rFrame = r * 0.92;
    QLinearGradient fr(c + QPointF(0, -rFrame), c + QPointF(0, rFrame));
    fr.setColorAt(0, QColor(0x55, 0x5b, 0x63));
    fr.setColorAt(1, QColor(0x1c, 0x1e, 0x21));
    p.setBrush(fr);
    p.setPen(QPen(QColor(0, 0, 0, 200), 0.8));
    p.drawEllipse(c, rFrame, rFrame);
    // status ring: lit in the accent, or warning red when the phase is inverted
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Alpha(ring, 90), std::max(2.0, r * 0.12)));
    p.drawEllipse(c, rFrame - r * 0.05, rFrame - r * 0.05);
    p.setPen(QPen(ring, std::max(1.0, r * 0.05)));
    p.drawEllipse(c, rFrame - r * 0.05, rFrame - r * 0.05);
    p.setPen(Qt::NoPen);
    if (nKind == 2 || nKind == 3 || nKind == 5) { // mounting screws
        for (int i = 0; i < 4; ++i) {
            const QPointF s = Polar(c, rFrame * 0.8, 45 + 90 * i);
            p.setBrush(QColor(0x9a, 0xa0, 0xa8));
            p.drawEllipse(s, r * 0.045, r * 0.045);
        }
    }
    if (nKind == 0) { // tweeter: faceplate and a silk dome
        QRadialGradient face(c, rFrame * 0.75);
        face.setColorAt(0, QColor(0x2a, 0x2d, 0x31));
        face.setColorAt(1, QColor(0x14, 0x15, 0x17));
        p.setBrush(face);
        p.drawEllipse(c, rFrame * 0.74, rFrame * 0.74);
        QRadialGradient dome(c + QPointF(-r * 0.15, -r * 0.18), r * 0.55);
        dome.setColorAt(0, bInverted ? QColor(0xc9, 0x8a, 0x8a) : QColor(0xc8, 0xcc, 0xd2));
        dome.setColorAt(0.5, bInverted ? QColor(0x6a, 0x30, 0x30) : QColor(0x5d, 0x62, 0x69));
        dome.setColorAt(1, QColor(0x1e, 0x20, 0x23));
        p.setBrush(dome);
        p.drawEllipse(c, r * 0.44, r * 0.44);
        p.restore();
        return;
    }
    const double rSurround = rFrame * (nKind == 5 ? 0.8 : 0.82), rCone = rFrame * (nKind == 5 ? 0.64 : 0.68);
    QRadialGradient sur(c + QPointF(0, -r * 0.1), rSurround);
    sur.setColorAt(rCone / rSurround, QColor(0x10, 0x11, 0x12));
    sur.setColorAt((rCone / rSurround + 1) / 2, QColor(0x3c, 0x40, 0x45));
    sur.setColorAt(1, QColor(0x0c, 0x0d, 0x0e));
    p.setBrush(sur);
    p.drawEllipse(c, rSurround, rSurround);
    QRadialGradient cone(c + QPointF(-r * 0.1, -r * 0.15), rCone * 1.1);
    cone.setColorAt(0, QColor(0x4a, 0x4f, 0x56));
    cone.setColorAt(0.7, QColor(0x23, 0x26, 0x2a));
    cone.setColorAt(1, QColor(0x15, 0x16, 0x18));
    p.setBrush(cone);
    p.drawEllipse(c, rCone, rCone);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 16), 0.8));
    for (double k = 0.45; k < 0.95; k += 0.17)
        p.drawEllipse(c, rCone * k, rCone * k);
    p.setPen(Qt::NoPen);
    if (nKind == 3) { // coaxial: a bridge carrying a tweeter
        p.setBrush(QColor(0x30, 0x33, 0x37));
        p.drawRoundedRect(QRectF(c.x() - rCone, c.y() - r * 0.07, 2 * rCone, r * 0.14), 2, 2);
    }
    const double rCap = nKind == 3 ? r * 0.26 : rCone * 0.42;
    QRadialGradient cap(c + QPointF(-rCap * 0.35, -rCap * 0.45), rCap * 1.4);
    if (bInverted) {
        cap.setColorAt(0, QColor(0xff, 0xb0, 0xa8));
        cap.setColorAt(0.4, QColor(0xb8, 0x3a, 0x36));
        cap.setColorAt(1, QColor(0x3c, 0x12, 0x12));
    } else {
        cap.setColorAt(0, QColor(0xd6, 0xda, 0xe0));
        cap.setColorAt(0.4, QColor(0x6d, 0x73, 0x7b));
        cap.setColorAt(1, QColor(0x1d, 0x1f, 0x22));
    }
    p.setBrush(cap);
    p.drawEllipse(c, rCap, rCap);
    p.restore();
}

void CarTop(QPainter& p, const QRectF& rc, bool bHorizontal) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Draw nose-up in a W x L frame; the horizontal car is the same turned to point right.
    double W = rc.width(), L = rc.height();
    if (bHorizontal) {
        p.translate(rc.right(), rc.top());
        p.rotate(90);
        W = rc.height(), L = rc.width();
    } else {
        p.translate(rc.topLeft());
    }
    auto P = [W, L](double u, double v) { return QPointF(u * W, v * L); };
    auto R = [W, L](double u0, double v0, double u1, double v1) {
        return QRectF(u0 * W, v0 * L, (u1 - u0) * W, (v1 - v0) * L);
    };

    // ground shadow
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 8; ++i) {
        p.setBrush(QColor(0, 0, 0, 26));
        const double k = i * 0.006;
        p.drawRoundedRect(R(0.02 - k, 0.01 - k * 0.6, 0.98 + k, 1.0 + k * 0.4), W * 0.2, W * 0.2);
    }
    // wheels, just showing beyond the body
    for (double v : {0.12, 0.71})
        for (double u : {0.008, 0.902}) {
            QLinearGradient tg(P(u, 0), P(u + 0.09, 0));
            tg.setColorAt(0, QColor(0x08, 0x09, 0x0a));
            tg.setColorAt(0.5, QColor(0x1e, 0x20, 0x23));
            tg.setColorAt(1, QColor(0x08, 0x09, 0x0a));
            p.setBrush(tg);
            p.drawRoundedRect(R(u, v, u + 0.09, v + 0.125), W * 0.025, W * 0.025);
        }
    // body
    QPainterPath body;
    body.moveTo(P(0.5, 0.0));
    body.cubicTo(P(0.78, 0.0), P(0.94, 0.012), P(0.955, 0.085));
    body.cubicTo(P(0.975, 0.2), P(0.975, 0.6), P(0.965, 0.9));
    body.cubicTo(P(0.96, 0.985), P(0.8, 1.0), P(0.5, 1.0));
    body.cubicTo(P(0.2, 1.0), P(0.04, 0.985), P(0.035, 0.9));
    body.cubicTo(P(0.025, 0.6), P(0.025, 0.2), P(0.045, 0.085));
    body.cubicTo(P(0.06, 0.012), P(0.22, 0.0), P(0.5, 0.0));
    QLinearGradient paint(P(0, 0), P(1, 0));
    paint.setColorAt(0, QColor(0x1d, 0x20, 0x24));
    paint.setColorAt(0.18, QColor(0x3b, 0x41, 0x49));
    paint.setColorAt(0.32, QColor(0x2c, 0x31, 0x37));
    paint.setColorAt(0.5, QColor(0x33, 0x38, 0x3f));
    paint.setColorAt(0.68, QColor(0x2c, 0x31, 0x37));
    paint.setColorAt(0.82, QColor(0x3b, 0x41, 0x49));
    paint.setColorAt(1, QColor(0x1d, 0x20, 0x24));
    p.setBrush(paint);
    p.setPen(QPen(QColor(0x7d, 0x86, 0x91), 1.4));
    p.drawPath(body);
    // mirrors
    p.setPen(QPen(QColor(0x7d, 0x86, 0x91), 1.0));
    p.setBrush(QColor(0x2e, 0x33, 0x39));
    p.drawRoundedRect(R(-0.025, 0.235, 0.06, 0.262), 3, 3);
    p.drawRoundedRect(R(0.94, 0.235, 1.025, 0.262), 3, 3);
    // head and tail lights: slim strips following the nose and the tail
    for (int side = 0; side < 2; ++side) {
        auto M = [&](double u, double v) { return side ? P(1.0 - u, v) : P(u, v); };
        QPainterPath head;
        head.moveTo(M(0.1, 0.05));
        head.cubicTo(M(0.14, 0.03), M(0.22, 0.018), M(0.33, 0.014));
        QPainterPath tail;
        tail.moveTo(M(0.08, 0.955));
        tail.cubicTo(M(0.12, 0.975), M(0.22, 0.985), M(0.34, 0.987));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0xb4, 0xd2, 0xff, 70), W * 0.035, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(head);
        p.setPen(QPen(QColor(0xee, 0xf5, 0xff), W * 0.013, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(head);
        p.setPen(QPen(QColor(0xff, 0x30, 0x30, 80), W * 0.035, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(tail);
        p.setPen(QPen(QColor(0xff, 0x4a, 0x42), W * 0.013, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(tail);
        // a highlight along the flank
        p.setPen(QPen(QColor(255, 255, 255, 26), 1.0));
        p.drawLine(M(0.055, 0.12), M(0.05, 0.86));
    }
    // hood creases
    p.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
    p.drawLine(P(0.3, 0.05), P(0.34, 0.16));
    p.drawLine(P(0.7, 0.05), P(0.66, 0.16));
    // glass: windshield and rear window
    QPainterPath wind;
    wind.moveTo(P(0.14, 0.235));
    wind.cubicTo(P(0.3, 0.16), P(0.7, 0.16), P(0.86, 0.235));
    wind.lineTo(P(0.82, 0.265));
    wind.cubicTo(P(0.65, 0.235), P(0.35, 0.235), P(0.18, 0.265));
    wind.closeSubpath();
    QLinearGradient glass(P(0, 0.17), P(0, 0.27));
    glass.setColorAt(0, QColor(0x5d, 0x74, 0x8c, 200));
    glass.setColorAt(1, QColor(0x14, 0x1c, 0x26, 230));
    p.setBrush(glass);
    p.setPen(QPen(QColor(0x8a, 0x94, 0xa0), 0.8));
    p.drawPath(wind);
    QPainterPath rear;
    rear.moveTo(P(0.2, 0.81));
    rear.cubicTo(P(0.35, 0.795), P(0.65, 0.795), P(0.8, 0.81));
    rear.lineTo(P(0.84, 0.855));
    rear.cubicTo(P(0.65, 0.875), P(0.35, 0.875), P(0.16, 0.855));
    rear.closeSubpath();
    p.drawPath(rear);
    // cabin: the roof is left off so the seats and speaker places show
    QPainterPath cabin;
    cabin.addRoundedRect(R(0.1, 0.265, 0.9, 0.81), W * 0.08, W * 0.08);
    QLinearGradient floor(P(0, 0.27), P(0, 0.81));
    floor.setColorAt(0, QColor(0x15, 0x17, 0x1a));
    floor.setColorAt(1, QColor(0x1b, 0x1e, 0x22));
    p.setBrush(floor);
    p.setPen(QPen(QColor(0x0a, 0x0b, 0x0c), 1.2));
    p.drawPath(cabin);
    // dashboard and steering wheel
    QPainterPath dash;
    dash.moveTo(P(0.1, 0.27));
    dash.cubicTo(P(0.35, 0.26), P(0.65, 0.26), P(0.9, 0.27));
    dash.lineTo(P(0.9, 0.305));
    dash.cubicTo(P(0.65, 0.325), P(0.35, 0.325), P(0.1, 0.305));
    dash.closeSubpath();
    p.setBrush(QColor(0x26, 0x29, 0x2e));
    p.setPen(QPen(QColor(0x4a, 0x51, 0x59), 0.8));
    p.drawPath(dash);
    // steering wheel seen from above: a rim with its hub
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x0c, 0x0d, 0x0f), std::max(2.5, W * 0.022), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(P(0.22, 0.322), P(0.42, 0.322));
    p.setPen(QPen(QColor(0x4b, 0x52, 0x5b), std::max(1.5, W * 0.012), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(P(0.22, 0.322), P(0.42, 0.322));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3a, 0x40, 0x47));
    p.drawRoundedRect(R(0.29, 0.312, 0.35, 0.336), 2, 2);
    // seats
    auto seat = [&](double u0, double v0, double u1, double v1) {
        QLinearGradient sg(P(u0, 0), P(u1, 0));
        sg.setColorAt(0, QColor(0x25, 0x28, 0x2c));
        sg.setColorAt(0.5, QColor(0x3a, 0x3f, 0x46));
        sg.setColorAt(1, QColor(0x25, 0x28, 0x2c));
        p.setBrush(sg);
        p.setPen(QPen(QColor(0x0e, 0x0f, 0x11), 1.0));
        p.drawRoundedRect(R(u0, v0, u1, v1), W * 0.04, W * 0.04);
        p.setPen(QPen(QColor(255, 255, 255, 18), 1.0));
        p.drawLine(P(u0 + 0.03, (v0 + v1) / 2), P(u1 - 0.03, (v0 + v1) / 2));
    };
    seat(0.17, 0.37, 0.43, 0.5);
    seat(0.57, 0.37, 0.83, 0.5);
    seat(0.2, 0.5, 0.4, 0.53); // backrests
    seat(0.6, 0.5, 0.8, 0.53);
    p.setBrush(QColor(0x20, 0x23, 0x27));
    p.setPen(QPen(QColor(0x0e, 0x0f, 0x11), 1.0));
    p.drawRoundedRect(R(0.46, 0.34, 0.54, 0.52), 3, 3); // console
    seat(0.14, 0.62, 0.86, 0.73);                       // rear bench
    seat(0.14, 0.73, 0.86, 0.765);
    // door seams
    p.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
    for (double v : {0.3, 0.56, 0.79}) {
        p.drawLine(P(0.03, v), P(0.1, v));
        p.drawLine(P(0.9, v), P(0.97, v));
    }
    p.restore();
}

// ---- control families ---------------------------------------------------------------------------

namespace {

QImage DrawStepper(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const bool bPressed = img.nLook == 1;
    Key(p, QRectF(0, 0, img.nWidth, img.nHeight), 3, bPressed, false);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(img.nWidth / 2.0, img.nHeight / 2.0 + (bPressed ? 0.5 : -0.5));
    QPolygonF tri;
    const double s = 4.0;
    if (img.nIndex == 0)
        tri << c + QPointF(-s, s * 0.55) << c + QPointF(s, s * 0.55) << c + QPointF(0, -s * 0.65);
    else
        tri << c + QPointF(-s, -s * 0.55) << c + QPointF(s, -s * 0.55) << c + QPointF(0, s * 0.65);
    p.setPen(Qt::NoPen);
    p.setBrush(bPressed ? ACCENT : TEXT);
    p.drawPolygon(tri);
    return out;
}

QImage DrawKnobStrip(const SSkinImage& img) {
    const int nFrameH = img.nHeight / img.nFrames;
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    for (int i = 0; i < img.nFrames; ++i) {
        const double t = double(i) / (img.nFrames - 1);
        // the knob is drawn 4 px lower than the ring; both share the centre (50.5, 50) of the control
        KnobBody(p, QPointF(50.5, i * nFrameH + 46.0), 31.0, -135.0 + 270.0 * t, false);
    }
    return out;
}

QImage DrawRingStrip(const SSkinImage& img) {
    const int nFrameH = img.nHeight / img.nFrames;
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    for (int i = 0; i < img.nFrames; ++i) {
        const double t = double(i) / (img.nFrames - 1);
        p.save();
        p.setClipRect(0, i * nFrameH, img.nWidth, nFrameH);
        const QPointF c(50.5, i * nFrameH + 50.0);
        // main ring: a wider arc with more ticks
        if (img.nIndex == 1)
            ArcScale(p, c, 39.0, t, 4.0, 29);
        else
            ArcScale(p, c, 39.0, t, 3.0, 15);
        p.restore();
    }
    return out;
}

QImage DrawRoundButton(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const bool bPressed = img.nLook == 1 || img.nLook == 3, bLit = img.nLook >= 2;
    const QPointF c(img.nWidth / 2.0, img.nHeight / 2.0);
    const double r = img.nWidth / 2.0 - 2.0;
    // bezel ring
    QLinearGradient bz(c + QPointF(0, -r - 1), c + QPointF(0, r + 1));
    bz.setColorAt(0, QColor(0, 0, 0, 200));
    bz.setColorAt(1, QColor(255, 255, 255, 45));
    p.setPen(Qt::NoPen);
    p.setBrush(bz);
    p.drawEllipse(c, r + 1.5, r + 1.5);
    if (bLit) Glow(p, c, r * 1.1, ACCENT, 60);
    QLinearGradient face(c + QPointF(0, -r), c + QPointF(0, r));
    QColor top = bLit ? QColor(0x4a, 0x3c, 0x28) : QColor(0x47, 0x4c, 0x54);
    QColor bottom = bLit ? QColor(0x2a, 0x22, 0x18) : QColor(0x24, 0x27, 0x2b);
    if (bPressed) std::swap(top, bottom);
    face.setColorAt(0, top);
    face.setColorAt(1, bottom);
    p.setBrush(face);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, bPressed ? 12 : 40), 1));
    p.drawEllipse(c, r - 1.2, r - 1.2);
    const QColor fg = bLit ? ACCENT : TEXT;
    const QRectF g(c.x() - r * 0.55, c.y() - r * 0.55 + (bPressed ? 0.6 : 0), r * 1.1, r * 1.1);
    if (img.nIndex == 0)
        Glyph(p, EGlyph::Phase, g, fg, 2.0);
    else
        Text(p, g.adjusted(-2, -2, 2, 2), QStringLiteral("?"), Font(r * 1.25), fg);
    return out;
}

QImage DrawSelectButton(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const QColor role = ROLE[img.nState];
    const bool bOn = img.nLook == 1;
    const QRectF rc(0, 0, img.nWidth, img.nHeight);
    Key(p, rc, 4, false, bOn, role);
    p.setRenderHint(QPainter::Antialiasing);
    // role tag at the left edge, always visible
    p.setPen(Qt::NoPen);
    p.setBrush(bOn ? role : Alpha(role, 110));
    p.drawRoundedRect(QRectF(4, 6, 2.5, img.nHeight - 14), 1.2, 1.2);
    Text(p, rc.adjusted(6, 0, -2, -2), QString::fromStdString(img.szText),
         Font(img.nIndex >= 8 ? 10.0 : 10.5), bOn ? role.lighter(115) : TEXT);
    return out;
}

QImage DrawMuteSolo(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const bool bOn = img.nLook == 1;
    const QColor c = img.nIndex == 0 ? WARN : ACCENT;
    const QRectF rc(0, 0, img.nWidth, img.nHeight);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(rc.topLeft(), rc.bottomLeft());
    g.setColorAt(0, bOn ? c.lighter(110) : QColor(0x38, 0x3c, 0x42));
    g.setColorAt(1, bOn ? c.darker(150) : QColor(0x23, 0x26, 0x2a));
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 210), 1));
    p.drawRoundedRect(rc.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setPen(QPen(QColor(255, 255, 255, bOn ? 70 : 28), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(rc.adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
    Text(p, rc.adjusted(0, 0, 0, -0.5), QString::fromStdString(img.szText), Font(8.5, true, 0.6),
         bOn ? QColor(0x1a, 0x12, 0x0a) : TEXT_DIM);
    return out;
}

// A segmented two-position switch: left half lit when nLook is 0, right half when 1.
void Segmented(QPainter& p, const QRectF& rc, const QString& szLeft, const QString& szRight, int nLit,
               double fPx) {
    Well(p, rc, 5, QColor(0x14, 0x15, 0x17));
    const QRectF inner = rc.adjusted(2, 2, -2, -2);
    const QRectF half[2] = {QRectF(inner.left(), inner.top(), inner.width() / 2, inner.height()),
                            QRectF(inner.center().x(), inner.top(), inner.width() / 2, inner.height())};
    Key(p, half[nLit].adjusted(0, 0, 0, 1), 4, false, true);
    Text(p, half[0], szLeft, Font(fPx, true, 0.6), nLit == 0 ? ACCENT : TEXT_FAINT);
    Text(p, half[1], szRight, Font(fPx, true, 0.6), nLit == 1 ? ACCENT : TEXT_FAINT);
}

QImage DrawSwitch(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const QRectF rc(0, 0, img.nWidth, img.nHeight);
    switch (img.eArt) {
    case ESkinArt::ModeSwitch:
        Segmented(p, rc, QStringLiteral("STANDARD"), QStringLiteral("EXPERT"), img.nLook, 10);
        break;
    case ESkinArt::LevelSwitch:
        Caption(p, QRectF(0, 0, rc.width(), 16), QStringLiteral("INPUT LEVEL"), Qt::AlignCenter, 8.5);
        Segmented(p, QRectF(0, 18, rc.width(), 30), QStringLiteral("LOW"), QStringLiteral("HIGH"), img.nLook,
                  10);
        break;
    default: { // equalizer on/off
        const bool bOn = img.nLook == 1;
        Key(p, rc, 5, false, bOn);
        Led(p, QPointF(13, rc.height() / 2 - 1), 3.6, bOn);
        Text(p, QRectF(20, 0, rc.width() - 22, rc.height() - 2),
             bOn ? QStringLiteral("EQ ON") : QStringLiteral("EQ OFF"), Font(10, true, 0.5),
             bOn ? ACCENT : TEXT_DIM);
        break;
    }
    }
    return out;
}

QImage DrawSliderPart(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    switch (img.eArt) {
    case ESkinArt::SliderThumb: {
        const QPointF c(14, 14);
        KnobBody(p, c, 10.5, 0, true);
        break;
    }
    case ESkinArt::SliderFill: {
        QLinearGradient g(0, 0, img.nWidth, 0);
        g.setColorAt(0, ACCENT_DEEP.darker(130));
        g.setColorAt(1, ACCENT);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(QRectF(0, 1.5, img.nWidth, 5), 2.5, 2.5);
        p.setBrush(QColor(255, 240, 210, 90));
        p.drawRoundedRect(QRectF(1, 2, img.nWidth - 2, 1.4), 0.7, 0.7);
        break;
    }
    case ESkinArt::SliderTrack: { // groove at y 8..16 under the fill, with ticks below
        Well(p, QRectF(2, 8, img.nWidth - 4, 8), 4, QColor(0x0f, 0x10, 0x12));
        p.setPen(QPen(TEXT_FAINT, 1));
        for (int i = 0; i <= 14; ++i) {
            const double x = 6 + (img.nWidth - 12) * i / 14.0;
            p.drawLine(QPointF(x, 20), QPointF(x, i % 7 == 0 ? 26 : 23));
        }
        break;
    }
    case ESkinArt::FaderTrack: {
        Well(p, QRectF(0.5, 0, img.nWidth - 1, img.nHeight), 3, QColor(0x0c, 0x0d, 0x0e));
        p.setPen(QPen(Alpha(ACCENT, 40), 1));
        p.drawLine(QPointF(img.nWidth / 2.0, 4), QPointF(img.nWidth / 2.0, img.nHeight - 4));
        break;
    }
    default:
        break;
    }
    return out;
}

QImage DrawFaderStrip(const SSkinImage& img) {
    const int nFrameH = img.nHeight / img.nFrames;
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < img.nFrames; ++i) {
        const double t = double(i) / (img.nFrames - 1); // 0 at the top of the travel
        const QRectF cap(3, i * nFrameH + 3, img.nWidth - 6, nFrameH - 6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 110));
        p.drawRoundedRect(cap.translated(0, 2), 3, 3);
        // the sheen slides over the cap as it travels, as under a fixed light
        QLinearGradient g(cap.topLeft(), cap.bottomLeft());
        g.setColorAt(0, QColor(0x6a, 0x71, 0x7a));
        g.setColorAt(std::clamp(0.25 + 0.3 * t, 0.05, 0.95), QColor(0x3d, 0x42, 0x49));
        g.setColorAt(0.5, QColor(0x26, 0x29, 0x2e));
        g.setColorAt(std::clamp(0.65 + 0.2 * t, 0.55, 0.95), QColor(0x3a, 0x3f, 0x45));
        g.setColorAt(1, QColor(0x1d, 0x1f, 0x22));
        p.setBrush(g);
        p.setPen(QPen(QColor(0, 0, 0, 210), 1));
        p.drawRoundedRect(cap, 3, 3);
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.drawLine(QPointF(cap.left() + 2, cap.top() + 1.5), QPointF(cap.right() - 2, cap.top() + 1.5));
        // grip lines and the lit index line
        p.setPen(QPen(QColor(0, 0, 0, 120), 1));
        for (double dy : {-6.0, -3.5, 3.5, 6.0})
            p.drawLine(QPointF(cap.left() + 4, cap.center().y() + dy),
                       QPointF(cap.right() - 4, cap.center().y() + dy));
        p.setPen(QPen(Alpha(ACCENT, 80), 4));
        p.drawLine(QPointF(cap.left() + 2, cap.center().y()), QPointF(cap.right() - 2, cap.center().y()));
        p.setPen(QPen(ACCENT, 1.6));
        p.drawLine(QPointF(cap.left() + 2, cap.center().y()), QPointF(cap.right() - 2, cap.center().y()));
    }
    return out;
}

QImage DrawQKnobStrip(const SSkinImage& img) {
    const int nFrameH = img.nHeight / img.nFrames;
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    for (int i = 0; i < img.nFrames; ++i) {
        const double t = double(i) / (img.nFrames - 1);
        p.save();
        p.setClipRect(0, i * nFrameH, img.nWidth, nFrameH);
        const QPointF c(21, i * nFrameH + 21.5);
        ArcScale(p, c, 18.0, t, 2.2, 0);
        KnobBody(p, c, 13.5, -135.0 + 270.0 * t, true);
        p.restore();
    }
    return out;
}

QImage DrawSpeakerIcon(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const bool bSelected = img.nLook == 0 || img.nLook == 2, bInverted = img.nLook >= 2;
    const QPointF c(img.nWidth / 2.0, img.nHeight / 2.0);
    const double r = img.nWidth / 2.0 - 1.0;
    if (bSelected) Glow(p, c, r, ACCENT, 120);
    // puck
    QRadialGradient g(c + QPointF(-r * 0.3, -r * 0.35), r * 1.4);
    g.setColorAt(0, QColor(0x4c, 0x52, 0x5a));
    g.setColorAt(1, QColor(0x17, 0x19, 0x1c));
    p.setBrush(g);
    p.setPen(QPen(bSelected ? ACCENT : QColor(0x6b, 0x72, 0x7b), bSelected ? 2.0 : 1.2));
    p.drawEllipse(c, r - 1, r - 1);
    // cone rings in the background of the number
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 22), 1));
    p.drawEllipse(c, r * 0.62, r * 0.62);
    if (bInverted) { // phase-inverted: a red inner ring and a red number
        p.setPen(QPen(Alpha(WARN, 90), 3.2));
        p.drawEllipse(c, r * 0.74, r * 0.74);
        p.setPen(QPen(WARN, 1.4));
        p.drawEllipse(c, r * 0.74, r * 0.74);
    }
    const QColor fg = bInverted ? QColor(0xff, 0x9a, 0x94) : bSelected ? QColor(0xff, 0xe2, 0xb8) : TEXT;
    Text(p, QRectF(0, 0, img.nWidth, img.nHeight - 1), QString::fromStdString(img.szText), Font(r * 0.95),
         fg);
    return out;
}

QImage DrawAnimation(const SSkinImage& img) {
    // A pulse at the listening position: three rings spreading out; frame k is at phase k / 50, so
    // every fifth frame (the ones shown in turn) forms an even cycle too.
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(70, 70);
    const double fPhase = double(img.nIndex) / SkinId::ANIMATION_FRAMES;
    for (int j = 0; j < 3; ++j) {
        const double k = std::fmod(fPhase + j / 3.0, 1.0);
        const double r = 10 + 58 * k;
        const int a = int(200 * (1 - k) * (1 - k));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Alpha(ACCENT, a / 3), 6));
        p.drawEllipse(c, r, r);
        p.setPen(QPen(Alpha(ACCENT, a), 1.6));
        p.drawEllipse(c, r, r);
    }
    const double fBeat = 0.5 + 0.5 * std::cos(2 * PI * fPhase);
    Glow(p, c, 22 + 6 * fBeat, ACCENT, int(90 + 80 * fBeat));
    QRadialGradient dot(c + QPointF(-2, -2), 9);
    dot.setColorAt(0, QColor(255, 245, 225));
    dot.setColorAt(0.5, ACCENT);
    dot.setColorAt(1, ACCENT_DEEP);
    p.setPen(Qt::NoPen);
    p.setBrush(dot);
    p.drawEllipse(c, 6.5 + 1.5 * fBeat, 6.5 + 1.5 * fBeat);
    return out;
}

QImage DrawLabelled(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const QRectF rc(0, 0, img.nWidth, img.nHeight);
    const QString sz = QString::fromStdString(img.szText);
    switch (img.eArt) {
    case ESkinArt::SensLabel:
        Caption(p, rc, sz, Qt::AlignLeft | Qt::AlignVCenter, 10.5, TEXT);
        break;
    case ESkinArt::XoverLabel: {
        Text(p, rc.translated(0, 0.5), sz, Font(11, true, 0.6), Alpha(ACCENT, 90));
        Text(p, rc, sz, Font(11, true, 0.6), ACCENT.lighter(110));
        break;
    }
    case ESkinArt::XoverSymbol: {
        Glow(p, rc.center(), 20, ACCENT, 50);
        Glyph(p, img.nIndex == 0 ? EGlyph::HighPass : EGlyph::LowPass, rc.adjusted(4, 4, -4, -4), ACCENT,
              2.4);
        break;
    }
    case ESkinArt::RowLabel: {
        const int nRows = img.nIndex == 0 ? 6 : 2;
        const double fRow = double(img.nHeight) / nRows;
        for (int i = 0; i < nRows; ++i) {
            const QString row = img.nIndex == 0 ? QStringLiteral("IN%1").arg(i + 1)
                                                : QStringLiteral("%1 %2").arg(img.nIndex == 1 ? "AUX" : "OPT",
                                                                              i == 0 ? "L" : "R");
            Text(p, QRectF(0, i * fRow, img.nWidth, fRow), row, Font(img.nIndex == 0 ? 8.5 : 9.5, true),
                 TEXT_DIM, Qt::AlignRight | Qt::AlignVCenter);
        }
        break;
    }
    default:
        break;
    }
    return out;
}

QImage DrawValueFrame(const SSkinImage& img) {
    // A recessed value box: the edit sits in the well on the left, the steppers beside it, the unit
    // on the right. Level frame: edit at (6, 10, 40, 16); sensitivity frame: edit at (8, 11, 35, 14);
    // steppers at (45, 3) and (45, 19).
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const QRectF rc(0, 0, img.nWidth, img.nHeight);
    Panel(p, rc.adjusted(0, 0, 0, -1), 5, QColor(0x2c, 0x30, 0x35), QColor(0x1e, 0x21, 0x24));
    if (img.eArt == ESkinArt::ValueFrame) {
        Well(p, QRectF(3, 6, 41, 24), 3);
        Well(p, QRectF(44, 2, 22, 33), 3, QColor(0x14, 0x15, 0x17));
        Text(p, QRectF(68, 0, 38, img.nHeight - 1),
             img.nIndex == 0 ? QStringLiteral("dB") : QStringLiteral("V"), Font(12, true), TEXT_DIM);
    } else { // crossover box: caption over the well, unit beside the value
        Caption(p, QRectF(8, 3, 96, 16),
                img.nIndex == 0 ? QStringLiteral("SLOPE") : QStringLiteral("FREQUENCY"),
                Qt::AlignLeft | Qt::AlignVCenter, 8.5);
        Well(p, QRectF(6, 22, 58, 24), 3);
        Text(p, QRectF(66, 22, 42, 24), img.nIndex == 0 ? QStringLiteral("dB/oct") : QStringLiteral("Hz"),
             Font(10, true), TEXT_DIM);
    }
    return out;
}

// A rounded charcoal tile with the level knob and its lit arc.
QImage DrawAppIcon(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(8, 8, img.nWidth - 16, img.nHeight - 16);
    QLinearGradient g(tile.topLeft(), tile.bottomLeft());
    g.setColorAt(0, QColor(0x3a, 0x3c, 0x41));
    g.setColorAt(1, QColor(0x16, 0x17, 0x1a));
    p.setPen(QPen(QColor(0x55, 0x58, 0x5e), 3));
    p.setBrush(g);
    p.drawRoundedRect(tile, 44, 44);
    const QPointF c(img.nWidth / 2.0, img.nHeight / 2.0 + 6);
    ArcScale(p, c, img.nWidth * 0.36, 0.72, 14, 0);
    KnobBody(p, c, img.nWidth * 0.27, 40, false);
    return out;
}

QImage DrawIndicator(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const bool bOn = img.nLook == 1;
    const QRectF rc(2, 6, img.nWidth - 4, img.nHeight - 12);
    Well(p, rc, 6, QColor(0x14, 0x15, 0x17));
    const QColor c = bOn ? OK_GREEN : WARN;
    Led(p, QPointF(rc.left() + 14, rc.center().y()), 5, true, bOn ? c : c.darker(125));
    Text(p, QRectF(rc.left() + 24, rc.top() + 4, rc.width() - 26, 17),
         bOn ? QStringLiteral("CONNECTED") : QStringLiteral("OFFLINE"), Font(9.5, true, 0.6),
         bOn ? c.lighter(115) : TEXT_DIM, Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, QRectF(rc.left() + 24, rc.top() + 20, rc.width() - 26, 13),
         bOn ? QStringLiteral("MLB-8 · USB") : QStringLiteral("NO DEVICE"), Font(8, false, 0.4), TEXT_FAINT,
         Qt::AlignLeft | Qt::AlignVCenter);
    return out;
}

QImage DrawManualButton(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const bool bPressed = img.nLook == 1;
    Key(p, QRectF(0, 0, img.nWidth, img.nHeight), 6, bPressed, false);
    const double dy = bPressed ? 0.5 : 0;
    Glyph(p, EGlyph::Book, QRectF(9, 8 + dy, 18, 15), ACCENT, 1.5);
    Text(p, QRectF(30, dy, img.nWidth - 34, img.nHeight - 2), QString::fromStdString(img.szText),
         Font(11, true), TEXT, Qt::AlignLeft | Qt::AlignVCenter);
    return out;
}

QImage DrawTab(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const bool bPressed = img.nLook == 1 || img.nLook == 3, bLit = img.nLook >= 2;
    const QRectF rc(0, 0, img.nWidth, img.nHeight);
    Key(p, rc, 8, bPressed, false);
    p.setRenderHint(QPainter::Antialiasing);
    if (bLit) {
        Glow(p, QPointF(rc.center().x(), 30), 34, ACCENT, 45);
        p.setPen(Qt::NoPen);
        p.setBrush(ACCENT);
        p.drawRoundedRect(QRectF(3, 12, 3, rc.height() - 26), 1.5, 1.5);
    }
    const EGlyph glyphs[4] = {EGlyph::Config, EGlyph::Equalizer, EGlyph::Crossover, EGlyph::Time};
    const double dy = bPressed ? 1 : 0;
    Glyph(p, glyphs[img.nIndex], QRectF(26, 14 + dy, 30, 28), bLit ? ACCENT : TEXT_DIM, 2.0);
    Text(p, QRectF(4, 50 + dy, rc.width() - 8, 18), QString::fromStdString(img.szText), Font(9.5, true, 0.5),
         bLit ? ACCENT.lighter(115) : TEXT);
    return out;
}

QImage DrawTextButton(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const bool bPressed = img.nLook == 1 || img.nLook == 3, bLit = img.nLook >= 2;
    const QRectF rc(0, 0, img.nWidth, img.nHeight);
    Key(p, rc, 5, bPressed, bLit);
    const double dy = bPressed ? 0.6 : 0;
    QRectF text = rc.adjusted(4, dy, -4, -3 + dy);
    const QColor fg = bLit ? ACCENT.lighter(115) : TEXT;
    if (img.nIndex >= TB_XOVER_TYPE && img.nIndex < TB_XOVER_TYPE + 3) {
        const EGlyph g[3] = {EGlyph::HighPass, EGlyph::BandPass, EGlyph::LowPass};
        Glyph(p, g[img.nIndex - TB_XOVER_TYPE], QRectF(7, 8 + dy, 20, 16), bLit ? ACCENT : TEXT_DIM, 1.6);
        text.setLeft(28);
    }
    if (img.nIndex == TB_ACTIVATE) {
        Led(p, QPointF(14, rc.height() / 2 - 1 + dy), 3.2, bPressed);
        text.setLeft(22);
    }
    const bool bSmall = img.szText.find('\n') != std::string::npos || text.left() > 20;
    Text(p, text, QString::fromStdString(img.szText), Font(bSmall ? 9.0 : 10.5, true, 0.4), fg);
    return out;
}

QImage DrawRouteLight(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const bool bPressed = img.nLook == 1 || img.nLook == 3, bLit = img.nLook >= 2;
    Led(p, QPointF(9, 9), bPressed ? 5.6 : 6.0, bLit);
    return out;
}

QImage DrawSpeakerPicture(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    SpeakerTop(p, QPointF(img.nWidth / 2.0, img.nHeight / 2.0), img.nWidth / 2.0 - 0.5, img.nIndex,
               img.nLook == 1);
    return out;
}

QImage DrawCarImage(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    CarTop(p, QRectF(6, 8, img.nWidth - 12, img.nHeight - 16), true);
    return out;
}

} // namespace

QImage DrawControl(const SSkinImage& img) {
    switch (img.eArt) {
    case ESkinArt::Stepper:
        return DrawStepper(img);
    case ESkinArt::Knob:
        return DrawKnobStrip(img);
    case ESkinArt::Ring:
        return DrawRingStrip(img);
    case ESkinArt::RoundButton:
        return DrawRoundButton(img);
    case ESkinArt::SelectButton:
        return DrawSelectButton(img);
    case ESkinArt::MuteSolo:
        return DrawMuteSolo(img);
    case ESkinArt::ModeSwitch:
    case ESkinArt::EqSwitch:
    case ESkinArt::LevelSwitch:
        return DrawSwitch(img);
    case ESkinArt::SliderThumb:
    case ESkinArt::SliderFill:
    case ESkinArt::SliderTrack:
    case ESkinArt::FaderTrack:
        return DrawSliderPart(img);
    case ESkinArt::FaderThumb:
        return DrawFaderStrip(img);
    case ESkinArt::QKnob:
        return DrawQKnobStrip(img);
    case ESkinArt::SpeakerIcon:
        return DrawSpeakerIcon(img);
    case ESkinArt::Animation:
        return DrawAnimation(img);
    case ESkinArt::SensLabel:
    case ESkinArt::XoverLabel:
    case ESkinArt::XoverSymbol:
    case ESkinArt::RowLabel:
        return DrawLabelled(img);
    case ESkinArt::ValueFrame:
    case ESkinArt::XoverFrame:
        return DrawValueFrame(img);
    case ESkinArt::Indicator:
        return DrawIndicator(img);
    case ESkinArt::AppIcon:
        return DrawAppIcon(img);
    case ESkinArt::ManualButton:
        return DrawManualButton(img);
    case ESkinArt::Tab:
        return DrawTab(img);
    case ESkinArt::TextButton:
        return DrawTextButton(img);
    case ESkinArt::RouteLight:
        return DrawRouteLight(img);
    case ESkinArt::Speaker:
        return DrawSpeakerPicture(img);
    case ESkinArt::Car:
        return DrawCarImage(img);
    default:
        return {};
    }
}

} // namespace SkinArt
