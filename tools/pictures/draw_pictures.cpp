// veltrane-draw-pictures: draws the windows' pictures (tool-button glyphs, the About emblem and
// the program icon) and writes them into one folder. Everything is plain vector drawing, so the
// pictures can be changed here and redrawn with scripts/draw-pictures.sh; the output is the same
// bytes on every run, which the test suite checks against the committed copies.
//
// Only QtGui's raster painter is used: no QGuiApplication, no fonts, no display.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitWriteFailure = 1;
constexpr int kExitUsage = 2;

// The button glyphs are keyed: their bottom-left pixel's colour is drawn transparent.
const QColor kSilver(192, 192, 192);
const QColor kWhite(255, 255, 255);
// The About window's face, behind the opaque emblem.
const QColor kButtonFace(240, 240, 240);

constexpr int kToolGlyphSize = 24;
constexpr int kCheckGlyphSize = 16;
constexpr int kEmblemWidth = 149;
constexpr int kEmblemHeight = 148;
constexpr int kIconSize = 32;

using Drawing = std::function<void(QPainter&)>;

QPointF polar(qreal radius, qreal degrees) {
    // Degrees clockwise from north, in screen coordinates (y grows downwards).
    const qreal radians = degrees * std::numbers::pi / 180.0;
    return {radius * std::sin(radians), -radius * std::cos(radians)};
}

