// Writes the scroll benchmarks' job for other tools: lit.png, unlit.png and frames.pbm (the panel's cells,
// one P4 image per frame) in the folder given. bench/pillow_scroll.py encodes the same frames with Pillow.

#include "bench/scrolljob.h"

#include "scroll/writeanimation.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv); // the lettering needs the font database
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const scroll::Sign sign = bench::scrollSign();
    const bool ok = sign.litCell.save(folder.filePath("lit.png")) &&
                    sign.unlitCell.save(folder.filePath("unlit.png")) &&
                    scroll::writeAnimation(sign, bench::scrollSettings(), folder.filePath("frames.pbm"),
                                           scroll::AnimationFormat::Pbm)
                        .ok();
    return ok ? 0 : 1;
}
