#include "output/SaveAnimation.h"

#include "output/savecommand.h"
#include "scroll/writeanimation.h"

namespace output {

namespace {

// The formats the window offers, the first preselected.
struct AnimationFilter {
    const char* description; // UTF-8
    scroll::AnimationFormat format;
};
const AnimationFilter AnimationFilters[] = {
    {"GIF アニメーション", scroll::AnimationFormat::Gif},
    {"WebP アニメーション", scroll::AnimationFormat::WebP},
    {"APNG", scroll::AnimationFormat::Apng},
    {"LED パネル用 C ヘッダー", scroll::AnimationFormat::CHeader},
};

const AnimationFilter& filterNumbered(int32_t filterIndex) {
    const auto count = int32_t(std::size(AnimationFilters));
    return AnimationFilters[filterIndex >= 1 && filterIndex <= count ? filterIndex - 1 : 0];
}

} // namespace

QString animationFilterPattern() {
    const QChar nul(0);
    QString pattern;
    for (const AnimationFilter& filter : AnimationFilters)
        pattern +=
            QString::fromUtf8(filter.description) + nul + QLatin1Char('*') + platform::extensionOf(filter.format) + nul;
    return pattern;
}

QString settleAnimationName(const QString& name, int32_t filterIndex) {
    const AnimationFilter& filter = filterNumbered(filterIndex);
    return scroll::animationFormatOf(name) == filter.format ? name : name + platform::extensionOf(filter.format);
}

void SaveAnimation(const scroll::Sign& sign, const scroll::AnimationSettings& settings, QObject* owner,
                   QString statusBefore, const std::function<void(const QString&)>& showStatus) {
    const SaveDialog dialog{QStringLiteral("アニメーションの保存"), animationFilterPattern(), settleAnimationName};
    saveThroughDialog(dialog, owner, statusBefore, showStatus, [&](const QString& name) {
        // A settled name always ends in the chosen filter's extension.
        return scroll::writeAnimation(sign, settings, name, *scroll::animationFormatOf(name));
    });
}

} // namespace output
