// Draws every embedded image of both libraries with QPainter and writes them as
// PNG files. The PNGs are committed under resource/images; run this only to
// change an icon:  vel-icon-generator <dir>  (or: cmake --build . --target vel-icons)
//
// One look for all buttons: a normal face is a dark translucent disc (or a light
// tile) with a white glyph, the pressed face the same glyph on the panel's green.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>

#include <functional>
#include <vector>

namespace
{

const QColor kGreen(40, 183, 121);
const QColor kGreenDark(26, 138, 90);
const QColor kRed(229, 57, 53);
const QColor kWhite(255, 255, 255);
const QColor kGlyphOff(170, 170, 170);
const QColor kDiscNormal(24, 24, 24, 150);
const QColor kRingNormal(255, 255, 255, 190);

enum class Face { Normal, Pressed };

using Draw = std::function<void(QPainter&, const QSizeF&)>;

struct Icon {
    QString strName;
    QSize size;
    Draw draw;
};

QFont boldFont(qreal pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(qRound(pixelSize));
    return font;
}

// The round button face, centred, diameter d.
void disc(QPainter& p, const QSizeF& s, qreal d, Face face)
{
    const QRectF r((s.width() - d) / 2, (s.height() - d) / 2, d, d);
    p.setPen(QPen(face == Face::Pressed ? kWhite : kRingNormal, d >= 28 ? 1.6 : 1.2));
    p.setBrush(face == Face::Pressed ? kGreen : kDiscNormal);
    p.drawEllipse(r.adjusted(0.8, 0.8, -0.8, -0.8));
}

// Light square tile of the transition buttons.
void tile(QPainter& p, const QSizeF& s, Face face)
{
    const QRectF r(1, 1, s.width() - 2, s.height() - 2);
    p.setPen(QPen(face == Face::Pressed ? kGreenDark : QColor(170, 170, 170), 1.5));
    p.setBrush(face == Face::Pressed ? kGreen : QColor(250, 250, 250));
    p.drawRoundedRect(r, 6, 6);
}

void fillPath(QPainter& p, const QPainterPath& path, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(path);
}

QPainterPath triangle(QPointF a, QPointF b, QPointF c)
{
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

// Glyphs, drawn in a box of side u centred at c.

void glyphRecordDot(QPainter& p, QPointF c, qreal u, Face face)
{
    if (face == Face::Pressed) {
        p.setPen(QPen(kWhite, u * 0.08));
    } else {
        p.setPen(Qt::NoPen);
    }
    p.setBrush(kRed);
    p.drawEllipse(c, u * 0.26, u * 0.26);
}

void glyphPause(QPainter& p, QPointF c, qreal u, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const qreal w = u * 0.14, h = u * 0.46, gap = u * 0.1;
    p.drawRoundedRect(QRectF(c.x() - gap - w, c.y() - h / 2, w, h), 1, 1);
    p.drawRoundedRect(QRectF(c.x() + gap, c.y() - h / 2, w, h), 1, 1);
}

void glyphStop(QPainter& p, QPointF c, qreal u, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const qreal a = u * 0.4;
    p.drawRoundedRect(QRectF(c.x() - a / 2, c.y() - a / 2, a, a), 2, 2);
}

void glyphSpeaker(QPainter& p, QPointF c, qreal u, const QColor& color, bool bWaves, bool bMuted)
{
    const qreal x0 = c.x() - u * 0.32;
    QPainterPath body(QPointF(x0, c.y() - u * 0.1));
    body.lineTo(x0 + u * 0.14, c.y() - u * 0.1);
    body.lineTo(x0 + u * 0.32, c.y() - u * 0.27);
    body.lineTo(x0 + u * 0.32, c.y() + u * 0.27);
    body.lineTo(x0 + u * 0.14, c.y() + u * 0.1);
    body.lineTo(x0, c.y() + u * 0.1);
    body.closeSubpath();
    fillPath(p, body, color);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, qMax(1.2, u * 0.07), Qt::SolidLine, Qt::RoundCap));
    const qreal xs = x0 + u * 0.38;
    if (bWaves) {
        for (int i = 1; i <= 2; ++i) {
            const qreal r = u * (0.1 + 0.12 * i);
            p.drawArc(QRectF(xs - r, c.y() - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
        }
    }
    if (bMuted) {
        const qreal a = u * 0.12;
        const QPointF m(xs + u * 0.14, c.y());
        p.drawLine(m + QPointF(-a, -a), m + QPointF(a, a));
        p.drawLine(m + QPointF(-a, a), m + QPointF(a, -a));
    }
}

void glyphCamera(QPainter& p, QPointF c, qreal u, const QColor& color, const QColor& hole)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const QRectF body(c.x() - u * 0.32, c.y() - u * 0.17, u * 0.64, u * 0.42);
    p.drawRoundedRect(body, u * 0.06, u * 0.06);
    p.drawRect(QRectF(c.x() - u * 0.12, c.y() - u * 0.26, u * 0.24, u * 0.1));
    p.setBrush(hole);
    p.drawEllipse(QPointF(c.x(), c.y() + u * 0.04), u * 0.13, u * 0.13);
    p.setBrush(color);
    p.drawEllipse(QPointF(c.x(), c.y() + u * 0.04), u * 0.07, u * 0.07);
}

// Arrow head pointing in direction (dx, dy).
void glyphArrow(QPainter& p, QPointF c, qreal u, const QColor& color, int dx, int dy)
{
    const qreal l = u * 0.24, w = u * 0.26;
    const QPointF dir(dx, dy), side(-dy, dx);
    const QPointF tip = c + dir * l;
    const QPointF base = c - dir * (l * 0.8);
    fillPath(p, triangle(tip, base + side * w, base - side * w), color);
}

void glyphMagnifier(QPainter& p, QPointF c, qreal u, const QColor& color, bool bPlus)
{
    const qreal r = u * 0.2;
    const QPointF lens = c + QPointF(-u * 0.06, -u * 0.06);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, qMax(1.4, u * 0.08), Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(lens, r, r);
    const qreal k = r * 0.7071;
    p.drawLine(lens + QPointF(k, k), lens + QPointF(k, k) + QPointF(u * 0.16, u * 0.16));
    const qreal a = r * 0.55;
    p.setPen(QPen(color, qMax(1.2, u * 0.07), Qt::SolidLine, Qt::FlatCap));
    p.drawLine(lens + QPointF(-a, 0), lens + QPointF(a, 0));
    if (bPlus)
        p.drawLine(lens + QPointF(0, -a), lens + QPointF(0, a));
}

void glyphText(QPainter& p, const QRectF& box, const QString& strText, qreal pixelSize,
               const QColor& color)
{
    p.setPen(color);
    p.setFont(boldFont(pixelSize));
    p.drawText(box, Qt::AlignCenter, strText);
}

void glyphSwitch(QPainter& p, QPointF c, qreal u, const QColor& color)
{
    p.setPen(QPen(color, 1.3, Qt::SolidLine, Qt::RoundCap));
    const qreal a = u * 0.26, y1 = c.y() - u * 0.12, y2 = c.y() + u * 0.12;
    p.drawLine(QPointF(c.x() - a, y1), QPointF(c.x() + a * 0.6, y1));
    p.drawLine(QPointF(c.x() + a, y2), QPointF(c.x() - a * 0.6, y2));
    const qreal h = u * 0.12;
    fillPath(p, triangle({c.x() + a, y1}, {c.x() + a - h, y1 - h}, {c.x() + a - h, y1 + h}), color);
    fillPath(p, triangle({c.x() - a, y2}, {c.x() - a + h, y2 - h}, {c.x() - a + h, y2 + h}), color);
}

void glyphBroadcast(QPainter& p, QPointF c, qreal u, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, u * 0.07, u * 0.07);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, qMax(1.3, u * 0.06), Qt::SolidLine, Qt::RoundCap));
    for (int i = 1; i <= 2; ++i) {
        const qreal r = u * (0.07 + 0.12 * i);
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        p.drawArc(box, -40 * 16, 80 * 16);
        p.drawArc(box, 140 * 16, 80 * 16);
    }
}

