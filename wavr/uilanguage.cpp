#include "uilanguage.h"

#include <QCoreApplication>
#include <QTranslator>

#include "editor/editorids.h"

namespace {

EUiLanguage g_Language = EUiLanguage::Chinese;
QTranslator* g_pTranslator = nullptr;

} // namespace

std::optional<EUiLanguage> ChooseUiLanguage(const QString& option, const QLocale& system) {
    if (option == "zh") return EUiLanguage::Chinese;
    if (option == "en") return EUiLanguage::English;
    if (!option.isEmpty()) return std::nullopt;
    return system.language() == QLocale::Chinese ? EUiLanguage::Chinese : EUiLanguage::English;
}

bool SetUiLanguage(EUiLanguage language) {
    if (g_pTranslator) {
        QCoreApplication::removeTranslator(g_pTranslator);
        delete g_pTranslator;
        g_pTranslator = nullptr;
    }
    g_Language = EUiLanguage::Chinese;
    if (language == EUiLanguage::Chinese) return true;
    auto* pTranslator = new QTranslator;
    if (!pTranslator->load(QStringLiteral(":/i18n/mlb8_en.qm")) ||
        !QCoreApplication::installTranslator(pTranslator)) {
        delete pTranslator;
        return false;
    }
    g_pTranslator = pTranslator;
    g_Language = language;
    return true;
}

EUiLanguage UiLanguage() {
    return g_Language;
}

QString CoreText(const std::string& text) {
    const std::string title = TEXT_TITLE;
    if (text.size() > title.size() && text.compare(0, title.size(), title) == 0)
        return QCoreApplication::translate("editor", TEXT_TITLE) +
               QString::fromStdString(text.substr(title.size()));
    return QCoreApplication::translate("editor", text.c_str());
}
