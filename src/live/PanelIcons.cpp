#include "live/PanelIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace slm
{

namespace
{
using Draw = void (*)(QPainter&, const QRectF&);

void drawSave(QPainter& p, const QRectF& r)
{
    p.setBrush(QColor(52, 101, 164));
    p.drawRoundedRect(r.adjusted(2, 2, -2, -2), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(r.left() + r.width() * 0.28, r.top() + 2, r.width() * 0.44, r.height() * 0.32));
    p.setBrush(QColor(220, 225, 235));
    p.drawRect(
        QRectF(r.left() + r.width() * 0.2, r.top() + r.height() * 0.55, r.width() * 0.6, r.height() * 0.38));
}

void drawStop(QPainter& p, const QRectF& r)
{
    p.setBrush(QColor(204, 0, 0));
    p.drawEllipse(r.adjusted(2, 2, -2, -2));
    p.setBrush(Qt::white);
    p.drawRect(r.adjusted(r.width() * 0.33, r.height() * 0.33, -r.width() * 0.33, -r.height() * 0.33));
}

void drawOpen(QPainter& p, const QRectF& r)
{
    p.setBrush(QColor(237, 212, 0));
    QPainterPath path;
    path.moveTo(r.left() + 2, r.bottom() - 3);
    path.lineTo(r.left() + 2, r.top() + r.height() * 0.25);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.25);
    path.lineTo(r.left() + r.width() * 0.5, r.top() + r.height() * 0.35);
    path.lineTo(r.right() - 2, r.top() + r.height() * 0.35);
    path.lineTo(r.right() - 2, r.bottom() - 3);
    path.closeSubpath();
    p.drawPath(path);
}

void drawText(QPainter& p, const QRectF& r, const QString& text, const QColor& back)
{
    p.setBrush(back);
    p.drawRoundedRect(r.adjusted(1.5, 3, -1.5, -3), 3, 3);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(static_cast<int>(r.height() * (text.size() > 2 ? 0.34 : 0.44)));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, text);
    p.setPen(Qt::NoPen);
}

void drawArrow(QPainter& p, const QRectF& r, bool up)
{
    p.setBrush(QColor(78, 154, 6));
    QPolygonF tri;
    const double cx = r.center().x();
    if (up)
        tri << QPointF(cx, r.top() + 3) << QPointF(r.right() - 3, r.bottom() - 4)
            << QPointF(r.left() + 3, r.bottom() - 4);
    else
        tri << QPointF(cx, r.bottom() - 3) << QPointF(r.right() - 3, r.top() + 4)
            << QPointF(r.left() + 3, r.top() + 4);
    p.drawPolygon(tri);
}

void drawClock(QPainter& p, const QRectF& r)
{
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(46, 52, 54), r.width() * 0.08));
    p.drawEllipse(r.adjusted(3, 3, -3, -3));
    const QPointF c = r.center();
    p.drawLine(c, QPointF(c.x(), r.top() + r.height() * 0.25));
    p.drawLine(c, QPointF(r.right() - r.width() * 0.3, c.y()));
    p.setPen(Qt::NoPen);
}

void drawMemory(QPainter& p, const QRectF& r)
{
    p.setBrush(QColor(46, 52, 54));
    const QRectF chip =
        r.adjusted(r.width() * 0.22, r.height() * 0.15, -r.width() * 0.22, -r.height() * 0.15);
    p.drawRect(chip);
    for (int i = 0; i < 4; ++i) {
        const double y = chip.top() + chip.height() * (0.15 + 0.23 * i);
        p.drawRect(QRectF(r.left() + 2, y, chip.left() - r.left() - 2, chip.height() * 0.08));
        p.drawRect(QRectF(chip.right(), y, r.right() - 2 - chip.right(), chip.height() * 0.08));
    }
}

void drawErase(QPainter& p, const QRectF& r)
{
    drawMemory(p, r);
    p.setPen(QPen(QColor(204, 0, 0), r.width() * 0.12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft() + QPointF(4, 4), r.bottomRight() - QPointF(4, 4));
    p.drawLine(r.topRight() + QPointF(-4, 4), r.bottomLeft() + QPointF(4, -4));
    p.setPen(Qt::NoPen);
}

void drawRefresh(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(52, 101, 164), r.width() * 0.12, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF arc = r.adjusted(r.width() * 0.2, r.height() * 0.2, -r.width() * 0.2, -r.height() * 0.2);
    p.drawArc(arc, 30 * 16, 290 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(52, 101, 164));
    const QPointF tip(arc.right(), arc.center().y() - arc.height() * 0.25);
    p.drawPolygon(QPolygonF() << tip + QPointF(-r.width() * 0.2, -r.height() * 0.12)
                              << tip + QPointF(r.width() * 0.12, -r.height() * 0.2)
                              << tip + QPointF(r.width() * 0.05, r.height() * 0.15));
}

class DrawnIconEngine : public QIconEngine
{
public:
    explicit DrawnIconEngine(QString key) : m_key(std::move(key)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.35);
        const QRectF r(rect);
        if (m_key == u"Save")
            drawSave(*painter, r);
        else if (m_key == u"StopRecording")
            drawStop(*painter, r);
        else if (m_key == u"Open")
            drawOpen(*painter, r);
        else if (m_key == u"Sampling")
            drawText(*painter, r, QStringLiteral("Δt"), QColor(117, 80, 123));
        else if (m_key == u"AC")
            drawText(*painter, r, QStringLiteral("A/C"), QColor(32, 74, 135));
        else if (m_key == u"FSI")
            drawText(*painter, r, QStringLiteral("F/S"), QColor(32, 74, 135));
        else if (m_key == u"Up")
            drawArrow(*painter, r, true);
        else if (m_key == u"Down")
            drawArrow(*painter, r, false);
        else if (m_key == u"RTC")
            drawClock(*painter, r);
        else if (m_key == u"Memory")
            drawMemory(*painter, r);
        else if (m_key == u"Erase")
            drawErase(*painter, r);
        else if (m_key == u"Refresh")
            drawRefresh(*painter, r);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pm(size * scale);
        pm.setDevicePixelRatio(scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new DrawnIconEngine(m_key); }

private:
    QString m_key;
};
} // namespace

QIcon toolbarIcon(const QString& key)
{
    return QIcon(new DrawnIconEngine(key));
}

QIcon stopRecordingIcon()
{
    return toolbarIcon(QStringLiteral("StopRecording"));
}

QPixmap stateIcon(const QString& state, int size, qreal dpr, const QColor& color)
{
    QPixmap pm(QSize(size, size) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const QRectF r(size * 0.15, size * 0.15, size * 0.7, size * 0.7);
    if (state == u"Run") {
        p.drawPolygon(QPolygonF() << r.topLeft() << QPointF(r.right(), r.center().y()) << r.bottomLeft());
    } else if (state == u"Pause") {
        p.drawRect(QRectF(r.left(), r.top(), r.width() * 0.35, r.height()));
        p.drawRect(QRectF(r.right() - r.width() * 0.35, r.top(), r.width() * 0.35, r.height()));
    } else {
        p.drawRect(r);
    }
    return pm;
}

} // namespace slm