QPainterPath circle(QPointF centre, qreal radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPen outline(const QColor& colour, qreal width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Draws a glyph on a keyed background. The drawing is antialiased on a transparent layer and then
// laid on the key with a hard edge: a half-covered edge pixel blended with the key would show as
// a pale fringe once the key turns transparent on a differently coloured button.
QImage keyedGlyph(int size, const QColor& key, const Drawing& draw) {
    QImage layer(size, size, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    {
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
    }
    QImage glyph(size, size, QImage::Format_RGB888);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QColor pixel = layer.pixelColor(x, y);
            QColor out = key;
            if (pixel.alpha() >= 128) {
                out = QColor(pixel.red(), pixel.green(), pixel.blue());
                // A drawn pixel that happened to match the key would be punched out as well.
                if (out == key) {
                    out = key.lightness() > 128 ? key.darker(102) : key.lighter(102);
                }
            }
            glyph.setPixelColor(x, y, out);
        }
    }
    return glyph;
}

// ---- Load SIG-file: a storage drum with a green arrow pointing up --------------------------

void drawLoadGlyph(QPainter& painter) {
    const QRectF top(2.5, 8.5, 15.0, 5.0);
    const qreal bottomY = 20.5;
    QPainterPath body;
    body.moveTo(top.left(), top.center().y());
    body.lineTo(top.left(), bottomY);
    body.arcTo(QRectF(top.left(), bottomY - top.height() / 2, top.width(), top.height()), 180, 180);
    body.lineTo(top.right(), top.center().y());
    body.closeSubpath();

    QLinearGradient steel(top.left(), 0, top.right(), 0);
    steel.setColorAt(0.0, QColor(70, 95, 140));
    steel.setColorAt(0.35, QColor(150, 178, 220));
    steel.setColorAt(1.0, QColor(40, 60, 105));
    painter.setPen(outline(QColor(20, 30, 60), 1.0));
    painter.setBrush(steel);
    painter.drawPath(body);

    // Two hoops round the drum, so it reads as a drum and not as a tin.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(outline(QColor(25, 40, 80), 1.0));
    for (const qreal y : {12.5, 16.5}) {
        painter.drawArc(QRectF(top.left(), y, top.width(), top.height()), 180 * 16, 180 * 16);
    }

    painter.setPen(outline(QColor(20, 30, 60), 1.0));
    painter.setBrush(QColor(185, 205, 235));
    painter.drawEllipse(top);

    QPolygonF arrow;
    arrow << QPointF(17.5, 1.0) << QPointF(23.0, 8.0) << QPointF(19.8, 8.0) << QPointF(19.8, 15.5)
          << QPointF(15.2, 15.5) << QPointF(15.2, 8.0) << QPointF(12.0, 8.0);
    QLinearGradient green(12.0, 0, 23.0, 0);
    green.setColorAt(0.0, QColor(90, 225, 90));
    green.setColorAt(1.0, QColor(0, 140, 20));
    painter.setPen(outline(QColor(0, 75, 10), 1.0));
    painter.setBrush(green);
    painter.drawPolygon(arrow);
}

// ---- Processing: two gear wheels ------------------------------------------------------------

QPainterPath gearWheel(QPointF centre, qreal rootRadius, qreal tipRadius, int teeth,
                       qreal holeRadius, qreal phaseDegrees) {
    const qreal pitch = 360.0 / teeth;
    QPolygonF rim;
    for (int tooth = 0; tooth < teeth; ++tooth) {
        const qreal middle = phaseDegrees + tooth * pitch;
        rim << centre + polar(rootRadius, middle - 0.30 * pitch)
            << centre + polar(tipRadius, middle - 0.15 * pitch)
            << centre + polar(tipRadius, middle + 0.15 * pitch)
            << centre + polar(rootRadius, middle + 0.30 * pitch);
    }
    QPainterPath path;
    path.addPolygon(rim);
    path.closeSubpath();
    // The hole is left open, so the button face shows through the axle.
    return path.subtracted(circle(centre, holeRadius));
}

void drawProcessingGlyph(QPainter& painter) {
    const QPointF bigCentre(9.0, 9.0);
    const QPointF smallCentre(17.0, 17.0);

    QRadialGradient steel(bigCentre - QPointF(2, 2), 10.0);
    steel.setColorAt(0.0, QColor(235, 238, 245));
    steel.setColorAt(1.0, QColor(95, 105, 125));
    painter.setPen(outline(QColor(35, 40, 55), 1.0));
    painter.setBrush(steel);
    painter.drawPath(gearWheel(bigCentre, 6.2, 8.5, 8, 2.3, 0.0));

    // Turned half a tooth so that its teeth fall between the big wheel's.
    QRadialGradient brass(smallCentre - QPointF(1.5, 1.5), 7.0);
    brass.setColorAt(0.0, QColor(255, 235, 150));
    brass.setColorAt(1.0, QColor(185, 115, 10));
    painter.setPen(outline(QColor(90, 50, 0), 1.0));
    painter.setBrush(brass);
    painter.drawPath(gearWheel(smallCentre, 4.4, 6.5, 6, 1.6, 15.0));
}

// ---- About: a speech bubble holding a blue letter i -----------------------------------------

void drawAboutGlyph(QPainter& painter) {
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1.5, 1.5, 21.0, 16.0), 6.0, 6.0);
    QPolygonF tail;
    tail << QPointF(5.0, 15.0) << QPointF(3.0, 22.5) << QPointF(11.5, 16.0);
    QPainterPath tailPath;
    tailPath.addPolygon(tail);
    tailPath.closeSubpath();
    bubble = bubble.united(tailPath);

    QLinearGradient paper(0, 1.5, 0, 22.5);
    paper.setColorAt(0.0, QColor(255, 255, 255));
    paper.setColorAt(1.0, QColor(205, 222, 245));
    painter.setPen(outline(QColor(40, 55, 90), 1.0));
    painter.setBrush(paper);
    painter.drawPath(bubble);

    const QColor blue(0, 70, 205);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blue);
    painter.drawEllipse(QPointF(12.0, 5.4), 1.9, 1.9);
    QPainterPath letter;
    letter.addRect(QRectF(10.5, 8.2, 3.0, 6.0));  // stem
    letter.addRect(QRectF(9.0, 8.2, 1.6, 1.5));   // serif at the top left
    letter.addRect(QRectF(9.0, 13.8, 6.0, 1.6));  // foot
    painter.drawPath(letter.simplified());
}

