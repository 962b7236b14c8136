// Writes the program's icon for the desktop's icon theme: at one size as a PNG file, or as SVG.

#include "ui/pictures.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() == 2 && arguments[1].endsWith(QLatin1String(".svg"))) {
        QFile svg(arguments[1]);
        const QByteArray text = ui::iconSvg();
        return svg.open(QIODevice::WriteOnly) && svg.write(text) == text.size() && svg.flush() ? 0 : 1;
    }
    bool ok = false;
    const int size = arguments.value(1).toInt(&ok);
    if (arguments.size() != 3 || !ok || size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: lumidot-iconexport SIZE FILE.png | lumidot-iconexport FILE.svg\n");
        return 2;
    }
    return ui::iconPicture(size).save(arguments[2], "PNG") ? 0 : 1;
}
