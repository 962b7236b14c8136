#include "platform/errors.h"

#include <new>

namespace platform {

RuntimeError::RuntimeError(int number, QString description)
    : m_number(number), m_description(description.isEmpty() ? errorDescription(number) : std::move(description)),
      m_what(errorReportText(*this).toUtf8()) {}

QString errorDescription(int number) {
    switch (number) {
    case ErrOverflow:
        return QStringLiteral("オーバーフローしました。");
    case ErrOutOfMemory:
        return QStringLiteral("メモリが不足しています。");
    case ErrTypeMismatch:
        return QStringLiteral("型が一致しません。");
    case ErrFileNotFound:
        return QStringLiteral("ファイルが見つかりません。");
    case ErrPathFileAccess:
        return QStringLiteral("パス名が無効です。");
    case ErrPathNotFound:
        return QStringLiteral("パスが見つかりません。");
    case ErrClipboard:
        return QStringLiteral("クリップボードを開けません。");
    default:
        return QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。");
    }
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