// ---- About window's button: a green circle holding a white check mark -----------------------

void drawCheckGlyph(QPainter& painter) {
    QRadialGradient green(QPointF(6.0, 5.5), 8.5);
    green.setColorAt(0.0, QColor(120, 220, 110));
    green.setColorAt(1.0, QColor(20, 135, 35));
    painter.setPen(outline(QColor(10, 85, 20), 1.0));
    painter.setBrush(green);
    painter.drawEllipse(QPointF(8.0, 8.0), 7.0, 7.0);

    // Not quite white: pure white is the key colour and would turn transparent.
    painter.setPen(outline(QColor(252, 252, 252), 2.2));
    painter.setBrush(Qt::NoBrush);
    QPolygonF mark;
    mark << QPointF(4.6, 8.2) << QPointF(7.0, 10.7) << QPointF(11.4, 5.4);
    painter.drawPolyline(mark);
}

// ---- The emblem: a globe on a compass rose under a sun and a cloud --------------------------
//
// Drawn in a frame whose unit is one pixel of the About picture, centred on the emblem, with the
// outer rim at kRim. The icon draws the same frame scaled down, with fewer details.

constexpr qreal kRim = 71.0;
constexpr qreal kRingInner = 62.0;
constexpr qreal kGlobe = 38.0;

struct EmblemStyle {
    qreal line;  // width of an ordinary outline, in frame units
    bool fine;   // shadow, grid lines, the letter N and the ring studs; lost at icon size
};

void drawCompassPoint(QPainter& painter, qreal degrees, qreal tip, qreal halfWidth,
                      const QColor& light, const QColor& dark, qreal pen) {
    const QPointF centre(0, 0);
    const QPointF point = polar(tip, degrees);
    const QPointF left = polar(30.0, degrees) + polar(halfWidth, degrees - 90.0);
    const QPointF right = polar(30.0, degrees) + polar(halfWidth, degrees + 90.0);
    painter.setPen(outline(QColor(40, 40, 60), pen));
    painter.setBrush(light);
    painter.drawPolygon(QPolygonF() << centre << left << point);
    painter.setBrush(dark);
    painter.drawPolygon(QPolygonF() << centre << point << right);
}

QPainterPath continentWest() {
    QPainterPath land;
    land.moveTo(-30, -24);
    land.cubicTo(-20, -32, -6, -30, -4, -22);
    land.cubicTo(-2, -14, -12, -12, -12, -4);
    land.cubicTo(-12, 4, -2, 8, -6, 18);
    land.cubicTo(-9, 26, -16, 30, -18, 24);
    land.cubicTo(-20, 16, -26, 10, -32, 4);
    land.cubicTo(-40, -4, -38, -18, -30, -24);
    return land;
}

QPainterPath continentEast() {
    QPainterPath land;
    land.moveTo(8, 4);
    land.cubicTo(16, -2, 28, 2, 34, 10);
    land.cubicTo(38, 18, 30, 26, 22, 24);
    land.cubicTo(16, 30, 6, 28, 8, 20);
    land.cubicTo(10, 14, 2, 10, 8, 4);
    return land;
}

QPainterPath cloudShape(QPointF at) {
    QPainterPath cloud = circle(at + QPointF(-9, 2), 6.5);
    cloud = cloud.united(circle(at + QPointF(0, -3), 8.5));
    cloud = cloud.united(circle(at + QPointF(10, 1), 7.0));
    QPainterPath base;
    base.addRoundedRect(QRectF(at.x() - 15, at.y() + 1, 31, 8), 4, 4);
    return cloud.united(base);
}

