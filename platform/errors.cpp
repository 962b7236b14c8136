#include "platform/errors.h"

#include <new>

namespace platform {

RuntimeError::RuntimeError(int number, QString description)
    : m_number(number), m_description(description.isEmpty() ? errorDescription(number) : std::move(description)),
      m_what(errorReportText(*this).toUtf8()) {}

namespace {

// Each error number's standard text, as the windows show it and as lumidot-render prints it.
struct ErrorText {
    int number;
    const char16_t* japanese;
    const char* english;
};
constexpr ErrorText ErrorTexts[] = {
    {ErrOverflow, u"オーバーフローしました。", "overflow"},
    {ErrOutOfMemory, u"メモリが不足しています。", "out of memory"},
    {ErrTypeMismatch, u"型が一致しません。", "type mismatch"},
    {ErrFileNotFound, u"ファイルが見つかりません。", "file not found"},
    {ErrPathFileAccess, u"パス名が無効です。", "path/file access error"},
    {ErrPathNotFound, u"パスが見つかりません。", "path not found"},
    {ErrClipboard, u"クリップボードを開けません。", "cannot open the clipboard"},
};
constexpr ErrorText OtherError = {0, u"アプリケーション定義またはオブジェクト定義のエラーです。",
                                  "application-defined or object-defined error"};

} // namespace

QString errorDescription(int number) {
    return errorDescription(number, Language::Japanese);
}

QString errorDescription(int number, Language language) {
    const ErrorText* text = &OtherError;
    for (const ErrorText& known : ErrorTexts)
        if (known.number == number)
            text = &known;
    return language == Language::Japanese ? QString::fromUtf16(text->japanese) : QString::fromUtf8(text->english);
}

void raiseError(int number) {
    throw RuntimeError(number);
}

QString errorReportText(const RuntimeError& error) {
    return QString::number(error.number()) + QLatin1Char(':') + error.description();
}

bool skipOnError(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const RuntimeError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace platform
