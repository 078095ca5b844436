// mlb8-docgen SOURCE.md IMAGEDIR OUTPUT.pdf [VERSION]
//
// Typesets the user manual: reads the Markdown source, lays it out on A4 pages with a title page,
// a table of contents, running heads and page numbers, and writes a PDF. Images named in the source
// are looked up in IMAGEDIR; a name may carry a crop rectangle as "file.png?x,y,w,h" (view pixels).
// Runs offscreen (no display needed). Exit status: 0 written, 1 input or output problem, 2 usage.
//
// mlb8-docgen --check-page PICTURE N: exit status 0 when the window picture shows page N.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// Page geometry in millimetres and the resolution the document is laid out at.
constexpr double PAGE_W_MM = 210.0;
constexpr double PAGE_H_MM = 297.0;
constexpr double MARGIN_SIDE_MM = 20.0;
constexpr double MARGIN_TOP_MM = 22.0;
constexpr double MARGIN_BOTTOM_MM = 22.0;
constexpr int DPI = 300;

const QColor kAccent(0x1f, 0x4e, 0x79);
const QColor kAccentLight(0xe8, 0xef, 0xf6);
const QColor kGrey(0x60, 0x60, 0x60);
const QColor kCodeBg(0xf3, 0xf3, 0xf3);

const char* kBodyFamily = "DejaVu Serif";
const char* kSansFamily = "DejaVu Sans";
const char* kMonoFamily = "DejaVu Sans Mono";

double MmToPx(double mm) {
    return mm * DPI / 25.4;
}
// Lengths in text formats (margins, padding, image sizes) are given at 96 dpi; the layout scales
// them to the writer's resolution.
double MmToDoc(double mm) {
    return mm * 96.0 / 25.4;
}

struct SHeading {
    int nLevel;
    QString text;
    int nPage; // 0-based page of the body
};

bool ReadText(const QString& path, QString* pText) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    *pText = QString::fromUtf8(f.readAll());
    return true;
}

// Height of the manager's view; a picture of the whole window is taller by its menu bar.
constexpr int VIEW_H = 706;

// Loads "file.png" or "file.png?x,y,w,h" from the image folder. Crop rectangles are in view
// coordinates: a menu bar above the view (a window picture rather than a view picture) is skipped.
QImage LoadImage(const QString& dir, const QString& name) {
    const qsizetype nQuery = name.indexOf('?');
    const QString file = nQuery < 0 ? name : name.left(nQuery);
    QImage img(dir + "/" + file);
    if (img.isNull() || nQuery < 0) return img;
    const QStringList parts = name.mid(nQuery + 1).split(',');
    if (parts.size() != 4) return img;
    const int nMenu = std::max(0, img.height() - VIEW_H);
    const QRect crop(parts[0].toInt(), parts[1].toInt() + nMenu, parts[2].toInt(), parts[3].toInt());
    return img.copy(crop.intersected(img.rect()));
}

// Whether the window picture FILE shows page N: the tab of that page carries its lit marker, an
// orange bar along the tab's left edge. Guards the build against a picture taken too early.
int CheckPage(const QString& file, int nPage) {
    const QImage img(file);
    if (img.isNull()) return 1;
    static const int kTabTop[5] = {172, 172, 270, 395, 495};
    if (nPage < 0 || nPage > 4) return 1;
    const int nMenu = std::max(0, img.height() - VIEW_H);
    int nLitTab = -1;
    for (int t = 1; t < 5; ++t) {
        bool bOrange = false;
        for (int x = 15; x <= 23 && !bOrange; ++x) {
            const QColor c = img.pixelColor(x, kTabTop[t] + nMenu + 40);
            bOrange = c.red() > 200 && c.green() > 100 && c.green() < 200 && c.blue() < 90;
        }
        if (bOrange) nLitTab = t;
    }
    const int nWanted = nPage <= 1 ? 1 : nPage;
    std::printf("mlb8-docgen: %s shows page tab %d\n", qPrintable(file), nLitTab);
    return nLitTab == nWanted ? 0 : 1;
}

