// Drawing of the product picture and the banner logo.
#include "src/ProductArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#ifdef TWINLEAF_PRODUCT_PICTURE
// The resource lives in a static library: nothing would pull it into the program otherwise.
static void initProductPicture() {
    Q_INIT_RESOURCE(ProductPicture);
}
#endif

namespace twinleaf {

namespace {

// One leaf: a pointed oval along the x axis, with its middle vein.
void drawLeaf(QPainter& painter, QPointF base, double length, double angle, QColor colour) {
    painter.save();
    painter.translate(base);
    painter.rotate(angle);
    QPainterPath leaf;
    leaf.moveTo(0, 0);
    leaf.cubicTo(length * 0.30, -length * 0.42, length * 0.75, -length * 0.32, length, 0);
    leaf.cubicTo(length * 0.75, length * 0.32, length * 0.30, length * 0.42, 0, 0);
    QLinearGradient fill(0, -length * 0.4, 0, length * 0.4);
    fill.setColorAt(0, colour.lighter(135));
    fill.setColorAt(1, colour.darker(115));
    painter.setPen(QPen(colour.darker(150), 1.2));
    painter.setBrush(fill);
    painter.drawPath(leaf);
    painter.setPen(QPen(colour.darker(170), 1.0));
    painter.drawLine(QPointF(length * 0.05, 0), QPointF(length * 0.9, 0));
    painter.restore();
}

// The two leaves growing from one stem: green for Palm Desktop, blue for Outlook.
void drawLeaves(QPainter& painter, QRectF box) {
    const double size = std::min(box.width(), box.height());
    const QPointF base(box.left() + size * 0.5, box.bottom() - size * 0.06);
    painter.setPen(QPen(QColor(70, 95, 40), size * 0.05, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(base, base + QPointF(0, -size * 0.12));
    drawLeaf(painter, base + QPointF(0, -size * 0.1), size * 0.62, -128, QColor(76, 153, 58));
    drawLeaf(painter, base + QPointF(0, -size * 0.1), size * 0.62, -52, QColor(40, 110, 185));
}

} // namespace

QPixmap productPicture() {
#ifdef TWINLEAF_PRODUCT_PICTURE
    initProductPicture();
    QPixmap configured(QStringLiteral(TWINLEAF_PRODUCT_PICTURE));
    if (!configured.isNull()) {
        return configured.size() == QSize(399, 51)
                   ? configured
                   : configured.scaled(399, 51, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
#endif
    QPixmap picture(399, 51);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, 399, 0);
    band.setColorAt(0, QColor(232, 243, 228));
    band.setColorAt(1, QColor(222, 234, 248));
    painter.fillRect(picture.rect(), band);
    drawLeaves(painter, QRectF(6, 2, 48, 48));

    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(26);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(QColor(45, 75, 40));
    painter.drawText(QRectF(62, 2, 200, 32), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Twinleaf"));
    QFont line(QStringLiteral("DejaVu Sans"));
    line.setPixelSize(12);
    painter.setFont(line);
    painter.setPen(QColor(40, 70, 120));
    painter.drawText(QRectF(63, 31, 330, 18), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Palm Desktop \u2194 Outlook"));
    return picture;
}

QPixmap bannerLogo(int height) {
    const int width = height * 4;
    QPixmap logo(width, height);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    drawLeaves(painter, QRectF(4, height * 0.1, height * 0.8, height * 0.8));
    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(height * 2 / 5);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(QRectF(height * 0.95, 0, width - height, height * 0.68),
                     Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Twinleaf"));
    QFont line(QStringLiteral("DejaVu Sans"));
    line.setPixelSize(std::max(10, height / 7));
    painter.setFont(line);
    painter.setPen(QColor(225, 238, 220));
    painter.drawText(QRectF(height * 0.97, height * 0.68, width - height, height * 0.3),
                     Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Palm Desktop \u2194 Outlook"));
    return logo;
}

QString homePageAddress() {
    return QStringLiteral(TWINLEAF_HOME_PAGE);
}

} // namespace twinleaf
