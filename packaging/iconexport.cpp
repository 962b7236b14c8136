// Writes the program's icon at one size as a PNG file, for the desktop's icon theme.

#include "ui/pictures.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    bool ok = false;
    const int size = arguments.value(1).toInt(&ok);
    if (arguments.size() != 3 || !ok || size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: lumidot-iconexport SIZE FILE.png\n");
        return 2;
    }
    return ui::iconPicture(size).save(arguments[2], "PNG") ? 0 : 1;
}