// Gives every image of the document its pixels and a width that fits the text column. Returns the
// names that could not be loaded.
QStringList AttachImages(QTextDocument& doc, const QString& dir, double columnWidth) {
    QStringList missing;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.charFormat().isImageFormat()) continue;
            QTextImageFormat fmt = frag.charFormat().toImageFormat();
            const QString name = fmt.name();
            const QImage img = LoadImage(dir, name);
            if (img.isNull()) {
                missing << name;
                continue;
            }
            doc.addResource(QTextDocument::ImageResource, QUrl(name), img);
            // Screenshots are 1018 pixels wide: full column width. Smaller crops keep their scale
            // relative to that, so details are shown as large as in the whole window.
            const double scale = columnWidth / 1018.0;
            double w = std::min(columnWidth, img.width() * scale * 1.5);
            if (img.width() >= 1000) w = columnWidth * 0.9;
            // Image sizes in a text document are in 96 dpi pixels; the layout scales them to the
            // writer's resolution.
            const double toLogical = 96.0 / DPI;
            fmt.setWidth(w * toLogical);
            fmt.setHeight(w * img.height() / img.width() * toLogical);
            QTextCursor c(&doc);
            c.setPosition(frag.position());
            c.setPosition(frag.position() + frag.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(fmt);
        }
    }
    return missing;
}

QTextCharFormat FontFormat(const char* family, double pt, bool bBold, const QColor& color) {
    QTextCharFormat f;
    f.setFontFamilies({QString::fromLatin1(family), QStringLiteral("Noto Sans CJK SC")});
    f.setFontPointSize(pt);
    f.setFontWeight(bBold ? QFont::Bold : QFont::Normal);
    f.setForeground(color);
    return f;
}

