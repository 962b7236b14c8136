#include "platform/failuretexts.h"

#include <cstring>

namespace platform {

QString systemReason(int error, Language language) {
    Q_UNUSED(language) // the Japanese table comes with the safe-writing work
    return QString::fromLocal8Bit(std::strerror(error));
}

QString failureText(const Result& result, Language language) {
    const bool ja = language == Language::Japanese;
    const QString& file = result.file;
    switch (result.failure) {
    case Failure::None:
        return QString();
    case Failure::NothingToWrite:
        return ja ? QStringLiteral("書き出す画像がありません (%1)。").arg(result.detail)
                  : QStringLiteral("there is no picture to write (%1)").arg(result.detail);
    case Failure::TooLarge:
        return ja ? QStringLiteral("\"%1\" に書き込めません: %2").arg(file, result.detail)
                  : QStringLiteral("cannot write \"%1\": %2").arg(file, result.detail);
    case Failure::SystemError:
        return ja ? QStringLiteral("\"%1\" に書き込めません: %2").arg(file, systemReason(result.systemError, language))
                  : QStringLiteral("cannot write \"%1\": %2").arg(file, systemReason(result.systemError, language));
    case Failure::NotRegularFile:
        return ja ? QStringLiteral("\"%1\" は普通のファイルではないため、置き換えません。").arg(file)
                  : QStringLiteral("\"%1\" is not a regular file; it is left as it is").arg(file);
    case Failure::LinkLoop:
        return ja ? QStringLiteral("\"%1\" のシンボリックリンクがループしているか、深すぎます。").arg(file)
                  : QStringLiteral("the symbolic links of \"%1\" loop or run too deep").arg(file);
    case Failure::EncoderError:
        return ja ? QStringLiteral("\"%1\" に変換できませんでした: %2").arg(file, result.detail)
                  : QStringLiteral("cannot encode \"%1\": %2").arg(file, result.detail);
    case Failure::OptionOutOfRange:
        return ja ? QStringLiteral("保存オプションの値が範囲外です (%1)。").arg(result.detail)
                  : QStringLiteral("a save option is out of range (%1)").arg(result.detail);
    case Failure::CannotRead:
        return ja ? QStringLiteral("\"%1\" を読めません: %2").arg(file, result.detail)
                  : QStringLiteral("cannot read \"%1\": %2").arg(file, result.detail);
    case Failure::BadAnimationSetting:
        return ja ? QStringLiteral("アニメーションの設定が使えません: %1").arg(result.detail)
                  : QStringLiteral("the animation settings cannot be used: %1").arg(result.detail);
    }
    return QString();
}

} // namespace platform
