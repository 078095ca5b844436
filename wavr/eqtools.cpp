#include "eqtools.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

#include "comm/ctrlmessages.h"
#include "editor/controlids.h"
#include "editor/editorcore.h"
#include "graph/filtergraphic.h"
#include "graph/graphoverlay.h"
#include "guilib/notify.h"
#include "guilib/skinbutton.h"
#include "skin/skinids.h"
#include "tuning/eqapply.h"
#include "tuning/eqimport.h"
#include "tuning/systemview.h"
#include "uilanguage.h"

namespace {

const char* const kFilterFiles = "Filter lists (*.txt *.cfg);;All files (*)";
const char* const kCurveFiles = "Measurements (*.txt *.frd *.csv);;All files (*)";
const QColor kMeasurementColour(160, 160, 160);
const QColor kTargetColour(90, 200, 90);
const QColor kPredictionColour(255, 255, 255);

QString Tr(const char* pszText) {
    return QCoreApplication::translate("CEqTools", pszText);
}

// The report's lines come from the editor core, each in the window's language.
QString Joined(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& line : lines)
        out << CoreText(line);
    return out.join('\n');
}

std::string FileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

} // namespace

// ---- the report dialog ----

CEqReportDlg::CEqReportDlg(QWidget* pParent, const QString& title, const QString& text,
                           std::function<void()> onApply, QSize size)
    : QDialog(pParent), m_strTitle(title), m_bProposal(static_cast<bool>(onApply)) {
    setObjectName("eqReport");
    setWindowTitle(title);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    m_Background.Load(SkinId::DIALOG_BACKGROUND, "PNG");
    setFixedSize(size);
    m_pText = new QPlainTextEdit(this);
    m_pText->setReadOnly(true);
    m_pText->setFrameShape(QFrame::NoFrame);
    m_pText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pText->setStyleSheet("QPlainTextEdit { background: transparent; color: rgb(230, 230, 230); }");
    QFont font = m_pText->font();
    font.setPixelSize(13);
    m_pText->setFont(font);
    m_pText->setGeometry(24, 44, size.width() - 48, size.height() - 106);
    m_pText->setPlainText(text);
    const int nButtonY = size.height() - 50;
    if (!onApply) {
        auto* pOk = new CSkinButton(this);
        pOk->SetDlgCtrlID(ctl::DIALOG_OK);
        pOk->SetIcons(SkinId::BTN_OK, "PNG", SkinId::BTN_OK_PRESSED, "PNG", SkinId::BTN_OK, "PNG",
                      SkinId::BTN_OK_PRESSED, "PNG");
        pOk->setGeometry(size.width() - 105, nButtonY, 81, 34);
        return;
    }
    // A proposal: its columns line up; Apply takes it, Cancel (or Escape) leaves everything as it is.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(11);
    m_pText->setFont(fixed);
    m_pText->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* pCancel = new QPushButton(Tr("Cancel"), this);
    pCancel->setObjectName("alignCancel");
    pCancel->setAutoDefault(false);
    pCancel->setGeometry(size.width() - 105, nButtonY, 81, 34);
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* pApply = new QPushButton(Tr("Apply"), this);
    pApply->setObjectName("alignApply");
    pApply->setAutoDefault(false);
    pApply->setGeometry(size.width() - 196, nButtonY, 81, 34);
    connect(pApply, &QPushButton::clicked, this, [this, onApply] {
        onApply();
        accept();
    });
}

QString CEqReportDlg::Text() const {
    return m_pText->toPlainText();
}

void CEqReportDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(24, 24, 26));
    if (m_Background.IsLoaded()) p.drawImage(rect(), *m_Background.Image());
    QFont font = p.font();
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(240, 150, 30));
    p.drawText(QRect(24, 12, width() - 48, 26), Qt::AlignLeft | Qt::AlignVCenter, m_strTitle);
}