void drawEmblemFrame(QPainter& painter, const EmblemStyle& style) {
    const qreal px = style.line;

    // A soft shadow under the rim, down and to the right.
    if (style.fine) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 28));
        for (int step = 3; step >= 1; --step) {
            painter.drawEllipse(QPointF(0.5 * step, 0.7 * step), kRim + 0.3 * step,
                                kRim + 0.3 * step);
        }
    }

    // Ring.
    QRadialGradient navy(QPointF(-20, -25), 100);
    navy.setColorAt(0.0, QColor(60, 90, 160));
    navy.setColorAt(1.0, QColor(15, 30, 75));
    painter.setBrush(navy);
    painter.setPen(outline(QColor(200, 160, 50), 1.5 * px));
    painter.drawEllipse(QPointF(0, 0), kRim, kRim);

    // Sky inside the ring.
    QRadialGradient sky(QPointF(0, 0), kRingInner);
    sky.setColorAt(0.0, QColor(245, 250, 255));
    sky.setColorAt(1.0, QColor(175, 205, 240));
    painter.setBrush(sky);
    painter.setPen(outline(QColor(220, 180, 70), 1.0 * px));
    painter.drawEllipse(QPointF(0, 0), kRingInner, kRingInner);

    if (style.fine) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(230, 190, 80));
        for (int point = 1; point < 8; ++point) {
            painter.drawEllipse(polar((kRim + kRingInner) / 2, point * 45.0), 1.4, 1.4);
        }
        painter.setPen(outline(QColor(245, 215, 110), 1.4));
        painter.setBrush(Qt::NoBrush);
        const qreal y = -(kRim + kRingInner) / 2;
        painter.drawPolyline(QPolygonF() << QPointF(-2.4, y + 3.2) << QPointF(-2.4, y - 3.2)
                                         << QPointF(2.4, y + 3.2) << QPointF(2.4, y - 3.2));
    }

    // Compass rose: the diagonals first, so the four main points lie over them.
    const qreal rosePen = 0.8 * px;
    for (const qreal degrees : {45.0, 135.0, 225.0, 315.0}) {
        drawCompassPoint(painter, degrees, 52.0, 7.0, QColor(240, 244, 250), QColor(110, 130, 165),
                         rosePen);
    }
    drawCompassPoint(painter, 0.0, 60.0, 10.0, QColor(240, 80, 60), QColor(160, 25, 20), rosePen);
    for (const qreal degrees : {90.0, 180.0, 270.0}) {
        drawCompassPoint(painter, degrees, 60.0, 10.0, QColor(250, 215, 95), QColor(185, 125, 20),
                         rosePen);
    }

    // Globe: sea, land, grid, then light and shade over all of it.
    const QPainterPath globe = circle(QPointF(0, 0), kGlobe);
    QRadialGradient sea(QPointF(-12, -14), 50);
    sea.setColorAt(0.0, QColor(90, 170, 235));
    sea.setColorAt(1.0, QColor(20, 80, 165));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sea);
    painter.drawPath(globe);

    painter.save();
    painter.setClipPath(globe);
    painter.setBrush(QColor(70, 165, 75));
    painter.setPen(outline(QColor(35, 110, 45), 0.8 * px));
    painter.drawPath(continentWest());
    painter.drawPath(continentEast());

    painter.setPen(QPen(QColor(255, 255, 255, style.fine ? 110 : 90), 0.9 * px));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(QPointF(0, -kGlobe), QPointF(0, kGlobe));
    painter.drawLine(QPointF(-kGlobe, 0), QPointF(kGlobe, 0));
    if (style.fine) {
        for (const qreal longitude : {35.0, 70.0}) {
            const qreal half = kGlobe * std::sin(longitude * std::numbers::pi / 180.0);
            painter.drawEllipse(QPointF(0, 0), half, kGlobe);
        }
        for (const qreal latitude : {-40.0, 40.0}) {
            const qreal y = kGlobe * std::sin(latitude * std::numbers::pi / 180.0);
            const qreal half = kGlobe * std::cos(latitude * std::numbers::pi / 180.0);
            painter.drawLine(QPointF(-half, y), QPointF(half, y));
        }
    }

    QRadialGradient light(QPointF(-14, -16), 60);
    light.setColorAt(0.0, QColor(255, 255, 255, 110));
    light.setColorAt(0.35, QColor(255, 255, 255, 0));
    light.setColorAt(0.75, QColor(0, 0, 30, 30));
    light.setColorAt(1.0, QColor(0, 0, 30, 110));
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawPath(globe);
    painter.restore();

    painter.setPen(outline(QColor(10, 35, 80), 1.2 * px));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(globe);

    // Weather: a sun half hidden by a cloud, over the globe's upper right.
    const QPointF sunCentre(20, -30);
    painter.setPen(outline(QColor(215, 120, 0), 0.8 * px));
    painter.setBrush(QColor(255, 190, 30));
    for (int ray = 0; ray < 8; ++ray) {
        const qreal degrees = ray * 45.0 + 22.5;
        painter.drawPolygon(QPolygonF() << sunCentre + polar(9.0, degrees - 16.0)
                                        << sunCentre + polar(15.5, degrees)
                                        << sunCentre + polar(9.0, degrees + 16.0));
    }
    QRadialGradient sunGlow(sunCentre + QPointF(-3, -3), 12);
    sunGlow.setColorAt(0.0, QColor(255, 250, 170));
    sunGlow.setColorAt(1.0, QColor(255, 170, 20));
    painter.setBrush(sunGlow);
    painter.drawEllipse(sunCentre, 10.0, 10.0);

    QLinearGradient vapour(0, -30, 0, -8);
    vapour.setColorAt(0.0, QColor(255, 255, 255));
    vapour.setColorAt(1.0, QColor(200, 212, 230));
    painter.setPen(outline(QColor(90, 105, 135), 1.0 * px));
    painter.setBrush(vapour);
    painter.drawPath(cloudShape(QPointF(27, -17)).simplified());
}

