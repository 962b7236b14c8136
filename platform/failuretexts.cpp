#include "platform/failuretexts.h"

#include <cerrno>
#include <cstring>

#include <locale.h>

namespace platform {

namespace {

struct JapaneseReason {
    int error;
    const char16_t* text;
};

// The reasons a save or the settings file meets in practice; anything rarer shows the system's English words.
constexpr JapaneseReason japaneseReasons[] = {
    {ENOSPC, u"ディスクの空き容量が足りません"},
    {EDQUOT, u"ディスク使用量の上限 (クォータ) を超えています"},
    {EFBIG, u"ファイルが大きすぎます"},
    {EACCES, u"アクセスが拒否されました"},
    {EPERM, u"この操作は許可されていません"},
    {EROFS, u"読み取り専用のファイルシステムです"},
    {ENOENT, u"ファイルまたはフォルダが見つかりません"},
    {ENOTDIR, u"パスの途中にフォルダでないものがあります"},
    {ENAMETOOLONG, u"ファイル名が長すぎます"},
    {EISDIR, u"フォルダです"},
    {EIO, u"入出力エラーが発生しました"},
    {EMFILE, u"開いているファイルが多すぎます"},
    {ENFILE, u"システム全体で開いているファイルが多すぎます"},
    {EEXIST, u"ファイルが既に存在します"},
    {ELOOP, u"シンボリックリンクが多すぎるか、ループしています"},
    {EXDEV, u"別のファイルシステムへは移動できません"},
    {ENOMEM, u"メモリが足りません"},
    {EBUSY, u"使用中です"},
    {ETXTBSY, u"実行中のファイルです"},
};

// The system's own words, as the C locale has them whatever language the user's locale speaks.
QString englishReason(int error) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return QString::fromUtf8(cLocale ? strerror_l(error, cLocale) : std::strerror(error));
}

} // namespace

QString systemReason(int error, Language language) {
    if (language == Language::Japanese) {
        for (const JapaneseReason& reason : japaneseReasons) {
            if (reason.error == error)
                return QString::fromUtf16(reason.text);
        }
        return QStringLiteral("システムエラー %1 (%2)").arg(error).arg(englishReason(error));
    }
    return englishReason(error);
}

QString failureText(const Result& result, Language language) {
    const bool ja = language == Language::Japanese;
    const QString& file = result.file;
    switch (result.failure) {
    case Failure::None:
        return QString();
    case Failure::NothingToWrite:
        if (ja)
            return QStringLiteral("書き出す画像がありません (%1)。").arg(result.detail);
        return file.isEmpty() ? QStringLiteral("there is no picture to write (%1)").arg(result.detail)
                              : QStringLiteral("there is no picture to write to \"%1\" (%2)").arg(file, result.detail);
    case Failure::TooLarge:
        return ja ? QStringLiteral("\"%1\" に書き込めません: %2").arg(file, result.detail)
                  : QStringLiteral("cannot write \"%1\": %2").arg(file, result.detail);
    case Failure::SystemError:
        return ja ? QStringLiteral("\"%1\" に書き込めません: %2").arg(file, systemReason(result.systemError, language))
                  : QStringLiteral("cannot write \"%1\": %2").arg(file, systemReason(result.systemError, language));
    case Failure::DamagedInPlace:
        return ja ? QStringLiteral("\"%1\" に書き込めません: %2。フォルダに新しいファイルを作れないため直接書き換えて"
                                   "いたので、元の内容は失われ、ファイルは壊れています。")
                        .arg(file, systemReason(result.systemError, language))
                  : QStringLiteral("cannot write \"%1\": %2; it was being rewritten in place (its folder takes no new "
                                   "file), so its earlier content is lost and the file is damaged")
                        .arg(file, systemReason(result.systemError, language));
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
    case Failure::BadAnimationSetting:
        return ja ? QStringLiteral("アニメーションの設定が使えません: %1").arg(result.detail)
                  : QStringLiteral("the animation settings cannot be used: %1").arg(result.detail);
    case Failure::BadColourMark:
        return ja ? QStringLiteral(
                        "色の指定 \"%1\" が読めません。{} の中には色の名前 (red, amber, yellow, green, blue, "
                        "white)、#RRGGBB、または何も書かない (元の色) のどれかを書きます。{ の文字は {{ "
                        "と書きます。")
                        .arg(result.detail)
                  : QStringLiteral("the colour mark \"%1\" cannot be read: between braces goes a colour's name (red, "
                                   "amber, yellow, green, blue, white), #RRGGBB, or nothing (the sign's own colour); "
                                   "a { itself is written {{")
                        .arg(result.detail);
    case Failure::TooManyColours:
        return ja ? QStringLiteral("色の指定 \"%1\" で、1 つの看板に使える色の数を超えました。").arg(result.detail)
                  : QStringLiteral("the colour mark \"%1\" is one colour more than a sign can hold").arg(result.detail);
    }
    return QString();
}

} // namespace platform