void CEqReportDlg::keyPressEvent(QKeyEvent* pEvent) {
    // A proposal is taken by its button only.
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) {
        if (!m_bProposal) accept();
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

bool CEqReportDlg::event(QEvent* pEvent) {
    if (pEvent->type() == CCtrlNotifyEvent::EventType()) {
        auto* pNotify = static_cast<CCtrlNotifyEvent*>(pEvent);
        if (pNotify->Message() == WM_SKIN_BTN_UP && pNotify->CtrlId() == ctl::DIALOG_OK) accept();
        return true;
    }
    return QDialog::event(pEvent);
}

// ---- the tools ----

CEqTools::CEqTools(QWidget* pOwner, CEditorCore& core, CFilterGraphic* pGraph, std::function<void()> syncView)
    : QObject(pOwner), m_pOwner(pOwner), m_Core(core), m_SyncView(std::move(syncView)), m_pGraph(pGraph) {
    if (m_pGraph) m_pGraph->SetOverlay([this] { return OverlayCurves(); });
}

int CEqTools::Channel() const {
    return m_Core.Model().m_nChannel & 7;
}

void CEqTools::AddMenu(QMenuBar* pBar) {
    auto* pMenu = new QMenu(Tr("Equalizer tools"), pBar);
    m_pMenu = pMenu;
    const QList<QAction*> menus = pBar->actions();
    pBar->insertMenu(menus.isEmpty() ? nullptr : menus.back(), pMenu);
    auto add = [&](const char* pszText, auto fn) {
        QAction* pAction = pMenu->addAction(Tr(pszText));
        connect(pAction, &QAction::triggered, this, fn);
        return pAction;
    };
    add("Import filters...", [this] {
        const QString path = QFileDialog::getOpenFileName(m_pOwner->window(), Tr("Import filters"), QString(),
                                                          Tr(kFilterFiles));
        if (!path.isEmpty()) ImportFilters(path.toStdString());
    });
    add("Export filters...", [this] {
        QString path = QFileDialog::getSaveFileName(m_pOwner->window(), Tr("Export filters"),
                                                    QString("output-%1-filters.txt").arg(Channel() + 1),
                                                    Tr(kFilterFiles));
        if (path.isEmpty()) return;
        if (QFileInfo(path).suffix().isEmpty()) path += ".txt";
        ExportFilters(path.toStdString());
    });
    pMenu->addSeparator();
    add("Load measurement...", [this] {
        const QString path = QFileDialog::getOpenFileName(m_pOwner->window(), Tr("Load measurement"),
                                                          QString(), Tr(kCurveFiles));
        if (!path.isEmpty()) LoadMeasurement(path.toStdString());
    });
    add("Load target curve...", [this] {
        const QString path = QFileDialog::getOpenFileName(m_pOwner->window(), Tr("Load target curve"),
                                                          QString(), Tr(kCurveFiles));
        if (!path.isEmpty()) LoadTarget(path.toStdString());
    });
    m_pFitAction = add("Fit equalizer to measurement", [this] { Fit(); });
    add("Align outputs...", [this] { AlignOutputs(); });
    pMenu->addSeparator();
    const char* const kShow[3] = {"Show measurement", "Show target", "Show prediction"};
    for (int i = 0; i < 3; ++i) {
        m_ShowActions[static_cast<std::size_t>(i)] =
            add(kShow[i], [this, i](bool bChecked) { SetShown(i, bChecked); });
        m_ShowActions[static_cast<std::size_t>(i)]->setCheckable(true);
    }
    m_pRawAction = add("Measurement is of the bare driver", [this](bool bChecked) { SetRaw(bChecked); });
    m_pRawAction->setCheckable(true);
    pMenu->addSeparator();
    m_pClearAction = add("Clear measurement", [this] { Clear(); });
    connect(pMenu, &QMenu::aboutToShow, this, [this] { UpdateMenu(); });
    UpdateMenu();
}

void CEqTools::UpdateMenu() {
    if (!m_pMenu) return;
    const SChannelTuning& t = Tuning(Channel());
    const bool bHave = t.HasMeasurement();
    const bool bShown[3] = {t.bShowMeasurement, t.bShowTarget, t.bShowPrediction};
    for (std::size_t i = 0; i < 3; ++i) {
        m_ShowActions[i]->setEnabled(bHave);
        m_ShowActions[i]->setChecked(bShown[i]);
    }
    m_pFitAction->setEnabled(bHave);
    m_pRawAction->setEnabled(bHave);
    m_pRawAction->setChecked(bHave && !t.bThrough);
    m_pClearAction->setEnabled(bHave);
}

void CEqTools::Refresh() {
    m_SyncView();
    UpdateMenu();
    if (m_pGraph) m_pGraph->update();
}

void CEqTools::ShowReport(const QString& title, const std::vector<std::string>& lines) {
    m_strLastReport = Joined(lines);
    auto* pDlg = new CEqReportDlg(m_pOwner->window(), title, m_strLastReport);
    pDlg->open(); // window-modal, without a nested loop
}

bool CEqTools::ImportFilters(const std::string& path) {
    const SEqImport r = ImportEqFilterFile(path);
    const int ch = Channel();
    const bool bPair = m_Core.Model().m_bPair != 0;
    std::vector<std::string> lines = r.Lines();
    if (r.bOk) {
        const int bSent = ApplyEqBands(m_Core, ch, bPair, r.bands);
        const std::vector<std::string> bands = BandLines(r.bands, false);
        lines.insert(lines.end(), bands.begin(), bands.end());
        if (!bSent) lines.push_back("Writing the bands to the processor failed.");
    }
    const QString title = (bPair ? Tr("Import into outputs %1 and %2: %3").arg(ch + 1).arg((ch ^ 1) + 1)
                                 : Tr("Import into output %1: %2").arg(ch + 1))
                              .arg(QString::fromStdString(FileName(path)));
    ShowReport(title, lines);
    Refresh();
    return r.bOk;
}

bool CEqTools::ExportFilters(const std::string& path) {
    const CSettingsModel& m = m_Core.Model();
    const int ch = Channel();
    SFilterCoef bands[CRev8001Lib::EQ_BANDS];
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        bands[b] = m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(b));
    const std::string text = ExportEqFilterText(bands, m.m_bEqEnable[ch], ch + 1);
    QFile file(QString::fromStdString(path));
    const bool bOk =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
    ShowReport(Tr("Export of output %1").arg(ch + 1),
               {bOk ? "Wrote the bands of output " + std::to_string(ch + 1) + " to " + path + "."
                    : "Cannot write " + path + ": " + file.errorString().toStdString()});
    return bOk;
}

