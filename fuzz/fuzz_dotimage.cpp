// The dot image loader, fed the input under every name ending the program takes (each decides the
// path: .png the PNG loader, the others the picture reader by content). A file refused leaves the dot
// as it was; a file loaded gives a dot within the surface limit, and the same dot when loaded again
// (a decoder that leaves pixels unwritten shows them as whatever memory held).

#include "fuzzfiles.h"

#include "dots/LoadDotImage.h"
#include "ui/pictures.h"

#include <array>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static board::BoardState state(ui::builtinLitDot(), ui::builtinUnlitDot(), QSize(305, 89), QSize(343, 98));
    static const platform::Surface original = state.Dot[0];
    static const std::array<QString, 5> files = {
        fuzz::scratchPath(QStringLiteral("dot.bmp")), fuzz::scratchPath(QStringLiteral("dot.ico")),
        fuzz::scratchPath(QStringLiteral("dot.jpg")), fuzz::scratchPath(QStringLiteral("dot.gif")),
        fuzz::scratchPath(QStringLiteral("dot.png"))};
    const QByteArray input = fuzz::inputBytes(data, size);
    for (const QString& file : files) {
        fuzz::writeInput(file, input);
        state.Dot[0] = original;
        platform::Surface& dot = state.Dot[0];
        if (dots::LoadDotImage(state, file, 0) == 0) {
            // A PNG 65536 wide makes a box 0 wide: no pixels at all.
            const bool empty = dot.ScaleWidth() == 0 || dot.ScaleHeight() == 0;
            fuzz::require(platform::surfaceSizeAllowed(dot.ScaleWidth(), dot.ScaleHeight()) &&
                              (empty ? dot.image().isNull()
                                     : dot.image().size() == QSize(dot.ScaleWidth(), dot.ScaleHeight()) &&
                                           dot.image().format() == QImage::Format_RGB32),
                          "a loaded dot is a 32-bit picture of its own size, within the limit");
            const QImage first = dot.image().copy();
            state.Dot[0] = original;
            fuzz::require(dots::LoadDotImage(state, file, 0) == 0 && dot.image() == first,
                          "a file loads the same dot every time");
        } else {
            fuzz::require(dot.ScaleWidth() == original.ScaleWidth() && dot.ScaleHeight() == original.ScaleHeight() &&
                              dot.image() == original.image(),
                          "a dot not loaded is as it was");
        }
    }
    return 0;
}
