#include "Painters.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace draw {

namespace {

// The tool's colours: dark glass for the panel, frosted light for text areas, one blue for
// actions and one green for "GPS on".
const QColor glassTop(0x34, 0x41, 0x4e);
const QColor glassBottom(0x12, 0x18, 0x1f);
const QColor frostTop(0xf1, 0xf4, 0xf7);
const QColor frostBottom(0xd9, 0xdf, 0xe5);
const QColor edgeDark(0x0a, 0x0e, 0x13);
const QColor actionTop(0x4d, 0xa6, 0xe8);
const QColor actionBottom(0x1f, 0x6f, 0xb5);
const QColor gpsGreen(0x3d, 0xdc, 0x84);
const QColor muted(0x9a, 0xa3, 0xab);

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void smooth(QPainter& p) { p.setRenderHint(QPainter::Antialiasing, true); }

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QColor alpha(QColor c, int a)
{
    c.setAlpha(a);
    return c;
}

// A map pin whose point is at `tip`, `height` tall, with a round hole.
QPainterPath pin(QPointF tip, qreal height)
{
    const qreal r = height * 0.36;
    const QPointF c(tip.x(), tip.y() - height + r);
    const qreal d = tip.y() - c.y();
    const qreal phi = std::asin(r / d);
    QPainterPath head;
    head.addEllipse(c, r, r);
    QPainterPath point;
    point.moveTo(tip);
    point.lineTo(c.x() - r * std::cos(phi), c.y() + r * std::sin(phi));
    point.lineTo(c.x() + r * std::cos(phi), c.y() + r * std::sin(phi));
    point.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, r * 0.42, r * 0.42);
    return head.united(point).subtracted(hole);
}

// Dark glass with a soft gloss over its upper half.
void glass(QPainter& p, const QPainterPath& shape, const QRectF& bounds)
{
    p.fillPath(shape, vertical(bounds, glassTop, glassBottom));
    QLinearGradient gloss(bounds.topLeft(), QPointF(bounds.left(), bounds.top() + bounds.height() * 0.5));
    gloss.setColorAt(0, QColor(255, 255, 255, 46));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(shape, gloss);
}

void outline(QPainter& p, const QRectF& r, qreal radius)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(edgeDark, 1));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 38), 1));
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1, radius - 1);
}

// The product's name in bold with "GPS" in smaller, lighter type below it.
struct Wordmark {
    QPointF nameAt;
    int nameSize;
    QColor nameColour;
    QPointF tagAt;
    int tagSize;
    QColor tagColour;
};

void wordmark(QPainter& p, const Wordmark& w)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(w.nameSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(w.nameColour);
    p.drawText(w.nameAt, QStringLiteral("Orvanta"));
    font.setPixelSize(w.tagSize);
    font.setBold(false);
    p.setFont(font);
    p.setPen(w.tagColour);
    p.drawText(w.tagAt, QStringLiteral("GPS"));
}

// A four-pointed sparkle, as satellites are drawn on the night-sky header.
void satellite(QPainter& p, QPointF at, qreal size, const QColor& colour)
{
    p.save();
    p.translate(at);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(-size * 0.25, -size * 0.25, size * 0.5, size * 0.5));
    p.setBrush(alpha(colour, 170));
    p.drawRect(QRectF(-size, -size * 0.18, size * 0.6, size * 0.36));
    p.drawRect(QRectF(size * 0.4, -size * 0.18, size * 0.6, size * 0.36));
    p.restore();
}

} // namespace