// Applies the house style to what the Markdown import produced.
void Style(QTextDocument& doc) {
    QFont base(kBodyFamily);
    base.setPointSizeF(10.0);
    doc.setDefaultFont(base);

    QTextCursor c(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat bf = block.blockFormat();
        const int nLevel = bf.headingLevel();
        c.setPosition(block.position());
        c.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        if (nLevel > 0) {
            static const double kSizes[] = {0, 20, 14, 11.5, 10.5, 10, 10};
            const QColor color = nLevel <= 2 ? kAccent : Qt::black;
            c.mergeCharFormat(FontFormat(kSansFamily, kSizes[std::min(nLevel, 6)], true, color));
            bf.setTopMargin(nLevel == 1 ? 0 : nLevel == 2 ? MmToDoc(6) : MmToDoc(4));
            bf.setBottomMargin(nLevel == 1 ? MmToDoc(6) : MmToDoc(2));
            // Chapters start on a new page (the first one starts the body anyway).
            if (nLevel == 1 && block.position() > 0)
                bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            c.setBlockFormat(bf);
            continue;
        }
        const bool bCode = bf.hasProperty(QTextFormat::BlockCodeFence) || bf.nonBreakableLines();
        if (bCode) {
            QTextCharFormat cf;
            cf.setFontFamilies({QString::fromLatin1(kMonoFamily)});
            cf.setFontPointSize(8.5);
            c.mergeCharFormat(cf);
            bf.setBackground(kCodeBg);
            bf.setLeftMargin(MmToDoc(3));
            bf.setTopMargin(0);
            bf.setBottomMargin(0);
            // The first and last line of a fenced block get a little air inside the shading.
            const bool bPrevCode = block.previous().isValid() &&
                                   (block.previous().blockFormat().hasProperty(QTextFormat::BlockCodeFence) ||
                                    block.previous().blockFormat().nonBreakableLines());
            if (!bPrevCode) bf.setTopMargin(MmToDoc(1.5));
            c.setBlockFormat(bf);
            continue;
        }
        bool bImage = false;
        for (auto it = block.begin(); !it.atEnd() && !bImage; ++it)
            bImage = it.fragment().charFormat().isImageFormat();
        if (bImage) {
            bf.setAlignment(Qt::AlignHCenter);
            bf.setTopMargin(MmToDoc(2));
            bf.setBottomMargin(MmToDoc(4));
            c.setBlockFormat(bf);
            continue;
        }
        bf.setLineHeight(118, QTextBlockFormat::ProportionalHeight);
        if (!block.textList()) bf.setBottomMargin(MmToDoc(2.2));
        c.setBlockFormat(bf);
        // Inline code in body text.
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QTextCharFormat cf = frag.charFormat();
            if (!cf.fontFixedPitch() && !cf.fontFamilies().toStringList().contains("monospace")) continue;
            QTextCursor fc(&doc);
            fc.setPosition(frag.position());
            fc.setPosition(frag.position() + frag.length(), QTextCursor::KeepAnchor);
            QTextCharFormat mono;
            mono.setFontFamilies({QString::fromLatin1(kMonoFamily)});
            mono.setFontPointSize(8.8);
            mono.setForeground(QColor(0x30, 0x30, 0x30));
            fc.mergeCharFormat(mono);
        }
    }

    // Tables: thin rules, padding, a shaded header row, sans-serif text a little smaller.
    for (QTextFrame* pFrame : doc.rootFrame()->childFrames()) {
        auto* pTable = qobject_cast<QTextTable*>(pFrame);
        if (!pTable) continue;
        QTextTableFormat tf = pTable->format();
        tf.setBorder(0.8);
        tf.setBorderBrush(QColor(0xb0, 0xb0, 0xb0));
        tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        tf.setBorderCollapse(true);
        tf.setCellPadding(MmToDoc(1.2));
        tf.setCellSpacing(0);
        tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        tf.setTopMargin(MmToDoc(1));
        tf.setBottomMargin(MmToDoc(3.5));
        pTable->setFormat(tf);
        for (int r = 0; r < pTable->rows(); ++r) {
            for (int col = 0; col < pTable->columns(); ++col) {
                QTextTableCell cell = pTable->cellAt(r, col);
                QTextTableCellFormat cellFmt = cell.format().toTableCellFormat();
                if (r == 0) cellFmt.setBackground(kAccentLight);
                cell.setFormat(cellFmt);
                QTextCursor cc = cell.firstCursorPosition();
                cc.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                QTextCharFormat cf;
                cf.setFontFamilies({QString::fromLatin1(kSansFamily), QStringLiteral("Noto Sans CJK SC")});
                cf.setFontPointSize(8.6);
                if (r == 0) cf.setFontWeight(QFont::Bold);
                cc.mergeCharFormat(cf);
                for (QTextBlock b = cc.document()->findBlock(cell.firstPosition());
                     b.isValid() && b.position() <= cell.lastPosition(); b = b.next()) {
                    QTextBlockFormat bf = b.blockFormat();
                    bf.setBottomMargin(0);
                    bf.setLineHeight(110, QTextBlockFormat::ProportionalHeight);
                    QTextCursor bc(b);
                    bc.setBlockFormat(bf);
                }
            }
        }
    }

    // No ligatures: they put one character for "fi" into the text layer, and searching the PDF for
    // "file" would miss it.
    QTextCursor all(&doc);
    all.select(QTextCursor::Document);
    QTextCharFormat plain;
    plain.setFontStyleStrategy(QFont::PreferNoShaping);
    all.mergeCharFormat(plain);
}

// The body page a line of text is on, taken at the middle of the line: a line that starts a page lies
// on the page boundary up to rounding, and its top alone may round onto the page before.
int PageAt(const QTextDocument& doc, double y) {
    return static_cast<int>(std::floor(y / doc.pageSize().height()));
}

// The pages of a block's first and last line (its lines, not its margins). A block without lines is
// taken at the top of its rectangle.
std::pair<int, int> LinePages(QTextDocument& doc, const QTextBlock& block) {
    const QRectF r = doc.documentLayout()->blockBoundingRect(block);
    const QTextLayout* pLayout = block.layout();
    if (!pLayout || pLayout->lineCount() == 0) return {PageAt(doc, r.top()), PageAt(doc, r.top())};
    const double origin = r.top() - pLayout->boundingRect().top();
    const QTextLine first = pLayout->lineAt(0);
    const QTextLine last = pLayout->lineAt(pLayout->lineCount() - 1);
    return {PageAt(doc, origin + first.y() + first.height() / 2),
            PageAt(doc, origin + last.y() + last.height() / 2)};
}

int PageOf(QTextDocument& doc, const QTextBlock& block) {
    return LinePages(doc, block).first;
}

