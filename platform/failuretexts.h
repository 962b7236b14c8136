#pragma once

#include "platform/result.h"

#include <QString>

namespace platform {

enum class Language { Japanese, English };

// The one text a user reads for a failed operation: the windows show it in Japanese, lumidot-render
// prints it in English. It names the file and says why.
QString failureText(const Result& result, Language language);

// The system's reason for an errno value in that language.
QString systemReason(int error, Language language);

} // namespace platform
