// The least a Qt program that draws text does: makes a QGuiApplication and prints one letter on an image.
// bench/compare.py runs it beside a one-letter lumidot-render, alternately: lumidot-render's start-up can
// be no faster than this. Usage: lumidot_startupfloor

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(QFont(QStringLiteral("IPAPGothic"), 9));
    painter.drawText(0, 12, QStringLiteral("x"));
    painter.end();
    return image.pixel(0, 0) == qRgb(255, 255, 255) ? 0 : 1;
}
