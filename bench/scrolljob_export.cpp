// Writes the scroll benchmarks' job for other tools: lit.png, unlit.png, frames.pbm (the panel's cells,
// one P4 image per frame), and lumidot's own scroll.gif and scroll.webp of it, in the folder given.
// bench/pillow_scroll.py encodes the same frames with Pillow and checks lumidot's files against them.

#include "bench/scrolljob.h"

#include "scroll/writeanimation.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <utility>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv); // the lettering needs the font database
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const scroll::Sign sign = bench::scrollSign();
    bool ok = sign.litCell.save(folder.filePath("lit.png")) && sign.unlitCell.save(folder.filePath("unlit.png"));
    for (const auto& [name, format] :
         {std::pair{"frames.pbm", scroll::AnimationFormat::Pbm}, std::pair{"scroll.gif", scroll::AnimationFormat::Gif},
          std::pair{"scroll.webp", scroll::AnimationFormat::WebP}})
        ok = ok &&
             scroll::writeAnimation(sign, bench::scrollSettings(), folder.filePath(QLatin1String(name)), format).ok();
    return ok ? 0 : 1;
}