// The pages of a table's first and last line of text.
std::pair<int, int> TablePages(QTextDocument& doc, const QTextTable* pTable) {
    std::pair<int, int> pages{INT_MAX, INT_MIN};
    for (QTextBlock b = doc.findBlock(pTable->firstPosition());
         b.isValid() && b.position() <= pTable->lastPosition(); b = b.next()) {
        const auto [nFirst, nLast] = LinePages(doc, b);
        pages = {std::min(pages.first, nFirst), std::max(pages.second, nLast)};
    }
    return pages;
}

bool StartsPage(const QTextFormat& fmt) {
    return fmt.intProperty(QTextFormat::PageBreakPolicy) & QTextFormat::PageBreak_AlwaysBefore;
}

// Makes FIRST (a block, or the first block of TABLE) start a page together with the headings right
// before it. Returns false where that cannot help: they already start a page.
bool StartPageWithHeadings(QTextBlock first, QTextTable* pTable) {
    QTextBlock target = first;
    for (QTextBlock prev = first.previous(); prev.isValid() && prev.blockFormat().headingLevel() > 0;
         prev = prev.previous()) {
        target = prev;
        pTable = nullptr;
        if (StartsPage(prev.blockFormat())) break;
    }
    if (pTable) {
        QTextTableFormat tf = pTable->format();
        if (StartsPage(tf)) return false;
        tf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        pTable->setFormat(tf);
        return true;
    }
    QTextBlockFormat bf = target.blockFormat();
    if (StartsPage(bf)) return false;
    bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor(target).setBlockFormat(bf);
    return true;
}

// Moves the first block that breaks the page rules to the next page and reports whether it did:
// - a paragraph, list item or table is not split across pages (unless it is longer than a page);
// - a heading stays on the page of what follows it.
// The PDF's text layer needs the first rule: a block split across pages would have the line before
// the break drawn again, invisibly clipped, at the top of the next page.
bool MoveOneBlock(QTextDocument& doc) {
    const QTextTable* pDone = nullptr;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (QTextTable* pTable = QTextCursor(block).currentTable()) {
            if (pTable == pDone) continue;
            pDone = pTable;
            const auto [nFirst, nLast] = TablePages(doc, pTable);
            if (nFirst != nLast && StartPageWithHeadings(block, pTable)) return true;
            continue;
        }
        const auto [nFirst, nLast] = LinePages(doc, block);
        bool bMove = nFirst != nLast;
        if (!bMove && block.blockFormat().headingLevel() > 0 && block.next().isValid())
            bMove = PageOf(doc, block.next()) != nFirst;
        if (bMove && StartPageWithHeadings(block, nullptr)) return true;
    }
    return false;
}

// Applies the page rules from the top down; each move shifts everything below it, so the search
// starts again from the top.
void Paginate(QTextDocument& doc) {
    for (int nPass = 0; nPass < 500 && MoveOneBlock(doc); ++nPass) {
    }
}

std::vector<SHeading> Headings(QTextDocument& doc) {
    std::vector<SHeading> out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int nLevel = block.blockFormat().headingLevel();
        if (nLevel == 1 || nLevel == 2) out.push_back({nLevel, block.text(), PageOf(doc, block)});
    }
    return out;
}