QImage emblem() {
    QImage image(kEmblemWidth, kEmblemHeight, QImage::Format_RGB888);
    image.fill(kButtonFace);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kEmblemWidth / 2.0, kEmblemHeight / 2.0 - 1.0);
    drawEmblemFrame(painter, EmblemStyle{1.0, true});
    return image;
}

QImage icon() {
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The rim's outline is half a pixel wide; keep it inside the square.
    const qreal scale = (kIconSize / 2.0 - 0.5) / kRim;
    painter.translate(kIconSize / 2.0, kIconSize / 2.0);
    painter.scale(scale, scale);
    // Outlines of a full pixel would swallow the ring and the compass points at this size.
    drawEmblemFrame(painter, EmblemStyle{0.5 / scale, false});
    return image;
}

bool save(const QImage& image, const QDir& folder, const char* name, const char* format) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!image.save(path, format)) {
        std::fprintf(stderr, "veltrane-draw-pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: veltrane-draw-pictures <output folder>\n");
        return kExitUsage;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "veltrane-draw-pictures: cannot make folder %s\n", argv[1]);
        return kExitWriteFailure;
    }

    struct Picture {
        const char* name;
        const char* format;
        std::function<QImage()> draw;
    };
    const Picture pictures[] = {
        {"load.bmp", "BMP", [] { return keyedGlyph(kToolGlyphSize, kSilver, drawLoadGlyph); }},
        {"processing.bmp", "BMP",
         [] { return keyedGlyph(kToolGlyphSize, kSilver, drawProcessingGlyph); }},
        {"about.bmp", "BMP", [] { return keyedGlyph(kToolGlyphSize, kSilver, drawAboutGlyph); }},
        {"check.bmp", "BMP", [] { return keyedGlyph(kCheckGlyphSize, kWhite, drawCheckGlyph); }},
        {"emblem.bmp", "BMP", emblem},
        {"veltrane.png", "PNG", icon},
    };
    bool ok = true;
    for (const Picture& picture : pictures) {
        ok = save(picture.draw(), folder, picture.name, picture.format) && ok;
    }
    return ok ? kExitOk : kExitWriteFailure;
}
