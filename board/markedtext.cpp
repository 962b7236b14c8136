#include "board/markedtext.h"

namespace board {

MarkedText inOwnColour(const QString& text) {
    return {text, std::vector<uint8_t>(size_t(text.size()), 1), {}};
}

} // namespace board
