// The language of the window's texts. The sources are the Chinese texts; the English ones come from
// a translation compiled into the program. Chinese locales keep the Chinese texts, every other
// locale gets English; --lang zh|en overrides the locale.
#pragma once

#include <QLocale>
#include <QString>
#include <optional>
#include <string>

enum class EUiLanguage { Chinese, English };

// The language for a --lang value (empty: none given) and the system locale; nothing for a value
// other than zh or en.
std::optional<EUiLanguage> ChooseUiLanguage(const QString& option, const QLocale& system);
// Installs the translation of the language for the whole application and makes it the one
// UiLanguage() tells: for English the window's texts, for Chinese Qt's own (its file dialog), when
// they are installed. Call before the window is built. False when the English translation could not
// be loaded.
bool SetUiLanguage(EUiLanguage language);
// Chinese until SetUiLanguage is called.
EUiLanguage UiLanguage();
// A text of the editor core as the window shows it; the title with a file name after it keeps the
// name.
QString CoreText(const std::string& text);