// A file that cannot be used, or lines of it that were not, are reported on load.
bool CEqTools::ShowReadReport(const QString& title, const std::string& path, const SMeasurementRead& r) {
    if (r.bOk && r.notes.empty() && r.nNotesLeftOut == 0) return r.bOk;
    ShowReport(title.arg(Channel() + 1) + ": " + QString::fromStdString(FileName(path)), r.Lines());
    return r.bOk;
}

bool CEqTools::LoadMeasurement(const std::string& path) {
    const SMeasurementRead r = ReadMeasurementFile(path);
    const int ch = Channel();
    if (!ShowReadReport(Tr("Measurement for output %1"), path, r)) return false;
    SChannelTuning& t = Tuning(ch);
    t.measured = CurveOnGrid(r.curve);
    t.measuredPhase = PhaseOnGrid(r.curve);
    t.szMeasurement = path;
    t.bShowMeasurement = t.bShowTarget = t.bShowPrediction = true;
    // Taken through the output's settings as they are now, unless the user says it is a bare driver.
    SetMeasuredThrough(t, m_Core.Model(), ch, "Out " + std::to_string(ch + 1) + " at loading");
    Refresh();
    return true;
}

bool CEqTools::LoadTarget(const std::string& path) {
    const SMeasurementRead r = ReadMeasurementFile(path);
    const int ch = Channel();
    if (!ShowReadReport(Tr("Target for output %1"), path, r)) return false;
    SChannelTuning& t = Tuning(ch);
    t.target = CurveOnGrid(r.curve);
    t.szTarget = path;
    Refresh();
    return true;
}