QFont Font(const char* family, double pt, bool bBold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(pt);
    f.setBold(bBold);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

void DrawTitlePage(QPainter& p, const QRectF& page, const QImage& picture, const QString& version) {
    const double band = MmToPx(95);
    p.fillRect(QRectF(0, 0, page.width(), band), kAccent);
    p.setPen(Qt::white);
    p.setFont(Font(kSansFamily, 30, true));
    p.drawText(QRectF(MmToPx(MARGIN_SIDE_MM), MmToPx(30), page.width(), MmToPx(16)), Qt::AlignLeft,
               "MLB-8 DSP Manager");
    p.setFont(Font(kSansFamily, 16));
    p.drawText(QRectF(MmToPx(MARGIN_SIDE_MM), MmToPx(50), page.width(), MmToPx(12)), Qt::AlignLeft,
               "User manual");
    p.setFont(Font(kSansFamily, 11));
    p.drawText(
        QRectF(MmToPx(MARGIN_SIDE_MM), MmToPx(66), page.width() - MmToPx(2 * MARGIN_SIDE_MM), MmToPx(20)),
        Qt::AlignLeft | Qt::TextWordWrap,
        "Tuning the MLB-8 eight-channel car-audio signal processor from a Linux PC");
    if (!picture.isNull()) {
        const double w = page.width() - MmToPx(2 * MARGIN_SIDE_MM);
        const double h = w * picture.height() / picture.width();
        const QRectF target(MmToPx(MARGIN_SIDE_MM), band + MmToPx(18), w, h);
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), MmToPx(0.3)));
        p.drawImage(target, picture);
        p.drawRect(target);
    }
    p.setPen(kGrey);
    p.setFont(Font(kSansFamily, 10));
    const QString foot = version.isEmpty() ? QString("For the MLB-8 DSP Manager")
                                           : QString("For the MLB-8 DSP Manager %1").arg(version);
    p.drawText(QRectF(MmToPx(MARGIN_SIDE_MM), page.height() - MmToPx(30), page.width(), MmToPx(10)),
               Qt::AlignLeft, foot);
}

// Returns the number of contents pages drawn. nFirstBodyPage is the printed number of body page 0.
int DrawContents(QPdfWriter& writer, QPainter& p, const std::vector<SHeading>& headings, int nFirstBodyPage,
                 bool bDraw) {
    const double left = MmToPx(MARGIN_SIDE_MM);
    const double right = MmToPx(PAGE_W_MM - MARGIN_SIDE_MM);
    const double bottom = MmToPx(PAGE_H_MM - MARGIN_BOTTOM_MM);
    double y = MmToPx(MARGIN_TOP_MM);
    int nPages = 1;
    if (bDraw) {
        p.setPen(kAccent);
        p.setFont(Font(kSansFamily, 20, true));
        p.drawText(QRectF(left, y, right - left, MmToPx(12)), Qt::AlignLeft, "Contents");
    }
    y += MmToPx(18);
    for (const SHeading& h : headings) {
        const bool bTop = h.nLevel == 1;
        const double lineH = MmToPx(bTop ? 8.0 : 6.0);
        if (y + lineH > bottom) {
            ++nPages;
            if (bDraw) writer.newPage();
            y = MmToPx(MARGIN_TOP_MM);
        }
        if (bDraw) {
            const QFont f = Font(kSansFamily, bTop ? 11 : 9.5, bTop);
            p.setFont(f);
            p.setPen(bTop ? kAccent : Qt::black);
            const double indent = bTop ? 0 : MmToPx(7);
            const QRectF row(left + indent, y + (bTop ? MmToPx(2) : 0), right - left - indent, lineH);
            const QString number = QString::number(h.nPage + nFirstBodyPage);
            p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, h.text);
            p.drawText(row, Qt::AlignRight | Qt::AlignVCenter, number);
            // Dotted leader between title and page number.
            const QFontMetricsF fm(f, &writer);
            const double x0 = row.left() + fm.horizontalAdvance(h.text) + MmToPx(2);
            const double x1 = row.right() - fm.horizontalAdvance(number) - MmToPx(2);
            if (x1 > x0) {
                QPen dots(QColor(0xa0, 0xa0, 0xa0), MmToPx(0.25), Qt::DotLine);
                p.setPen(dots);
                const double yl = row.center().y() + fm.ascent() / 3;
                p.drawLine(QPointF(x0, yl), QPointF(x1, yl));
            }
        }
        y += lineH + (bTop ? MmToPx(2) : 0);
    }
    return nPages;
}