void glyphRecState(QPainter& p, QPointF c, qreal u, const QColor& color)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, qMax(1.3, u * 0.06)));
    p.drawEllipse(c, u * 0.27, u * 0.27);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, u * 0.15, u * 0.15);
}

void glyphPtz(QPainter& p, QPointF c, qreal u, const QColor& color)
{
    const qreal d = u * 0.26, h = u * 0.11;
    fillPath(p, triangle(c + QPointF(0, -d - h), c + QPointF(-h, -d), c + QPointF(h, -d)), color);
    fillPath(p, triangle(c + QPointF(0, d + h), c + QPointF(-h, d), c + QPointF(h, d)), color);
    fillPath(p, triangle(c + QPointF(-d - h, 0), c + QPointF(-d, -h), c + QPointF(-d, h)), color);
    fillPath(p, triangle(c + QPointF(d + h, 0), c + QPointF(d, -h), c + QPointF(d, h)), color);
    p.setBrush(color);
    p.drawEllipse(c, u * 0.1, u * 0.1);
}

void glyphGear(QPainter& p, QPointF c, qreal u, const QColor& color)
{
    QPainterPath gear;
    const int nTeeth = 8;
    const qreal rOut = u * 0.47, rIn = u * 0.34;
    for (int i = 0; i < nTeeth * 4; ++i) {
        const qreal ang = (i / qreal(nTeeth * 4)) * 2 * M_PI;
        const qreal r = (i % 4 < 2) ? rOut : rIn;
        const QPointF pt = c + QPointF(qCos(ang) * r, qSin(ang) * r);
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
    }
    gear.closeSubpath();
    gear.addEllipse(c, u * 0.15, u * 0.15);
    gear.setFillRule(Qt::OddEvenFill);
    fillPath(p, gear, color);
}

