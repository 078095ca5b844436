// The language of the window's texts. The original window's texts are Chinese in the sources; their
// English comes from a translation compiled into the program (mlb8_en.ts). The texts added since are
// English in the sources; their Chinese comes from mlb8_zh.ts, where a text with a variable part is
// written once with %1..%9 in its place. Chinese locales get Chinese, every other locale English;
// --lang zh|en overrides the locale.
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
// UiLanguage() tells: for English the original window's texts; for Chinese the added texts and Qt's
// own (its file dialog, when they are installed). Call before the window is built. False when the
// translation could not be loaded.
bool SetUiLanguage(EUiLanguage language);
// Chinese until SetUiLanguage is called.
EUiLanguage UiLanguage();
// A text of the editor core as the window shows it; the title with a file name after it keeps the
// name.
QString CoreText(const std::string& text);
// A help text as the help area shows it: the added parts' texts in the window's language, the
// original's as they are.
QString UiHelpText(const char* pszText);