void DrawRunningHead(QPainter& p, const QString& chapter, int nPrinted) {
    const double left = MmToPx(MARGIN_SIDE_MM);
    const double right = MmToPx(PAGE_W_MM - MARGIN_SIDE_MM);
    const double headY = MmToPx(MARGIN_TOP_MM - 8);
    p.setFont(Font(kSansFamily, 8));
    p.setPen(kGrey);
    p.drawText(QRectF(left, headY, right - left, MmToPx(5)), Qt::AlignLeft | Qt::AlignBottom,
               "MLB-8 DSP Manager — User manual");
    p.drawText(QRectF(left, headY, right - left, MmToPx(5)), Qt::AlignRight | Qt::AlignBottom, chapter);
    p.setPen(QPen(QColor(0xc0, 0xc0, 0xc0), MmToPx(0.25)));
    p.drawLine(QPointF(left, headY + MmToPx(6)), QPointF(right, headY + MmToPx(6)));
    p.setPen(kGrey);
    p.setFont(Font(kSansFamily, 9));
    p.drawText(QRectF(left, MmToPx(PAGE_H_MM - MARGIN_BOTTOM_MM + 8), right - left, MmToPx(6)),
               Qt::AlignHCenter | Qt::AlignTop, QString::number(nPrinted));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--check-page") return CheckPage(args[2], args[3].toInt());
    if (args.size() < 4 || args.size() > 5) {
        std::fputs("Usage: mlb8-docgen SOURCE.md IMAGEDIR OUTPUT.pdf [VERSION]\n", stderr);
        return 2;
    }
    const QString source = args[1], imageDir = args[2], output = args[3];
    const QString version = args.size() == 5 ? args[4] : QString();

    QString markdown;
    if (!ReadText(source, &markdown)) {
        std::fprintf(stderr, "mlb8-docgen: cannot read %s\n", qPrintable(source));
        return 1;
    }

    QPdfWriter writer(output);
    writer.setResolution(DPI);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle("MLB-8 DSP Manager — User manual");
    writer.setCreator("mlb8-docgen");

    const QSizeF body(MmToPx(PAGE_W_MM - 2 * MARGIN_SIDE_MM),
                      MmToPx(PAGE_H_MM - MARGIN_TOP_MM - MARGIN_BOTTOM_MM));
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setDocumentMargin(0);
    doc.setPageSize(body);
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    Style(doc);
    const QStringList missing = AttachImages(doc, imageDir, body.width());
    for (const QString& name : missing)
        std::fprintf(stderr, "mlb8-docgen: warning: image %s not found in %s\n", qPrintable(name),
                     qPrintable(imageDir));
    doc.documentLayout()->documentSize(); // lay out now
    Paginate(doc);
    const int nBodyPages = doc.pageCount();
    const std::vector<SHeading> headings = Headings(doc);

    QPainter p;
    if (!p.begin(&writer)) {
        std::fprintf(stderr, "mlb8-docgen: cannot write %s\n", qPrintable(output));
        return 1;
    }
    const QRectF page(0, 0, MmToPx(PAGE_W_MM), MmToPx(PAGE_H_MM));

    // Title page (printed number 1, not shown), then the contents, then the body.
    DrawTitlePage(p, page, LoadImage(imageDir, "page2.png"), version);
    const int nContentsPages = DrawContents(writer, p, headings, 0, false);
    const int nFirstBodyPage = 2 + nContentsPages;
    writer.newPage();
    DrawContents(writer, p, headings, nFirstBodyPage, true);

    QString chapter;
    std::size_t nNextHeading = 0;
    for (int i = 0; i < nBodyPages; ++i) {
        writer.newPage();
        while (nNextHeading < headings.size() && headings[nNextHeading].nPage <= i) {
            if (headings[nNextHeading].nLevel == 1) chapter = headings[nNextHeading].text;
            ++nNextHeading;
        }
        DrawRunningHead(p, chapter, i + nFirstBodyPage);
        p.save();
        p.translate(MmToPx(MARGIN_SIDE_MM), MmToPx(MARGIN_TOP_MM) - i * body.height());
        QAbstractTextDocumentLayout::PaintContext ctx;
        const QRectF pageBody(0, i * body.height(), body.width(), body.height());
        // The layout draws every block and line that touches the clip, even one that only ends or
        // starts on the page boundary; a pixel in from the boundary keeps the neighbours' text out of
        // this page's text layer.
        ctx.clip = pageBody.adjusted(0, 1, 0, -1);
        p.setClipRect(pageBody.adjusted(-MmToPx(2), 0, MmToPx(2), 0));
        ctx.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(&p, ctx);
        p.restore();
    }
    p.end();
    std::printf("mlb8-docgen: %s, %d pages\n", qPrintable(output), 1 + nContentsPages + nBodyPages);
    return 0;
}
