// Drawing helpers of the skin generator: palette, surfaces, text, and one painter per family of
// images. All sizes are in image pixels.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

#include "../skinmanifest.h"

namespace SkinPalette {
inline const QColor BASE(0x17, 0x19, 0x1c);     // window body
inline const QColor PANEL(0x22, 0x25, 0x29);    // raised panels
inline const QColor PANEL_HI(0x30, 0x34, 0x3a); // panel top edge
inline const QColor WELL(37, 37, 37);           // value boxes: the edit background of the view
inline const QColor LINE(0x3a, 0x3f, 0x46);
inline const QColor SHADOW(0, 0, 0, 150);
inline const QColor TEXT(0xe4, 0xe7, 0xeb);
inline const QColor TEXT_DIM(0x8c, 0x93, 0x9c);
inline const QColor TEXT_FAINT(0x5c, 0x63, 0x6b);
inline const QColor ACCENT(0xff, 0xa3, 0x2b); // lit states
inline const QColor ACCENT_DEEP(0xd9, 0x6a, 0x0b);
inline const QColor WARN(0xf0, 0x4d, 0x4d);     // mute, phase inverted, not connected
inline const QColor OK_GREEN(0x43, 0xd6, 0x7a); // connected
// Role colours of the select buttons, by state 0..3.
inline const QColor ROLE[4] = {QColor(0xff, 0xa3, 0x2b), QColor(0x2e, 0xd1, 0xc0), QColor(0xb3, 0x8b, 0xff),
                               QColor(0x5a, 0xb4, 0xff)};
} // namespace SkinPalette

namespace SkinArt {

QImage NewImage(int nW, int nH);
QFont Font(double fPx, bool bBold = true, double fSpacing = 0.0);

// Surfaces.
void BrushedMetal(QImage& img, const QRect& rc, QColor base, double fStreak, unsigned nSeed);
void Panel(QPainter& p, const QRectF& rc, double fRadius, QColor top = SkinPalette::PANEL_HI,
           QColor bottom = SkinPalette::PANEL);
void Well(QPainter& p, const QRectF& rc, double fRadius, QColor fill = SkinPalette::WELL);
void Groove(QPainter& p, const QRectF& rc); // thin engraved separator line (horizontal or vertical)
void Screws(QPainter& p, const QRectF& rc, double fInset);

// Text.
void Text(QPainter& p, const QRectF& rc, const QString& sz, const QFont& font, QColor c,
          int nAlign = Qt::AlignCenter);
void Caption(QPainter& p, const QRectF& rc, const QString& sz, int nAlign = Qt::AlignLeft | Qt::AlignVCenter,
             double fPx = 10.0, QColor c = SkinPalette::TEXT_DIM);
void Glow(QPainter& p, const QPointF& c, double fRadius, QColor color, int nAlpha);

// Controls and their looks.
void Key(QPainter& p, const QRectF& rc, double fRadius, bool bPressed, bool bLit,
         QColor accent = SkinPalette::ACCENT);
void Led(QPainter& p, const QPointF& c, double fRadius, bool bOn, QColor color = SkinPalette::ACCENT);
void KnobBody(QPainter& p, const QPointF& c, double fRadius, double fAngleDeg, bool bSmall);
void ArcScale(QPainter& p, const QPointF& c, double fRadius, double fFraction, double fWidth, int nTicks);

// Glyphs.
enum class EGlyph {
    HighPass,
    BandPass,
    LowPass,
    Config,
    Equalizer,
    Crossover,
    Time,
    Phase,
    Book,
    Warning,
    Question
};
void Glyph(QPainter& p, EGlyph g, const QRectF& rc, QColor c, double fPen = 1.6);

// Speakers and the car.
void SpeakerTop(QPainter& p, const QPointF& c, double fRadius, int nKind, bool bInverted);
void CarTop(QPainter& p, const QRectF& rc, bool bHorizontal);

// Whole images by family (the dispatcher in main.cpp picks one per manifest entry).
QImage DrawControl(const SSkinImage& img);     // everything that is not a page or dialog
QImage DrawFrameOrPage(const SSkinImage& img); // 200..208, 376, 1003
QImage DrawDialog(const SSkinImage& img);      // 950..957, 1002

// Curve mapping of the response graph (frequency and level to pixel on the 883 x 239 control).
double GraphX(double fHz);
int GraphY(double fDb);

} // namespace SkinArt
