// The window's equalizer tools: import and export of filter lists, a measurement and a target per
// output kept for the session and laid over the response graph with the predicted result, and the fit
// of the bands. Everything is decided by the editor core's tuning functions; this file asks for files,
// shows reports and draws.
#pragma once

#include <QDialog>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "graph/graphoverlay.h"
#include "graph/systemgraph.h"
#include "guilib/gdiplusbitmap.h"
#include "tuning/align.h"
#include "tuning/eqtuning.h"

class CEditorCore;
class CFilterGraphic;
class QMenuBar;
class QMenu;
class QMimeData;
class QAction;
class QPlainTextEdit;

// The report of an import or a fit, on the skin's dialog background.
class CEqReportDlg : public QDialog {
public:
    // With onApply the dialog is a proposal: Apply and Cancel instead of OK, the text as a table in a
    // fixed font, at the given size.
    CEqReportDlg(QWidget* pParent, const QString& title, const QString& text,
                 std::function<void()> onApply = {}, QSize size = QSize(600, 334));
    QString Text() const;

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* pEvent) override;
    // Enter is OK, as the skin's only button.
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    CGdiPlusBitmapResource m_Background;
    QString m_strTitle;
    QPlainTextEdit* m_pText;
    bool m_bProposal = false;
};

class CEqTools : public QObject {
public:
    // pOwner: the widget the tools belong to (dialogs open over its window); syncView shows the form
    // state on the owner's controls after the model changed.
    CEqTools(QWidget* pOwner, CEditorCore& core, CFilterGraphic* pGraph, std::function<void()> syncView);

    // The "Equalizer tools" menu, placed before the last menu of the bar (help).
    void AddMenu(QMenuBar* pBar);

    // Drops: a single local file on the equalizer page. A filter list is imported; a measurement
    // export is loaded as the selected output's measurement.
    bool CanDrop(const QMimeData* pData) const;
    bool Drop(const QMimeData* pData);

    // The commands, for the selected output (the pair's first output when a pair is selected); each
    // shows its report. True when something changed.
    bool ImportFilters(const std::string& path);
    bool ExportFilters(const std::string& path);
    bool LoadMeasurement(const std::string& path);
    bool LoadTarget(const std::string& path);
    bool Fit();
    void Clear();
    // Proposes delays, polarities and levels of every output with a measurement (with phase) and
    // shows them with Apply; false when there is nothing to align. While the proposal is shown, the
    // graph's system view previews it (on the equalizer page, when no page with the graph is shown);
    // Cancel takes the preview away, Apply leaves the outputs as it showed them.
    bool AlignOutputs();
    // Puts the last proposal into the tune as one undo step and sends it.
    bool ApplyAlignment();
    const SAlignResult& Alignment() const { return m_Align; }
    // The last proposal as the system view previews it: the sums at the microphone's level moved
    // together so that the sum after has its mean at 0 dB over the range judged.
    SSystemPreview AlignmentPreview() const;
    void SetShown(int nCurve, bool bShown); // 0 measurement, 1 target, 2 prediction
    // The selected output's measurement is of the bare driver (bRaw), or taken through the output's
    // settings as they are now.
    void SetRaw(bool bRaw);

    SChannelTuning& Tuning(int nChannel) { return m_Tuning[static_cast<std::size_t>(nChannel & 7)]; }
    const SChannelTuning& Tuning(int nChannel) const {
        return m_Tuning[static_cast<std::size_t>(nChannel & 7)];
    }
    const std::array<SChannelTuning, 8>& Tunings() const { return m_Tuning; }
    // The report last shown (also when its dialog is gone).
    const QString& LastReport() const { return m_strLastReport; }

private:
    int Channel() const;
    // The graph's system view, if there is one.
    CSystemGraph* SystemGraph() const;

    void ShowReport(const QString& title, const std::vector<std::string>& lines);
    // Shows what reading a file found (title: a pattern with the output as %1); false when it was refused.
    bool ShowReadReport(const QString& title, const std::string& path, const SMeasurementRead& r);
    // The curves the graph lays over its own for the selected output (none without a measurement).
    std::vector<SGraphOverlayCurve> OverlayCurves() const;
    void UpdateMenu();
    void Refresh();

    QWidget* m_pOwner;
    CEditorCore& m_Core;
    std::function<void()> m_SyncView;
    CFilterGraphic* m_pGraph;
    std::array<SChannelTuning, 8> m_Tuning;
    QMenu* m_pMenu = nullptr;
    std::array<QAction*, 3> m_ShowActions{};
    QAction* m_pFitAction = nullptr;
    QAction* m_pClearAction = nullptr;
    QAction* m_pRawAction = nullptr;
    QString m_strLastReport;
    SAlignResult m_Align;
};