void glyphCross(QPainter& p, QPointF c, qreal a, const QColor& color, qreal width)
{
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-a, -a), c + QPointF(a, a));
    p.drawLine(c + QPointF(-a, a), c + QPointF(a, -a));
}

// Transition glyphs: a picture frame (16:10) with what happens to it.
QRectF pictureFrame(const QSizeF& s)
{
    const qreal w = s.width() * 0.66, h = w * 0.62;
    return QRectF((s.width() - w) / 2, (s.height() - h) / 2, w, h);
}

void transition(QPainter& p, const QSizeF& s, Face face, const QString& strKind)
{
    tile(p, s, face);
    const QColor ink = face == Face::Pressed ? kWhite : QColor(70, 70, 70);
    const QColor fill = face == Face::Pressed ? QColor(255, 255, 255, 150) : QColor(40, 183, 121);
    const QRectF f = pictureFrame(s);
    const QPen framePen(ink, 2.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);

    if (strKind == QLatin1String("NONE")) {
        // A hard cut: no effect between the pictures.
        p.setPen(framePen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(f);
        const QPointF c = f.center();
        const qreal r = f.height() * 0.32;
        p.setPen(QPen(ink, 2.4));
        p.drawEllipse(c, r, r);
        p.drawLine(c + QPointF(-r * 0.7, r * 0.7), c + QPointF(r * 0.7, -r * 0.7));
    } else if (strKind == QLatin1String("ERASE")) {
        // The new picture wipes across the old one.
        const qreal edge = f.left() + f.width() * 0.55;
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRect(QRectF(f.left(), f.top(), edge - f.left(), f.height()));
        p.setPen(framePen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(f);
        p.setPen(QPen(ink, 2.6));
        p.drawLine(QPointF(edge, f.top() - 4), QPointF(edge, f.bottom() + 4));
        glyphArrow(p, QPointF(edge + 8, f.center().y()), 18, ink, 1, 0);
    } else if (strKind == QLatin1String("STEP")) {
        // The new picture comes in by steps.
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        const int nSteps = 4;
        const qreal sw = f.width() / nSteps;
        for (int i = 0; i < nSteps; ++i) {
            const qreal h = f.height() * (i + 1) / nSteps;
            p.drawRect(QRectF(f.left() + i * sw, f.bottom() - h, sw, h));
        }
        p.setPen(framePen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(f);
    } else {
        // FLY: a smaller picture flies in from the left.
        p.setPen(framePen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(f);
        const QRectF small(f.left() + f.width() * 0.42, f.top() + f.height() * 0.3,
                           f.width() * 0.46, f.height() * 0.5);
        p.setPen(QPen(ink, 1.5));
        p.setBrush(fill);
        p.drawRect(small);
        p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i) {
            const qreal y = small.top() + small.height() * (0.25 + 0.25 * i);
            p.drawLine(QPointF(f.left() + 5 + i * 2, y), QPointF(small.left() - 3, y));
        }
    }
}

// Digit keys of the preset row.
const char* const kDigitKeys[] = {"ZERO", "ONE", "TWO",   "THREE", "FOUR",
                                  "FIVE", "SIX", "SEVEN", "EIGHT", "NINE"};

void addPair(std::vector<Icon>& icons, const QString& strBase, QSize size,
             const std::function<void(QPainter&, const QSizeF&, Face)>& draw,
             const QString& strNormal = QStringLiteral("_SLIENT.png"),
             const QString& strPressed = QStringLiteral("_PRESS.png"))
{
    icons.push_back({strBase + strNormal, size,
                     [draw](QPainter& p, const QSizeF& s) { draw(p, s, Face::Normal); }});
    icons.push_back({strBase + strPressed, size,
                     [draw](QPainter& p, const QSizeF& s) { draw(p, s, Face::Pressed); }});
}

QPointF centre(const QSizeF& s)
{
    return QPointF(s.width() / 2, s.height() / 2);
}

void addCloudControl(std::vector<Icon>& icons)
{
    const QSize size(24, 24);
    const QString strBase = QStringLiteral("CV_CLOUDCONTROL_");
    struct Direction {
        const char* szKey;
        int dx, dy;
    };
    const Direction directions[] = {
        {"UP", 0, -1}, {"DOWN", 0, 1}, {"LEFT", -1, 0}, {"RIGHT", 1, 0}};
    for (const Direction& d : directions) {
        addPair(icons, strBase + QLatin1String(d.szKey), size,
                [d](QPainter& p, const QSizeF& s, Face face) {
                    disc(p, s, 23, face);
                    glyphArrow(p, centre(s) + QPointF(d.dx, d.dy) * 0.5, 24, kWhite, d.dx, d.dy);
                });
    }
    for (bool bPlus : {true, false}) {
        addPair(icons, strBase + (bPlus ? QStringLiteral("ZOOMIN") : QStringLiteral("ZOOMOUT")),
                size, [bPlus](QPainter& p, const QSizeF& s, Face face) {
                    disc(p, s, 23, face);
                    glyphMagnifier(p, centre(s), 24, kWhite, bPlus);
                });
    }
    for (int i = 0; i < 10; ++i) {
        addPair(icons, strBase + QLatin1String(kDigitKeys[i]), size,
                [i](QPainter& p, const QSizeF& s, Face face) {
                    disc(p, s, 23, face);
                    glyphText(p, QRectF(QPointF(0, 0), s), QString::number(i), 13, kWhite);
                });
    }
}

void addControlBar(std::vector<Icon>& icons)
{
    const QSize size(32, 32);
    const QString strBase = QStringLiteral("CV_OVERVIEWCONTROLBAR_");
    addPair(icons, strBase + "RECORD", size, [](QPainter& p, const QSizeF& s, Face face) {
        disc(p, s, 31, face);
        glyphRecordDot(p, centre(s), 32, face);
    });
    addPair(icons, strBase + "PAUSE", size, [](QPainter& p, const QSizeF& s, Face face) {
        disc(p, s, 31, face);
        glyphPause(p, centre(s), 32, kWhite);
    });
    addPair(icons, strBase + "STOP", size, [](QPainter& p, const QSizeF& s, Face face) {
        disc(p, s, 31, face);
        glyphStop(p, centre(s), 32, kWhite);
    });
    addPair(icons, strBase + "VOLUME", size, [](QPainter& p, const QSizeF& s, Face face) {
        disc(p, s, 31, face);
        glyphSpeaker(p, centre(s) + QPointF(1, 0), 32, kWhite, true, false);
    });
    addPair(icons, strBase + "SCREENSHOT", size, [](QPainter& p, const QSizeF& s, Face face) {
        disc(p, s, 31, face);
        glyphCamera(p, centre(s), 32, kWhite, face == Face::Pressed ? kGreen : QColor(60, 60, 60));
    });
    // State indicators: grey while the mode is off, coloured while it is on.
    addPair(
        icons, strBase + "RECORDSTATE", size,
        [](QPainter& p, const QSizeF& s, Face face) {
            disc(p, s, 31, Face::Normal);
            glyphRecState(p, centre(s), 32, face == Face::Pressed ? kRed : kGlyphOff);
        },
        QStringLiteral("_SLIENT.png"), QStringLiteral("_ENABLE.png"));
    addPair(
        icons, strBase + "LIVESTATE", size,
        [](QPainter& p, const QSizeF& s, Face face) {
            disc(p, s, 31, Face::Normal);
            glyphBroadcast(p, centre(s), 32, face == Face::Pressed ? kGreen : kGlyphOff);
        },
        QStringLiteral("_SLIENT.png"), QStringLiteral("_ENABLE.png"));
}

void addOverview(std::vector<Icon>& icons)
{
    addPair(icons, QStringLiteral("CV_OVERVIEW_SWITCH"), QSize(20, 20),
            [](QPainter& p, const QSizeF& s, Face face) {
                disc(p, s, 19, face);
                glyphSwitch(p, centre(s), 20, kWhite);
            });

    // No-signal picture, drawn over black at its natural size.
    icons.push_back({QStringLiteral("CV_OVERVIEWWIDGET_SLIENT.png"), QSize(96, 72),
                     [](QPainter& p, const QSizeF& s) {
                         const QColor grey(120, 120, 120);
                         const QRectF screen(s.width() / 2 - 24, 6, 48, 32);
                         p.setPen(QPen(grey, 2.5));
                         p.setBrush(Qt::NoBrush);
                         p.drawRoundedRect(screen, 3, 3);
                         p.drawLine(QPointF(s.width() / 2, screen.bottom() + 1),
                                    QPointF(s.width() / 2, screen.bottom() + 6));
                         p.drawLine(QPointF(s.width() / 2 - 10, screen.bottom() + 6),
                                    QPointF(s.width() / 2 + 10, screen.bottom() + 6));
                         glyphCross(p, screen.center(), 7, QColor(200, 80, 70), 2.5);
                         QFont font(QStringLiteral("WenQuanYi Micro Hei"));
                         font.setPixelSize(13);
                         p.setFont(font);
                         p.setPen(QColor(150, 150, 150));
                         p.drawText(QRectF(0, 50, s.width(), 20), Qt::AlignCenter,
                                    QStringLiteral("无信号"));
                     }});

    // Connecting spinner; the label rotates it.
    icons.push_back({QStringLiteral("CV_OVERVIEWWIDGET_CONNECT.png"), QSize(40, 40),
                     [](QPainter& p, const QSizeF& s) {
                         const int nDots = 12;
                         p.setPen(Qt::NoPen);
                         for (int i = 0; i < nDots; ++i) {
                             const qreal ang = i * 2 * M_PI / nDots;
                             QColor c = kWhite;
                             c.setAlpha(40 + 215 * i / (nDots - 1));
                             p.setBrush(c);
                             const QPointF pt = centre(s) + QPointF(qCos(ang), qSin(ang)) * 15;
                             p.drawEllipse(pt, 2.6, 2.6);
                         }
                     }});
}

void addSettings(std::vector<Icon>& icons)
{
    const QColor dark(60, 60, 60);
    addPair(
        icons, QStringLiteral("CV_SCREENDIVIDINGSETTING"), QSize(16, 16),
        [](QPainter& p, const QSizeF& s, Face face) {
            glyphGear(p, centre(s), 16, face == Face::Pressed ? kGreen : kWhite);
        },
        QStringLiteral("-SLIENT.png"), QStringLiteral("-PRESS.png"));

    for (const char* szKind : {"NONE", "ERASE", "STEP", "FLY"}) {
        const QString strKind = QLatin1String(szKind);
        addPair(icons, QStringLiteral("CV_TRANSITION_") + strKind, QSize(70, 70),
                [strKind](QPainter& p, const QSizeF& s, Face face) {
                    transition(p, s, face, strKind);
                });
    }

    icons.push_back({QStringLiteral("CV_DIALO_EXIT_SLIENT.png"), QSize(36, 36),
                     [](QPainter& p, const QSizeF& s) {
                         glyphCross(p, centre(s), 6, QColor(200, 200, 200), 2);
                     }});
    icons.push_back({QStringLiteral("CV_DIALO_EXIT_HOVER.png"), QSize(36, 36),
                     [](QPainter& p, const QSizeF& s) {
                         p.fillRect(QRectF(QPointF(0, 0), s), QColor(232, 17, 35));
                         glyphCross(p, centre(s), 6, kWhite, 2);
                     }});

    icons.push_back(
        {QStringLiteral("CV_TEXT_COLOR.png"), QSize(24, 24), [dark](QPainter& p, const QSizeF& s) {
             glyphText(p, QRectF(0, 1, s.width(), 17), QStringLiteral("A"), 15, dark);
             p.fillRect(QRectF(5, 19, 14, 3), dark);
         }});
    icons.push_back({QStringLiteral("CV_BACKGROUND_COLOR.png"), QSize(24, 24),
                     [dark](QPainter& p, const QSizeF& s) {
                         p.setPen(Qt::NoPen);
                         p.setBrush(dark);
                         p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
                         glyphText(p, QRectF(4, 4, 16, 16), QStringLiteral("A"), 12, kWhite);
                         Q_UNUSED(s)
                     }});

    addPair(
        icons, QStringLiteral("CV_COMBOBOX_DOWNARROW"), QSize(12, 12),
        [](QPainter& p, const QSizeF& s, Face face) {
            p.setPen(QPen(face == Face::Pressed ? kGreen : QColor(110, 110, 110), 2, Qt::SolidLine,
                          Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            const QPointF c = centre(s);
            p.drawPolyline(QPolygonF({c + QPointF(-4, -2), c + QPointF(0, 2), c + QPointF(4, -2)}));
        });

    for (bool bChecked : {false, true}) {
        icons.push_back({bChecked ? QStringLiteral("CV_RADIOBUTTON_CHECKED.png")
                                  : QStringLiteral("CV_RADIOBUTTON_UNCHECKED.png"),
                         QSize(16, 16), [bChecked](QPainter& p, const QSizeF& s) {
                             const QPointF c = centre(s);
                             p.setPen(QPen(bChecked ? kGreen : QColor(150, 150, 150), 1.4));
                             p.setBrush(kWhite);
                             p.drawEllipse(c, 6.8, 6.8);
                             if (bChecked) {
                                 p.setPen(Qt::NoPen);
                                 p.setBrush(kGreen);
                                 p.drawEllipse(c, 3.6, 3.6);
                             }
                         }});
    }
}

// Tour bar buttons: image 0 is the normal (off) face, image 1 the pressed (on) face.
void addTourBar(std::vector<Icon>& icons)
{
    const QSize size(39, 33);
    const qreal u = 30;
    addPair(
        icons, QStringLiteral("wm_ptz"), size,
        [u](QPainter& p, const QSizeF& s, Face face) {
            disc(p, s, u, face);
            glyphPtz(p, centre(s), u, kWhite);
        },
        QStringLiteral("0.png"), QStringLiteral("1.png"));
    addPair(
        icons, QStringLiteral("wm_snapshot"), size,
        [u](QPainter& p, const QSizeF& s, Face face) {
            disc(p, s, u, face);
            glyphCamera(p, centre(s), u, kWhite,
                        face == Face::Pressed ? kGreen : QColor(60, 60, 60));
        },
        QStringLiteral("0.png"), QStringLiteral("1.png"));
    addPair(
        icons, QStringLiteral("wm_record"), size,
        [u](QPainter& p, const QSizeF& s, Face face) {
            disc(p, s, u, face);
            glyphRecordDot(p, centre(s), u, face);
        },
        QStringLiteral("0.png"), QStringLiteral("1.png"));
    addPair(
        icons, QStringLiteral("wm_audio"), size,
        [u](QPainter& p, const QSizeF& s, Face face) {
            disc(p, s, u, face);
            const bool bOn = face == Face::Pressed;
            glyphSpeaker(p, centre(s) + QPointF(1, 0), u, kWhite, bOn, !bOn);
        },
        QStringLiteral("0.png"), QStringLiteral("1.png"));
}

std::vector<Icon> allIcons()
{
    std::vector<Icon> icons;
    addCloudControl(icons);
    addControlBar(icons);
    addOverview(icons);
    addSettings(icons);
    addTourBar(icons);
    return icons;
}

// Contact sheet for review: every image at 1x and 3x on the panel's grey, with
// its name.
QImage contactSheet(const std::vector<Icon>& icons, const std::vector<QImage>& images)
{
    const int nColumns = 4, cellW = 300, cellH = 120;
    const int nRows = int(icons.size() + nColumns - 1) / nColumns;
    QImage sheet(nColumns * cellW, nRows * cellH, QImage::Format_ARGB32);
    sheet.fill(QColor(120, 120, 120));
    QPainter p(&sheet);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    p.setFont(font);
    for (size_t i = 0; i < icons.size(); ++i) {
        const int x = int(i % nColumns) * cellW, y = int(i / nColumns) * cellH;
        const QImage& image = images[i];
        p.fillRect(x + 4, y + 4, 70, 70, QColor(242, 242, 242));
        p.drawImage(x + 4 + (70 - image.width()) / 2, y + 4 + (70 - image.height()) / 2, image);
        const QSize big = image.size() * 3 / (image.width() > 40 ? 2 : 1);
        p.drawImage(QRect(x + 80, y + 4, big.width(), big.height()), image);
        p.setPen(Qt::white);
        p.drawText(QRect(x + 4, y + cellH - 16, cellW - 8, 14), Qt::AlignLeft,
                   QStringLiteral("%1 %2x%3")
                       .arg(icons[i].strName)
                       .arg(image.width())
                       .arg(image.height()));
    }
    return sheet;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    const QStringList args = app.arguments();
    const bool bSheet = args.size() == 4 && args.at(2) == QLatin1String("--sheet");
    if (args.size() != 2 && !bSheet) {
        err << "usage: vel-icon-generator <output dir> [--sheet <file.png>]\n";
        return 2;
    }
    const QDir dir(args.at(1));
    if (!dir.mkpath(QStringLiteral("."))) {
        err << "cannot create " << dir.path() << "\n";
        return 1;
    }

    int nFailed = 0;
    const std::vector<Icon> icons = allIcons();
    std::vector<QImage> images;
    for (const Icon& icon : icons) {
        QImage image(icon.size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            icon.draw(painter, QSizeF(icon.size));
        }
        const QString strPath = dir.filePath(icon.strName);
        if (!image.convertToFormat(QImage::Format_ARGB32).save(strPath, "PNG")) {
            err << "cannot write " << strPath << "\n";
            ++nFailed;
        }
        images.push_back(image);
    }
    if (bSheet && !contactSheet(icons, images).save(args.at(3), "PNG")) {
        err << "cannot write " << args.at(3) << "\n";
        ++nFailed;
    }
    return nFailed ? 1 : 0;
}