QImage controlPanelBackground()
{
    QImage image = canvas(184, 192);
    QPainter p(&image);
    smooth(p);
    const QRectF all(0, 0, 184, 192);
    const qreal radius = 12;
    QPainterPath panel;
    panel.addRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    glass(p, panel, all);

    // The status area: frosted, so that the grey status texts read well.
    QPainterPath strip;
    strip.addRect(QRectF(1, 144, 182, 47));
    strip = strip.intersected(panel);
    p.fillPath(strip, vertical(QRectF(0, 144, 184, 48), frostTop, frostBottom));
    p.setPen(QPen(QColor(0, 0, 0, 90), 1));
    p.drawLine(QPointF(1, 143.5), QPointF(183, 143.5));

    // The bezel the GPS button sits in.
    const QPointF centre(96, 108);
    QRadialGradient well(centre, 41);
    well.setColorAt(0.80, QColor(0, 0, 0, 150));
    well.setColorAt(0.92, QColor(0, 0, 0, 60));
    well.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(well);
    p.drawEllipse(centre, 41, 41);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 30), 1));
    p.drawEllipse(centre, 38.5, 38.5);

    // The version chip, behind the version label's right-aligned text.
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(QRectF(129, 66, 24, 16), frostTop, frostBottom));
    p.drawRoundedRect(QRectF(129, 66, 24, 16), 4, 4);

    // Wordmark and a small pin in the header.
    p.fillPath(pin(QPointF(17, 25), 15), gpsGreen);
    wordmark(p, {QPointF(28, 22), 14, QColor(0xe6, 0xec, 0xf2), QPointF(29, 35), 9, QColor(0x8f, 0x9d, 0xab)});
    outline(p, all, radius);
    return image;
}