bool CEqTools::Fit() {
    const int ch = Channel();
    SChannelTuning& t = Tuning(ch);
    CEditorCore& core = m_Core;
    if (!t.HasMeasurement()) {
        ShowReport(Tr("Fit of output %1").arg(ch + 1), {"Load a measurement for this output first."});
        return false;
    }
    bool bNarrowed = false;
    const SEqFitSettings settings = DefaultFitRange(core.Model(), ch, &bNarrowed);
    const SEqFitResult r = FitEqualizer(MakeFitInput(core.Model(), ch, t, settings), settings);
    std::vector<std::string> lines;
    if (bNarrowed) lines.push_back("Fit range: the passband of the output's crossover.");
    const std::vector<std::string> report = FitReportLines(r, settings);
    lines.insert(lines.end(), report.begin(), report.end());
    if (r.bOk && !ApplyEqBands(core, ch, core.Model().m_bPair != 0, r.bands))
        lines.push_back("Writing the bands to the processor failed.");
    ShowReport(
        Tr("Fit of output %1 to %2").arg(ch + 1).arg(QString::fromStdString(FileName(t.szMeasurement))),
        lines);
    Refresh();
    return r.bOk;
}

bool CEqTools::AlignOutputs() {
    const CSettingsModel& m = m_Core.Model();
    std::vector<int> channels, unmeasured;
    for (int ch : CSystemView::ActiveOutputs(m))
        (Tuning(ch).HasMeasurement() ? channels : unmeasured).push_back(ch);
    SAlignSettings settings;
    m_Align = ProposeAlignment(m, m_Tuning, channels, settings);
    if (!m_Align.bOk) {
        std::vector<std::string> lines = AlignReportRest(m_Align, m, settings);
        lines.push_back(
            "Load a measurement with phase for every output to align (each taken with the same timing "
            "reference), then align.");
        ShowReport(Tr("Align outputs"), lines);
        return false;
    }
    // The outputs the proposal cannot speak for are named with those the processor keeps silent.
    for (int ch : unmeasured)
        m_Align.leftOut.push_back({ch, SAlignLeftOut::NO_MEASUREMENT});
    // The table in the window's language, its columns as wide as their widest cell (a Chinese
    // character takes two columns of the fixed font).
    SAlignTable table = AlignReportTable(m_Align, m);
    for (std::vector<std::string>& row : table.rows)
        for (std::string& cell : row)
            cell = CoreText(cell).toStdString();
    const auto columns = [](const std::string& text) {
        int n = 0;
        for (const QChar c : QString::fromStdString(text))
            n += (c.unicode() >= 0x2E80 && c.unicode() <= 0x9FFF) ||
                         (c.unicode() >= 0xF900 && c.unicode() <= 0xFAFF) ||
                         (c.unicode() >= 0xFF00 && c.unicode() <= 0xFF60)
                     ? 2
                     : 1;
        return n;
    };
    QStringList lines;
    for (const std::string& line : TableLines(table, columns))
        lines << QString::fromStdString(line);
    lines << Joined(AlignReportRest(m_Align, m, settings));
    m_strLastReport = lines.join('\n');
    // Below the graph, so that the preview on it stays in sight.
    QWidget* pWindow = m_pOwner->window();
    auto* pDlg = new CEqReportDlg(
        pWindow, Tr("Align outputs"), m_strLastReport, [this] { ApplyAlignment(); },
        QSize(std::max(600, pWindow->width() - 16), 300));
    pDlg->move(pWindow->mapToGlobal(
        QPoint((pWindow->width() - pDlg->width()) / 2, std::max(0, pWindow->height() - pDlg->height() - 8))));
    if (CSystemGraph* pSystem = SystemGraph()) {
        // The graph shows on the equalizer and crossover pages.
        const int nPage = m_Core.Model().m_nPage;
        if (nPage != CPages::PAGE_EQ && nPage != CPages::PAGE_XOVER) {
            m_Core.OnCommand(ID_PAGE_EQUALIZER);
            m_SyncView();
        }
        pSystem->SetPreview(AlignmentPreview());
    }
    connect(pDlg, &QDialog::finished, this, [this] {
        if (CSystemGraph* pSystem = SystemGraph()) pSystem->ClearPreview();
    });
    pDlg->open();
    return true;
}

CSystemGraph* CEqTools::SystemGraph() const {
    if (!m_pGraph) return nullptr;
    for (QWidget* p : m_pGraph->findChildren<QWidget*>()) // no QObject class of its own
        if (auto* pSystem = dynamic_cast<CSystemGraph*>(p)) return pSystem;
    return nullptr;
}

