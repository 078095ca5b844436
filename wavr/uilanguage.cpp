#include "uilanguage.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
#include <algorithm>
#include <vector>

#include "editor/editorids.h"

namespace {

EUiLanguage g_Language = EUiLanguage::Chinese;
QTranslator* g_pTranslator = nullptr;
QTranslator* g_pAdditions = nullptr;

// The Chinese of the texts added to the window, whose sources are English: a translation file read as
// it is written (no compiled form), because a text with a variable part is written once with %1..%9
// in its place and matches every text that differs only there; the entry with the most fixed text
// wins. The parts found are translated in turn (a reason inside a sentence). A text of several lines
// is translated line by line, an indented line without its indent.
class CAdditionsTranslator : public QTranslator {
public:
    bool load(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return false;
        QXmlStreamReader xml(&file);
        QString context, source, translation;
        bool bDone = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement()) {
                if (xml.isEndElement() && xml.name() == u"message" && bDone && !translation.isEmpty())
                    Add(context, source, translation);
                continue;
            }
            if (xml.name() == u"name") {
                context = xml.readElementText();
            } else if (xml.name() == u"message") {
                source.clear();
                translation.clear();
                bDone = false;
            } else if (xml.name() == u"source") {
                source = xml.readElementText();
            } else if (xml.name() == u"translation") {
                const QString type = xml.attributes().value("type").toString();
                bDone = type != "unfinished" && type != "obsolete" && type != "vanished";
                translation = xml.readElementText();
            }
        }
        for (auto& patterns : m_Patterns)
            std::stable_sort(patterns.begin(), patterns.end(),
                             [](const SPattern& a, const SPattern& b) { return a.nLiteral > b.nLiteral; });
        return !xml.hasError() && !m_Exact.isEmpty();
    }

    bool isEmpty() const override { return m_Exact.isEmpty(); }

    QString translate(const char* pszContext, const char* pszSource, const char* = nullptr,
                      int = -1) const override {
        if (!pszSource || !*pszSource) return {};
        const QString context = QString::fromUtf8(pszContext);
        if (!m_Exact.contains(context) && !m_Patterns.contains(context)) return {};
        return Translate(context, QString::fromUtf8(pszSource), 0);
    }

private:
    struct SPattern {
        QRegularExpression match;
        QString translation;
        qsizetype nLiteral; // the more of the text is fixed, the earlier a pattern is tried
    };

    void Add(const QString& context, const QString& source, const QString& translation) {
        static const QRegularExpression kArg(QStringLiteral("%[1-9]"));
        if (!source.contains(kArg)) {
            m_Exact[context].insert(source, translation);
            return;
        }
        QString re = QStringLiteral("^");
        qsizetype nLiteral = 0, nAt = 0;
        for (QRegularExpressionMatchIterator it = kArg.globalMatch(source); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString literal = source.mid(nAt, m.capturedStart() - nAt);
            nLiteral += literal.size();
            re += QRegularExpression::escape(literal) +
                  QStringLiteral("(?<a%1>.+?)").arg(source[m.capturedStart() + 1]);
            nAt = m.capturedEnd();
        }
        nLiteral += source.size() - nAt;
        re += QRegularExpression::escape(source.mid(nAt)) + QStringLiteral("$");
        m_Patterns[context].push_back(
            {QRegularExpression(re, QRegularExpression::DotMatchesEverythingOption), translation, nLiteral});
        m_Exact[context]; // the context is known
    }

    // An empty result: no translation, the source stands.
    QString Translate(const QString& context, const QString& text, int nDepth) const {
        if (text.isEmpty() || nDepth > 16) return {};
        const auto exact = m_Exact.constFind(context);
        if (exact != m_Exact.constEnd()) {
            const auto it = exact->constFind(text);
            if (it != exact->constEnd()) return *it;
        }
        if (text.contains('\n')) {
            QStringList lines = text.split('\n');
            bool bAny = false;
            for (QString& line : lines) {
                const QString translated = Translate(context, line, nDepth + 1);
                if (!translated.isEmpty()) {
                    line = translated;
                    bAny = true;
                }
            }
            return bAny ? lines.join('\n') : QString();
        }
        // A line indented in a report keeps its indent.
        if (text.front().isSpace()) {
            qsizetype n = 0;
            while (n < text.size() && text[n].isSpace())
                ++n;
            const QString translated = Translate(context, text.mid(n), nDepth + 1);
            return translated.isEmpty() ? QString() : text.left(n) + translated;
        }
        const auto patterns = m_Patterns.constFind(context);
        if (patterns != m_Patterns.constEnd()) {
            for (const SPattern& pattern : *patterns) {
                const QRegularExpressionMatch m = pattern.match.match(text);
                if (!m.hasMatch()) continue;
                QString out = pattern.translation;
                for (char c = '1'; c <= '9'; ++c) {
                    const QString part = m.captured(QStringLiteral("a") + QChar(c));
                    if (part.isNull()) continue;
                    const QString translated = Translate(context, part, nDepth + 1);
                    out.replace(QStringLiteral("%") + QChar(c), translated.isEmpty() ? part : translated);
                }
                return out;
            }
        }
        return {};
    }

    QHash<QString, QHash<QString, QString>> m_Exact;
    QHash<QString, std::vector<SPattern>> m_Patterns;
};

// Qt's own texts (the buttons and labels of its file dialog) in the Chinese of the system's region,
// or of the mainland when the locale is not Chinese. Without Qt's translations installed they stay
// English.
QTranslator* QtChineseTranslator() {
    const QLocale system = QLocale::system();
    const QLocale locale =
        system.language() == QLocale::Chinese ? system : QLocale(QLocale::Chinese, QLocale::China);
    auto* pTranslator = new QTranslator;
    if (!pTranslator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete pTranslator;
        return nullptr;
    }
    return pTranslator;
}

} // namespace

std::optional<EUiLanguage> ChooseUiLanguage(const QString& option, const QLocale& system) {
    if (option == "zh") return EUiLanguage::Chinese;
    if (option == "en") return EUiLanguage::English;
    if (!option.isEmpty()) return std::nullopt;
    return system.language() == QLocale::Chinese ? EUiLanguage::Chinese : EUiLanguage::English;
}

namespace {

// Loads a translation and installs it for the application; nothing is kept when either fails.
template <class T> T* Installed(const QString& path) {
    auto* p = new T;
    if (p->load(path) && QCoreApplication::installTranslator(p)) return p;
    delete p;
    return nullptr;
}

void Uninstall(QTranslator*& p) {
    if (!p) return;
    QCoreApplication::removeTranslator(p);
    delete p;
    p = nullptr;
}

} // namespace

bool SetUiLanguage(EUiLanguage language) {
    Uninstall(g_pTranslator);
    Uninstall(g_pAdditions);
    g_Language = EUiLanguage::Chinese;
    if (language == EUiLanguage::Chinese) {
        g_pTranslator = QtChineseTranslator();
        if (g_pTranslator) QCoreApplication::installTranslator(g_pTranslator);
        g_pAdditions = Installed<CAdditionsTranslator>(QStringLiteral(":/i18n/mlb8_zh.ts"));
        return g_pAdditions != nullptr;
    }
    g_pTranslator = Installed<QTranslator>(QStringLiteral(":/i18n/mlb8_en.qm"));
    if (!g_pTranslator) return false;
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

QString UiHelpText(const char* pszText) {
    return pszText ? QCoreApplication::translate("help", pszText) : QString();
}
