// The PNG loader of the lit dot, fed the whole file: the signature check, the box sized from the header
// and the decoder. A box that is not loaded keeps its size and pixels; a loaded box takes the header's
// width and height, which fit in 16 bits. The only error it may raise is out of memory, for a box too large.

#include "fuzzfiles.h"

#include "dots/LoadDotImage.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString file = fuzz::scratchPath(QStringLiteral("dot.png"));
    fuzz::writeInput(file, fuzz::inputBytes(data, size));

    platform::Surface box(5, 3, qRgb(10, 20, 30));
    box.image().setPixel(4, 2, qRgb(200, 100, 0));
    const QImage before = box.image().copy();
    bool loaded = false;
    try {
        loaded = dots::LoadPngDot(box, file, true);
    } catch (const platform::RuntimeError& error) {
        fuzz::require(error.number() == platform::ErrOutOfMemory, "only a box too large raises an error");
    }
    if (loaded) {
        const auto at = [&](size_t i) { return i < size ? int(data[i]) : 0; };
        fuzz::require(box.ScaleWidth() == at(18) * 256 + at(19) && box.ScaleHeight() == at(22) * 256 + at(23),
                      "a loaded box has the header's size");
    } else {
        fuzz::require(box.ScaleWidth() == 5 && box.ScaleHeight() == 3 && box.image() == before,
                      "a box not loaded is as it was");
    }
    return 0;
}