SSystemPreview CEqTools::AlignmentPreview() const {
    SSystemPreview preview;
    std::string members;
    for (const SAlignOutput& o : m_Align.outputs) {
        preview.channels.push_back(o.nChannel);
        ZUtils::SOutputTrim trim;
        trim.fLevelDb = CSettingsModel::DbFromVolume(o.after.nVolume);
        trim.bInvert = o.after.bInvert ? 1 : 0;
        trim.nDelaySamples = o.after.nDelay;
        preview.after.push_back(trim);
        members += (members.empty() ? "Out " : " + Out ") + std::to_string(o.nChannel + 1);
    }
    // Both sums moved by the one shift that draws the sum after as the system view draws it after Apply.
    preview.sumBefore = m_Align.before;
    preview.sumAfter = m_Align.after;
    preview.fSumShiftDb = DrawnShiftDb(m_Core.Model(), preview.channels, m_Align.after);
    ShiftLevel(&preview.sumBefore, preview.fSumShiftDb);
    ShiftLevel(&preview.sumAfter, preview.fSumShiftDb);
    const std::string shift = DrawnShiftText(preview.fSumShiftDb);
    preview.sumName = "Sum " + members + " after the alignment" + (shift.empty() ? "" : " (" + shift + ")");
    return preview;
}

bool CEqTools::ApplyAlignment() {
    if (!m_Align.bOk) return false;
    const bool bOk = m_Core.ApplyAsOneStep(AlignedSettings(m_Align, m_Core.Model()));
    m_Align = SAlignResult{};
    Refresh();
    return bOk;
}

void CEqTools::Clear() {
    Tuning(Channel()) = SChannelTuning{};
    Refresh();
}

void CEqTools::SetRaw(bool bRaw) {
    const int ch = Channel();
    SChannelTuning& t = Tuning(ch);
    if (!t.HasMeasurement()) return;
    if (bRaw)
        SetMeasuredRaw(t);
    else
        SetMeasuredThrough(t, m_Core.Model(), ch, "Out " + std::to_string(ch + 1) + " as set now");
    Refresh();
}

void CEqTools::SetShown(int nCurve, bool bShown) {
    SChannelTuning& t = Tuning(Channel());
    (nCurve == 0 ? t.bShowMeasurement : nCurve == 1 ? t.bShowTarget : t.bShowPrediction) = bShown;
    Refresh();
}

bool CEqTools::CanDrop(const QMimeData* pData) const {
    if (!pData || !pData->hasUrls() || pData->urls().size() != 1 || !pData->urls().front().isLocalFile())
        return false;
    return m_Core.Model().m_nPage == CPages::PAGE_EQ;
}

bool CEqTools::Drop(const QMimeData* pData) {
    if (!CanDrop(pData)) return false;
    const std::string path = pData->urls().front().toLocalFile().toStdString();
    const SEqImport r = ImportEqFilterFile(path);
    // Not a filter list but a measurement export (or lines of numbers or a header naming columns, of
    // which the report then says why they cannot be used): it becomes the output's measurement.
    if (!r.bOk && r.nFilterLines == 0) {
        const SMeasurementRead m = ReadMeasurementFile(path);
        if (m.bOk || !m.columns.empty() || m.nDataLines > 0) return LoadMeasurement(path);
    }
    return ImportFilters(path);
}

std::vector<SGraphOverlayCurve> CEqTools::OverlayCurves() const {
    const CSettingsModel& m = m_Core.Model();
    const int ch = Channel();
    const SChannelTuning& t = Tuning(ch);
    std::vector<SGraphOverlayCurve> curves;
    if (!t.HasMeasurement()) return curves;
    const SOverlayCurves c = ::OverlayCurves(m, ch, t);
    // The legend says what the measurement was taken through: the prediction divides that out.
    if (t.bShowMeasurement)
        curves.push_back(
            {c.measured, kMeasurementColour, Qt::SolidLine,
             t.bThrough ? Tr("Measured through Out %1").arg(ch + 1) : Tr("Measured: bare driver")});
    if (t.bShowTarget) curves.push_back({c.target, kTargetColour, Qt::DashLine, Tr("Target")});
    if (t.bShowPrediction)
        curves.push_back({c.predicted, kPredictionColour, Qt::SolidLine, Tr("Prediction")});
    return curves;
}