QImage functionSliderBackground()
{
    QImage image = canvas(178, 182);
    QPainter p(&image);
    smooth(p);
    const QRectF all(0, 0, 178, 182);
    QPainterPath shape;
    // Rounded on the left only: the right edge hides behind the control panel.
    shape.addRoundedRect(QRectF(0.5, 0.5, 200, 181), 12, 12);
    shape = shape.intersected([] {
        QPainterPath r;
        r.addRect(QRectF(0, 0, 178, 182));
        return r;
    }());
    p.fillPath(shape, vertical(all, frostTop, frostBottom));
    p.setPen(QPen(QColor(0, 0, 0, 28), 1));
    for (const qreal y : {46.5, 91.5, 136.5})
        p.drawLine(QPointF(8, y), QPointF(170, y));
    p.setPen(QPen(edgeDark, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    return image;
}

QImage reminderBackground()
{
    QImage image = canvas(400, 281);
    QPainter p(&image);
    smooth(p);
    const QRectF all(0, 0, 400, 281);
    const qreal radius = 14;
    QPainterPath card;
    card.addRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.fillPath(card, vertical(all, frostTop, frostBottom));

    // A night-sky header: satellites above the horizon, signals falling to a pin.
    QPainterPath header;
    header.addRect(QRectF(0, 0, 400, 74));
    header = header.intersected(card);
    QLinearGradient sky(QPointF(0, 0), QPointF(0, 74));
    sky.setColorAt(0, QColor(0x16, 0x22, 0x33));
    sky.setColorAt(1, QColor(0x2f, 0x4d, 0x6b));
    p.fillPath(header, sky);
    p.fillPath(header, [] {
        QLinearGradient gloss(QPointF(0, 0), QPointF(0, 37));
        gloss.setColorAt(0, QColor(255, 255, 255, 30));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        return gloss;
    }());
    const QPointF target(338, 62);
    const QPointF satellites[] = {{282, 18}, {330, 12}, {372, 24}};
    for (const QPointF& s : satellites) {
        QPen dashed(QColor(255, 255, 255, 90), 1, Qt::DashLine);
        p.setPen(dashed);
        p.drawLine(s, target - QPointF(0, 12));
        satellite(p, s, 6, QColor(0xe8, 0xee, 0xf4));
    }
    p.fillPath(pin(target, 18), gpsGreen);
    wordmark(p, {QPointF(33, 36), 17, QColor(0xee, 0xf2, 0xf6), QPointF(33, 54), 11, QColor(0xa9, 0xbb, 0xcc)});

    p.setPen(QPen(QColor(0, 0, 0, 30), 1));
    p.drawLine(QPointF(16, 231.5), QPointF(384, 231.5));
    outline(p, all, radius);
    return image;
}

QImage gpsButton(Look look)
{
    QImage image = canvas(70, 70);
    QPainter p(&image);
    smooth(p);
    const QPointF c(35, 35);
    const bool on = look == Look::on;
    const bool disabled = look == Look::disabled;

    // Ring: green when on, brushed steel otherwise, flat grey when unavailable.
    QLinearGradient ring(QPointF(0, 2), QPointF(0, 68));
    if (on) {
        ring.setColorAt(0, gpsGreen.lighter(120));
        ring.setColorAt(1, gpsGreen.darker(160));
    } else if (disabled) {
        ring.setColorAt(0, QColor(0x4a, 0x52, 0x5a));
        ring.setColorAt(1, QColor(0x33, 0x39, 0x40));
    } else {
        ring.setColorAt(0, QColor(0x8c, 0x99, 0xa6));
        ring.setColorAt(1, QColor(0x3a, 0x44, 0x4e));
    }
    if (on) {
        QRadialGradient glow(c, 35);
        glow.setColorAt(0.80, alpha(gpsGreen, 150));
        glow.setColorAt(1.0, alpha(gpsGreen, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, 35, 35);
    }
    p.setPen(QPen(edgeDark, 1));
    p.setBrush(ring);
    p.drawEllipse(c, 31.5, 31.5);

    // Face.
    QRadialGradient face(QPointF(35, 24), 34);
    if (disabled) {
        face.setColorAt(0, QColor(0x3a, 0x41, 0x48));
        face.setColorAt(1, QColor(0x2a, 0x30, 0x36));
    } else if (on) {
        face.setColorAt(0, QColor(0x2f, 0x4a, 0x3d));
        face.setColorAt(1, QColor(0x10, 0x1c, 0x16));
    } else {
        face.setColorAt(0, QColor(0x3b, 0x47, 0x53));
        face.setColorAt(1, QColor(0x12, 0x17, 0x1d));
    }
    p.setPen(QPen(QColor(0, 0, 0, 160), 1));
    p.setBrush(face);
    p.drawEllipse(c, 26, 26);
    if (!disabled) {
        QPainterPath highlight;
        highlight.addEllipse(QRectF(15, 11, 40, 22));
        QLinearGradient gloss(QPointF(0, 11), QPointF(0, 33));
        gloss.setColorAt(0, QColor(255, 255, 255, 70));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillPath(highlight, gloss);
    }

    // Glyph: a pin sending out its signal.
    const QColor glyph = on ? QColor(0xf2, 0xff, 0xf7) : disabled ? QColor(0x5c, 0x65, 0x6e) : QColor(0xc3, 0xcd, 0xd7);
    p.fillPath(pin(QPointF(35, 50), 26), glyph);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        const qreal r = 16 + i * 5;
        p.setPen(QPen(on ? alpha(gpsGreen.lighter(130), 230 - i * 70) : alpha(glyph, 170 - i * 60), 2, Qt::SolidLine,
                      Qt::RoundCap));
        p.drawArc(QRectF(35 - r, 33 - r, 2 * r, 2 * r), 30 * 16, 30 * 16);
        p.drawArc(QRectF(35 - r, 33 - r, 2 * r, 2 * r), 120 * 16, 30 * 16);
    }
    return image;
}

QImage actionButton(Glyph glyph, Look look)
{
    QImage image = canvas(40, 40);
    QPainter p(&image);
    smooth(p);
    const bool pressed = look == Look::pressed;
    const bool disabled = look == Look::disabled;
    const QPointF c(20, pressed ? 21 : 20);
    const QRectF face(c.x() - 17, c.y() - 17, 34, 34);

    if (!pressed) { // a soft drop shadow lifts the button off the panel
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, disabled ? 20 : 45));
        p.drawEllipse(face.translated(0, 1.5));
    }
    QLinearGradient fill = disabled ? vertical(face, QColor(0xc8, 0xce, 0xd4), QColor(0xa9, 0xb1, 0xb9))
                           : pressed ? vertical(face, actionBottom, actionTop.darker(110))
                                     : vertical(face, actionTop, actionBottom);
    p.setPen(QPen(disabled ? QColor(0x8e, 0x97, 0xa0) : actionBottom.darker(140), 1));
    p.setBrush(fill);
    p.drawEllipse(face);
    if (!disabled && !pressed) {
        QPainterPath highlight;
        highlight.addEllipse(QRectF(c.x() - 12, c.y() - 15, 24, 14));
        QLinearGradient gloss(QPointF(0, c.y() - 15), QPointF(0, c.y() - 1));
        gloss.setColorAt(0, QColor(255, 255, 255, 90));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillPath(highlight, gloss);
    }

    const QColor ink = disabled ? QColor(0xf1, 0xf3, 0xf5) : Qt::white;
    QPen stroke(ink, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (glyph) {
    case Glyph::where:
        p.fillPath(pin(QPointF(c.x(), c.y() + 10), 20), ink);
        break;
    case Glyph::search: {
        p.setPen(stroke);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(c.x() - 2.5, c.y() - 2.5), 6.5, 6.5);
        p.setPen(QPen(ink, 3.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() + 2.5, c.y() + 2.5), QPointF(c.x() + 8, c.y() + 8));
        break;
    }
    case Glyph::directions: {
        // A road sign with a turn arrow.
        QPainterPath sign;
        sign.moveTo(c.x(), c.y() - 11);
        sign.lineTo(c.x() + 11, c.y());
        sign.lineTo(c.x(), c.y() + 11);
        sign.lineTo(c.x() - 11, c.y());
        sign.closeSubpath();
        p.fillPath(sign, ink);
        const QColor arrow = disabled ? QColor(0xa9, 0xb1, 0xb9) : actionBottom;
        p.setPen(QPen(arrow, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath bend;
        bend.moveTo(c.x() - 3, c.y() + 5);
        bend.lineTo(c.x() - 3, c.y() - 1);
        bend.lineTo(c.x() + 3, c.y() - 1);
        p.drawPath(bend);
        QPainterPath head;
        head.moveTo(c.x() + 5.5, c.y() - 1);
        head.lineTo(c.x() + 1.5, c.y() - 4.5);
        head.lineTo(c.x() + 1.5, c.y() + 2.5);
        head.closeSubpath();
        p.fillPath(head, arrow);
        break;
    }
    case Glyph::tips: {
        // A light bulb.
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(c.x(), c.y() - 3), 7.5, 7.5);
        QPainterPath neck;
        neck.moveTo(c.x() - 4.5, c.y() + 2);
        neck.lineTo(c.x() + 4.5, c.y() + 2);
        neck.lineTo(c.x() + 3.5, c.y() + 7);
        neck.lineTo(c.x() - 3.5, c.y() + 7);
        neck.closeSubpath();
        p.drawPath(neck);
        p.drawRoundedRect(QRectF(c.x() - 3.5, c.y() + 8, 7, 2.2), 1, 1);
        p.drawRoundedRect(QRectF(c.x() - 2.5, c.y() + 11, 5, 2), 1, 1);
        break;
    }
    }
    return image;
}

QImage okButton(Look look)
{
    QImage image = canvas(55, 23);
    QPainter p(&image);
    smooth(p);
    const QRectF r(0.5, 0.5, 54, 22);
    const QColor top = look == Look::hover ? actionTop.lighter(112) : look == Look::pressed ? actionBottom : actionTop;
    const QColor bottom = look == Look::pressed ? actionBottom.darker(115) : actionBottom;
    p.setPen(QPen(actionBottom.darker(150), 1));
    p.setBrush(vertical(r, top, bottom));
    p.drawRoundedRect(r, 11, 11);
    if (look != Look::pressed) {
        QPainterPath gloss;
        gloss.addRoundedRect(QRectF(3, 2, 49, 9), 5, 5);
        p.fillPath(gloss, QColor(255, 255, 255, 50));
    }
    return image;
}

QImage sliderArrow(bool pointsLeft)
{
    QImage image = canvas(9, 14);
    QPainter p(&image);
    smooth(p);
    p.setPen(QPen(QColor(0x4f, 0x5b, 0x67), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath chevron;
    if (pointsLeft) {
        chevron.moveTo(6.5, 2.5);
        chevron.lineTo(2, 7);
        chevron.lineTo(6.5, 11.5);
    } else {
        chevron.moveTo(2.5, 2.5);
        chevron.lineTo(7, 7);
        chevron.lineTo(2.5, 11.5);
    }
    p.drawPath(chevron);
    return image;
}

namespace {

// A title-bar button: a light glyph, on a disc of `pressedDisc` while pressed.
template <class Glyph>
QImage windowButton(bool pressed, const QColor& pressedDisc, Glyph drawGlyph)
{
    QImage image = canvas(15, 15);
    QPainter p(&image);
    smooth(p);
    if (pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(pressedDisc);
        p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
    }
    p.setPen(QPen(pressed ? Qt::white : QColor(0xc9, 0xd3, 0xdc), 1.8, Qt::SolidLine, Qt::RoundCap));
    drawGlyph(p);
    return image;
}

} // namespace

QImage windowClose(bool pressed)
{
    return windowButton(pressed, QColor(0xd9, 0x4a, 0x3d), [](QPainter& p) {
        p.drawLine(QPointF(4.5, 4.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 4.5), QPointF(4.5, 10.5));
    });
}

QImage windowMinimize(bool pressed)
{
    return windowButton(pressed, QColor(255, 255, 255, 60),
                        [](QPainter& p) { p.drawLine(QPointF(4, 10), QPointF(11, 10)); });
}

QImage checkBox(bool checked)
{
    QImage image = canvas(12, 11);
    QPainter p(&image);
    smooth(p);
    const QRectF box(0.5, 0.5, 11, 10);
    p.setPen(QPen(checked ? actionBottom.darker(130) : QColor(0x7b, 0x86, 0x91), 1));
    p.setBrush(checked ? QBrush(vertical(box, actionTop, actionBottom)) : QBrush(Qt::white));
    p.drawRoundedRect(box, 2, 2);
    if (checked) {
        p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(3, 5.5);
        tick.lineTo(5, 7.5);
        tick.lineTo(9, 3);
        p.drawPath(tick);
    }
    return image;
}

QImage macButton(bool hover)
{
    QImage image = canvas(12, 12);
    QPainter p(&image);
    smooth(p);
    p.setPen(QPen(QColor(0, 0, 0, 80), 1));
    p.setBrush(hover ? QColor(0xf5, 0xa6, 0x23) : muted);
    p.drawEllipse(QRectF(1, 1, 10, 10));
    return image;
}

QImage trayPicture(TrayState state, int size)
{
    QImage image = canvas(size, size);
    QPainter p(&image);
    smooth(p);
    p.scale(size / 48.0, size / 48.0);
    const QRectF badge(2, 2, 44, 44);
    const QColor fill = state == TrayState::active     ? QColor(0x22, 0xa8, 0x5e)
                        : state == TrayState::inactive ? QColor(0x3c, 0x47, 0x52)
                                                       : QColor(0x8a, 0x93, 0x9b);
    p.setPen(QPen(fill.darker(150), 1.5));
    p.setBrush(vertical(badge, fill.lighter(125), fill));
    p.drawEllipse(badge);
    const QColor ink = state == TrayState::unavailable ? QColor(0xe4, 0xe8, 0xeb) : Qt::white;
    p.fillPath(pin(QPointF(24, 40), 30), ink);
    if (state == TrayState::active) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0xd8, 0xff, 0xe8), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(6, 4, 36, 36), 25 * 16, 35 * 16);
        p.drawArc(QRectF(6, 4, 36, 36), 120 * 16, 35 * 16);
    }
    if (state == TrayState::unavailable) {
        p.setPen(QPen(QColor(0xc6, 0x3b, 0x30), 4.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 11), QPointF(37, 37));
    }
    return image;
}

QImage applicationIcon(int size) { return trayPicture(TrayState::active, size); }

} // namespace draw
