#pragma once

class QCoreApplication;

namespace ui {

// Loads Qt's own Japanese texts (the file dialogs, the message-box buttons), so that they speak the
// program's language whatever the user's locale. Returns whether they were found.
bool installJapaneseTranslations(QCoreApplication& application);

} // namespace ui
