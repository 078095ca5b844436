#include "wavrview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>

#include "abswitch.h"
#include "comm/ctrlmessages.h"
#include "comm/trace.h"
#include "dialogs.h"
#include "editor/controlids.h"
#include "eqtools.h"
#include "graph/filtergraphic.h"
#include "graph/systemgraph.h"
#include "guilib/gdiactiveslider.h"
#include "guilib/notify.h"
#include "guilib/skinbutton.h"
#include "skin/skinids.h"
#include "skin/skinlayout.h"
#include "uilanguage.h"

namespace {

using namespace SkinLayout;

constexpr int kEditPixelSize = 12; // the skin's text size
constexpr int kEditMinPixelSize = 7;
constexpr int kLineEditMargin = 2; // the line edit's own space left and right of the text
constexpr int kHelpBrokenMinPixelSize = 10;
constexpr int kHelpMinPixelSize = 8;
// How long a released arrow key waits for the press that would make it an auto-repeat.
constexpr int kReleaseGraceMs = 60;

// Speaker pictures of the standard page per architecture: channel, normal image, x, y (the phase-
// inverted look is the next image).
struct SSpeaker {
    int nChannel, nImage, x, y;
};
const std::vector<SSpeaker> kSpeakers[5] = {
    {{0, 449, 745, 270},
     {1, 451, 930, 270},
     {2, 457, 720, 300},
     {3, 461, 938, 300},
     {6, 447, 790, 545},
     {7, 445, 856, 545}},
    {{0, 449, 745, 270},
     {1, 451, 930, 270},
     {2, 453, 730, 300},
     {3, 455, 938, 300},
     {4, 457, 720, 340},
     {5, 461, 938, 340},
     {6, 447, 790, 545},
     {7, 445, 856, 545}},
    {{0, 457, 720, 340}, {1, 461, 938, 340}, {6, 447, 790, 545}, {7, 445, 856, 545}},
    {{0, 459, 720, 330},
     {1, 463, 938, 330},
     {2, 457, 720, 440},
     {3, 461, 938, 440},
     {6, 447, 790, 545},
     {7, 445, 856, 545}},
    {{0, 449, 745, 270},
     {1, 451, 930, 270},
     {2, 459, 720, 300},
     {3, 463, 938, 300},
     {4, 457, 720, 440},
     {5, 461, 938, 440},
     {6, 443, 825, 230},
     {7, 445, 825, 545}},
};

// Tracks of the speaker icons over the car picture: x, y, width (whole milliseconds 0..22 along it).
QRect IconTrack(int nId) {
    if (nId >= ctl::EXPERT_SPEAKER.first) {
        const int ch = nId - ctl::EXPERT_SPEAKER.first;
        return QRect(ch % 2 ? 668 : 432, 352 + 48 * (ch / 2), 214, 42);
    }
    const int i = nId - ctl::SPEAKER.first; // pairs of rows: left, right
    return QRect(i % 2 ? 668 : 432, 282 + 33 * (i / 2), 214, 42);
}

QString FromFilter(const std::string& filter) {
    // "DSP Files(*.Dovu)|*.Dovu||" -> "DSP Files(*.Dovu)"
    const std::string name = filter.substr(0, filter.find('|'));
    return QString::fromStdString(name);
}

template <class T> T* As(QWidget* p) {
    return dynamic_cast<T*>(p);
}

} // namespace

// ---- events ----

CCoreMessageEvent::CCoreMessageEvent(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam,
                                     std::vector<std::uint8_t> data)
    : QEvent(EventType()), m_nMsg(nMsg), m_wParam(wParam), m_lParam(lParam), m_Data(std::move(data)) {}

QEvent::Type CCoreMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// ---- edit boxes ----

CViewEdit::CViewEdit(CWAVRView* pView, int nId) : QLineEdit(pView), m_pView(pView), m_nId(nId) {
    setFrame(false);
    setStyleSheet("QLineEdit { color: #ffffff; background: rgb(37, 37, 37); border: none; }");
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextMargins(0, 0, 0, 0);
    QFont f = font();
    f.setPixelSize(kEditPixelSize);
    setFont(f);
    connect(this, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_pView->OnEditTextEdited(m_nId, text); });
    connect(this, &QLineEdit::textChanged, this, [this] { FitFont(); });
}

int CViewEdit::FittingPixelSize(const QFont& font, const QString& text, const QSize& room) {
    QFont f = font;
    int nSize = kEditPixelSize;
    for (; nSize > kEditMinPixelSize; --nSize) {
        f.setPixelSize(nSize);
        const QFontMetrics fm(f);
        if (fm.horizontalAdvance(text) <= room.width() && fm.height() <= room.height() + 2) break;
    }
    return nSize;
}

void CViewEdit::FitFont() {
    // The box keeps its skin rectangle: a long value gets a smaller font instead of scrolling away.
    const QSize room(width() - 2 * kLineEditMargin - 1, height());
    const int nSize = FittingPixelSize(font(), text(), room);
    if (font().pixelSize() == nSize) return;
    QFont f = font();
    f.setPixelSize(nSize);
    setFont(f);
}

void CViewEdit::ApplyState(const SControlState& state) {
    const QString text = QString::fromStdString(state.text);
    if (this->text() != text) setText(text);
}

void CViewEdit::resizeEvent(QResizeEvent* pEvent) {
    QLineEdit::resizeEvent(pEvent);
    FitFont();
}

namespace {

// ID_EDIT_UNDO or ID_EDIT_REDO for a key of the window's undo or redo, else 0.
int HistoryCommand(const QKeyEvent& e) {
    const QKeySequence keys(QKeyCombination(e.modifiers() & ~Qt::KeypadModifier, Qt::Key(e.key())));
    if (UndoKeys().contains(keys)) return ID_EDIT_UNDO;
    if (RedoKeys().contains(keys)) return ID_EDIT_REDO;
    return 0;
}

} // namespace

const QList<QKeySequence>& UndoKeys() {
    static const QList<QKeySequence> keys = {QKeySequence(Qt::CTRL | Qt::Key_Z)};
    return keys;
}

const QList<QKeySequence>& RedoKeys() {
    static const QList<QKeySequence> keys = {QKeySequence(Qt::CTRL | Qt::Key_Y),
                                             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    return keys;
}

bool CViewEdit::event(QEvent* pEvent) {
    // The box would take these keys for its own text history; they come here as key presses instead.
    if (pEvent->type() == QEvent::ShortcutOverride && HistoryCommand(*static_cast<QKeyEvent*>(pEvent))) {
        pEvent->accept();
        return true;
    }
    return QLineEdit::event(pEvent);
}

void CViewEdit::contextMenuEvent(QContextMenuEvent* pEvent) {
    // The menu's undo and redo are the window's too.
    QMenu* pMenu = createStandardContextMenu();
    for (QAction* pAction : pMenu->actions()) {
        const QString name = pAction->objectName();
        if (name != QLatin1String("edit-undo") && name != QLatin1String("edit-redo")) continue;
        const bool bUndo = name == QLatin1String("edit-undo");
        pAction->disconnect();
        pAction->setEnabled(bUndo ? m_pView->Core().CanUndo() : m_pView->Core().CanRedo());
        connect(pAction, &QAction::triggered, m_pView,
                [pView = m_pView, bUndo] { pView->OnMenuCommand(bUndo ? ID_EDIT_UNDO : ID_EDIT_REDO); });
    }
    pMenu->setAttribute(Qt::WA_DeleteOnClose);
    pMenu->popup(pEvent->globalPos());
}

void CViewEdit::keyPressEvent(QKeyEvent* pEvent) {
    if (const int nCommand = HistoryCommand(*pEvent)) {
        m_pView->FlushKeyRelease();
        m_pView->OnMenuCommand(nCommand);
        return;
    }
    const int nKey = pEvent->key();
    if (nKey == Qt::Key_Up || nKey == Qt::Key_Down) {
        if (m_pView->OnEditArrow(m_nId, nKey, true, pEvent->isAutoRepeat())) return;
    } else {
        m_pView->FlushKeyRelease();
        if (m_pView->OnEditKey(m_nId, nKey, true)) return;
    }
    QLineEdit::keyPressEvent(pEvent);
}

void CViewEdit::keyReleaseEvent(QKeyEvent* pEvent) {
    const int nKey = pEvent->key();
    if (nKey == Qt::Key_Up || nKey == Qt::Key_Down) {
        if (m_pView->OnEditArrow(m_nId, nKey, false, pEvent->isAutoRepeat())) return;
    } else if (!pEvent->isAutoRepeat() && m_pView->OnEditKey(m_nId, nKey, false)) {
        return;
    }
    QLineEdit::keyReleaseEvent(pEvent);
}

void CViewEdit::wheelEvent(QWheelEvent* pEvent) {
    // The wheel steps the focused box while the pointer lies inside it.
    if (hasFocus()) m_pView->OnEditWheel(m_nId, pEvent->angleDelta().y());
    pEvent->accept();
}

void CViewEdit::enterEvent(QEnterEvent* pEvent) {
    m_pView->OnEditHover(m_nId);
    QLineEdit::enterEvent(pEvent);
}

int HelpTextPixelSize(const QString& text, const QSize& room, QString* pLaidOut) {
    // The text's own line breaks first; when they leave no readable size, the text flows freely.
    QString broken = text;
    broken.replace("\r\n", "\n");
    QString flowing = broken;
    flowing.replace('\n', ' ');
    flowing = flowing.simplified();
    QFont f;
    const QString candidates[2] = {broken, flowing};
    for (int i = 0; i < 2; ++i) {
        const QString& candidate = candidates[i];
        const int nMin = i == 0 ? kHelpBrokenMinPixelSize : kHelpMinPixelSize;
        for (int nSize = kEditPixelSize; nSize >= nMin; --nSize) {
            f.setPixelSize(nSize);
            const QRect need = QFontMetrics(f).boundingRect(QRect(QPoint(0, 0), room),
                                                            Qt::TextWordWrap | Qt::AlignLeft, candidate);
            if (need.width() <= room.width() && need.height() <= room.height()) {
                if (pLaidOut) *pLaidOut = candidate;
                return nSize;
            }
        }
    }
    if (pLaidOut) *pLaidOut = flowing;
    return kHelpMinPixelSize;
}

// ---- the view ----

CWAVRView::CWAVRView(QWidget* pParent) : QWidget(pParent), m_Core(*this) {
    setFixedSize(WIDTH, HEIGHT);
    setWindowTitle("ORVIX MANAGER VIEW");
    setAttribute(Qt::WA_OpaquePaintEvent);
    CreateControls();
    m_pEqTools = new CEqTools(this, m_Core, m_pGraph, [this] { SyncFromForm(); });
    // The system view's sum multiplies in the measurements loaded for the session.
    if (m_pSystemGraph) m_pSystemGraph->View().SetTunings(&m_pEqTools->Tunings());
    setAcceptDrops(true);
    qApp->installEventFilter(this);
}

CWAVRView::~CWAVRView() {
    qApp->removeEventFilter(this);
    m_Core.CloseLinks();
}

void CWAVRView::Start() {
    m_Core.Start(false);
    SyncFromForm();
    setFocus(Qt::OtherFocusReason); // no box takes stray typing before the user picks one
    // The probes block this thread for seconds: the window is painted first.
    QTimer::singleShot(50, this, [this] {
        m_Core.StartDeviceSearch();
        SyncFromForm();
    });
}

void CWAVRView::Deliver(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    m_Core.OnMessage(nMsg, wParam, lParam);
    SyncFromForm();
}

bool CWAVRView::event(QEvent* pEvent) {
    if (pEvent->type() == CCoreMessageEvent::EventType()) {
        auto* p = static_cast<CCoreMessageEvent*>(pEvent);
        const std::uintptr_t wParam =
            p->m_Data.empty() ? p->m_wParam : reinterpret_cast<std::uintptr_t>(p->m_Data.data());
        Deliver(p->m_nMsg, wParam, p->m_lParam);
        return true;
    }
    if (pEvent->type() == CCtrlNotifyEvent::EventType()) {
        auto* p = static_cast<CCtrlNotifyEvent*>(pEvent);
        // A toggle button has flipped itself on release: the core reads the state the click left
        // (a refresh between the click and this notification may have set the button again).
        if (p->Message() == WM_SKIN_BTN_UP)
            if (auto* pButton =
                    As<CSkinButtonBase>(m_Controls.count(p->CtrlId()) ? m_Controls[p->CtrlId()] : nullptr))
                m_Core.Form().SetToggle(p->CtrlId(), pButton->TakeClickToggle());
        Deliver(p->Message(), static_cast<std::uintptr_t>(p->CtrlId()), p->Value());
        return true;
    }
    return QWidget::event(pEvent);
}

bool CWAVRView::eventFilter(QObject* pWatched, QEvent* pEvent) {
    const auto type = pEvent->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
        type == QEvent::MouseButtonDblClick) {
        auto* pWidget = qobject_cast<QWidget*>(pWatched);
        auto* pMouse = static_cast<QMouseEvent*>(pEvent);
        if (pWidget && pMouse->button() == Qt::LeftButton && (pWidget == this || isAncestorOf(pWidget)))
            return m_Core.FilterLeftButton(type != QEvent::MouseButtonRelease);
    }
    return QWidget::eventFilter(pWatched, pEvent);
}

void CWAVRView::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (m_pEqTools->CanDrop(pEvent->mimeData())) pEvent->acceptProposedAction();
}

void CWAVRView::dropEvent(QDropEvent* pEvent) {
    if (m_pEqTools->Drop(pEvent->mimeData())) pEvent->acceptProposedAction();
}

void CWAVRView::OnMenuCommand(int nId) {
    m_Core.OnCommand(nId);
    SyncFromForm();
}

void CWAVRView::ReleaseBoxFocus() {
    QWidget* pFocus = QApplication::focusWidget();
    if (pFocus && isAncestorOf(pFocus)) setFocus(Qt::OtherFocusReason);
}

void CWAVRView::OnDeviceChange(bool bArrived, int nComNumber) {
    PostToSelf(bArrived ? WM_DEVICE_CONNECT : WM_DEVICE_DISCONNECT, 0, nComNumber);
}

bool CWAVRView::OnEditKey(int nId, int nKey, bool bPress) {
    int nCode = 0;
    switch (nKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        nCode = CDispatch::KEY_ENTER;
        break;
    case Qt::Key_Escape:
        nCode = CDispatch::KEY_ESCAPE;
        break;
    case Qt::Key_Up:
        nCode = CDispatch::KEY_UP;
        break;
    case Qt::Key_Down:
        nCode = CDispatch::KEY_DOWN;
        break;
    default:
        return false;
    }
    if (auto* pEdit = As<CViewEdit>(m_Controls[nId])) m_Core.Form().SetText(nId, pEdit->text().toStdString());
    const bool bConsumed = m_Core.OnKey(bPress, nCode, nId);
    SyncFromForm();
    return bConsumed;
}

bool CWAVRView::OnEditArrow(int nId, int nKey, bool bPress, bool bAutoRepeat) {
    if (bPress) {
        // A press right after a release of the same key in the same box: the release was a repeat.
        if (m_nReleaseKey == nKey && m_nReleaseId == nId)
            m_pReleaseTimer->stop();
        else
            FlushKeyRelease();
        m_nReleaseKey = m_nReleaseId = 0;
        return OnEditKey(nId, nKey, true);
    }
    if (bAutoRepeat) return true; // marked repeats commit nothing
    FlushKeyRelease();
    if (!m_pReleaseTimer) {
        m_pReleaseTimer = new QTimer(this);
        m_pReleaseTimer->setSingleShot(true);
        QObject::connect(m_pReleaseTimer, &QTimer::timeout, this, [this] { FlushKeyRelease(); });
    }
    m_nReleaseKey = nKey;
    m_nReleaseId = nId;
    m_pReleaseTimer->start(kReleaseGraceMs);
    return true;
}

void CWAVRView::FlushKeyRelease() {
    if (!m_nReleaseKey) return;
    const int nKey = m_nReleaseKey, nId = m_nReleaseId;
    m_nReleaseKey = m_nReleaseId = 0;
    if (m_pReleaseTimer) m_pReleaseTimer->stop();
    OnEditKey(nId, nKey, false);
}

void CWAVRView::OnEditWheel(int nId, int nDelta) {
    FlushKeyRelease();
    m_Core.OnMouseWheel(nDelta, nId, true);
    SyncFromForm();
}

void CWAVRView::OnEditTextEdited(int nId, const QString& text) {
    m_Core.Form().SetText(nId, text.toStdString());
}

void CWAVRView::OnEditHover(int nId) {
    m_Core.OnSetCursor(nId);
}

// Mirrors visibility, texts, positions, toggles and states into the widgets.
void CWAVRView::SyncFromForm() {
    ReloadSpeakerIcons();
    if (m_pAbSwitch) m_pAbSwitch->Show(m_Core.LiveSide());
    for (const auto& [nId, state] : m_Core.Form().All()) {
        auto it = m_Controls.find(nId);
        if (it == m_Controls.end()) continue;
        QWidget* pWidget = it->second;
        if (pWidget->isVisible() != state.bVisible) {
            // Hiding the focused control would hand the focus on along the chain, to the first box
            // (the master level) with its text selected: the view keeps it instead.
            if (!state.bVisible && pWidget->hasFocus()) setFocus(Qt::OtherFocusReason);
            pWidget->setVisible(state.bVisible);
        }
        if (auto view = m_StateViews.find(nId); view != m_StateViews.end()) view->second->ApplyState(state);
    }
    if (m_pSystemGraph) m_pSystemGraph->Follow();
    update();
}

void CWAVRView::ReloadSpeakerIcons() {
    const int nArch = m_Core.Architecture();
    if (nArch == m_nIconArch) return;
    m_nIconArch = nArch;
    for (int nId = ctl::SPEAKER.first; nId <= ctl::EXPERT_SPEAKER.last; ++nId) {
        auto it = m_Controls.find(nId);
        if (it == m_Controls.end()) continue;
        auto* pIcon = As<CGdiActiveSlider>(it->second);
        if (!pIcon) continue; // the IDs between the two icon ranges
        int ch = nId >= ctl::EXPERT_SPEAKER.first ? nId - ctl::EXPERT_SPEAKER.first : -1;
        for (int c = 0; ch < 0 && c < MLB8_CHANNELS; ++c)
            if (CDelayEditor::StandardIcon(nArch, c) == nId) ch = c;
        if (ch < 0) ch = (nId - ctl::SPEAKER.first) % MLB8_CHANNELS; // not used by this architecture
        const std::array<int, 12> ids = SkinId::SpeakerIconSet(ch);
        pIcon->SetIconsInactive({ids[0], ids[1], ids[2], ids[3], ids[4], ids[5]});
        pIcon->SetIconsActive({ids[6], ids[7], ids[8], ids[9], ids[10], ids[11]});
        pIcon->setGeometry(IconTrack(nId));
        pIcon->update();
    }
}

// ---- painting ----

void CWAVRView::DrawImage(QPainter& p, int nId, int x, int y, int cx, int cy) {
    auto& slot = m_Images[nId];
    if (!slot) {
        slot = std::make_unique<CGdiPlusBitmapResource>();
        if (!slot->Load(nId, "PNG")) TRACE("!!!!!!!ERROR SetIconImage \r\n");
    }
    if (!slot->IsLoaded()) return;
    if (cx < 0)
        p.drawImage(QPoint(x, y), *slot->Image());
    else
        p.drawImage(QRect(x, y, cx, cy), *slot->Image());
}

const QPixmap& CWAVRView::StaticLayer(int nPage, bool bExpertCar) {
    static const int kPages[5] = {SkinId::PAGE_STANDARD, SkinId::PAGE_EXPERT, SkinId::PAGE_EQUALIZER,
                                  SkinId::PAGE_CROSSOVER, SkinId::PAGE_TIME};
    const qreal fRatio = devicePixelRatioF();
    // Only the time-alignment page differs between the modes (the car); the others have one layer.
    if (nPage != CPages::PAGE_DELAY) bExpertCar = false;
    QPixmap& layer = m_StaticLayers[nPage * 2 + (bExpertCar ? 1 : 0)];
    if (!layer.isNull() && layer.devicePixelRatio() == fRatio) return layer;
    layer = QPixmap(QSize(WIDTH, HEIGHT) * fRatio);
    layer.setDevicePixelRatio(fRatio);
    layer.fill(Qt::black);
    QPainter p(&layer);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    DrawImage(p, SkinId::BACKGROUND, 0, 0, WIDTH, HEIGHT);
    DrawImage(p, SkinId::TAB_BAR, TAB_BAR.x, TAB_BAR.y, TAB_BAR.w, TAB_BAR.h);
    DrawImage(p, SkinId::TOP_BAR, TOP_BAR.x, TOP_BAR.y, TOP_BAR.w, TOP_BAR.h);
    DrawImage(p, SkinId::LEVEL_EDIT_FRAME, MAIN_FRAME.x, MAIN_FRAME.y, MAIN_FRAME.w, MAIN_FRAME.h);
    DrawImage(p, SkinId::LEVEL_EDIT_FRAME, CHANNEL_FRAME.x, CHANNEL_FRAME.y, CHANNEL_FRAME.w,
              CHANNEL_FRAME.h);
    if (nPage >= 0 && nPage <= 4) DrawImage(p, kPages[nPage], PAGE.x, PAGE.y, PAGE.w, PAGE.h);
    if (nPage == CPages::PAGE_DELAY) {
        const SSkinRect& car = bExpertCar ? TA_CAR_EXPERT : TA_CAR_STANDARD;
        DrawImage(p, SkinId::CAR, car.x, car.y, car.w, car.h);
    }
    return layer;
}

void CWAVRView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(0, 0, StaticLayer(m_Core.Model().m_nPage, m_Core.Model().m_bEasyExp != 0));
    PaintPage(p);
    if (const char* pszHelp = m_Core.HelpText()) {
        // The whole text in the area: the font shrinks as far as needed.
        const QRect area(HELP_TEXT.x + 2, HELP_TEXT.y + 1, HELP_TEXT.w - 4, HELP_TEXT.h - 2);
        QString laidOut;
        QFont font = p.font();
        const QString text = UiHelpText(pszHelp); // the core's notices are help texts too
        font.setPixelSize(HelpTextPixelSize(text, area.size(), &laidOut));
        p.setFont(font);
        p.setPen(QColor(0xFA, 0xFA, 0xFA));
        p.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, laidOut);
    }
    DrawImage(p, m_Core.Model().m_bConnected ? SkinId::CONNECTED : SkinId::DISCONNECTED, INDICATOR.x,
              INDICATOR.y);
}

void CWAVRView::PaintPage(QPainter& p) {
    const CSettingsModel& m = m_Core.Model();
    if (m.m_nPage > 4) return;
    const int nFrame = SkinId::ANIMATION_FIRST + m_Core.AnimationFrame();
    switch (m.m_nPage) {
    case 0: {
        const int nArch = m_Core.Architecture();
        for (const SSpeaker& s : kSpeakers[nArch])
            DrawImage(p, s.nImage + (m.m_bPhase[s.nChannel] ? 1 : 0), s.x, s.y);
        if (m.m_nDSPInput <= INPUT_AUX) {
            DrawImage(p, SkinId::SENS_FRAME, STD_SENS_FRAME.x, STD_SENS_FRAME.y, STD_SENS_FRAME.w,
                      STD_SENS_FRAME.h);
            DrawImage(p, SkinId::SENS_LABEL, STD_SENS_LABEL.x, STD_SENS_LABEL.y, STD_SENS_LABEL.w,
                      STD_SENS_LABEL.h);
        } else {
            DrawImage(p, SkinId::BLANK_PANEL, STD_BLANK.x, STD_BLANK.y, STD_BLANK.w, STD_BLANK.h);
        }
        const QRect anim = AnimationRect();
        DrawImage(p, nFrame, anim.x(), anim.y(), anim.width(), anim.height());
        break;
    }
    case 1:
        if (m.m_nDSPExpInput == 0)
            for (int k = 0; k < 3; ++k)
                DrawImage(p, SkinId::SENS_FRAME, EXP_SENS_FRAME_X, EXP_SENS_Y[k], 110, 37);
        else if (m.m_nDSPExpInput == 1)
            DrawImage(p, SkinId::SENS_FRAME, EXP_SENS_FRAME_X, EXP_SENS_Y[3], 110, 37);
        break;
    case 3: {
        const int ch = m.m_nChannel;
        if (!m.m_bXoverEnable[ch]) break;
        if (m.m_nXoverType[ch][1] == FT_HIGHPASS) {
            DrawImage(p, SkinId::XOVER_SLOPE_FRAME, XO_HP_SLOPE.x, XO_HP_SLOPE.y, XO_HP_SLOPE.w,
                      XO_HP_SLOPE.h);
            DrawImage(p, SkinId::XOVER_FREQ_FRAME, XO_HP_FREQ.x, XO_HP_FREQ.y, XO_HP_FREQ.w, XO_HP_FREQ.h);
            DrawImage(p, SkinId::XOVER_HP_SYMBOL, XO_HP_SYMBOL.x, XO_HP_SYMBOL.y, XO_HP_SYMBOL.w,
                      XO_HP_SYMBOL.h);
            DrawImage(p, SkinId::XOVER_HP_LABEL, XO_HP_LABEL.x, XO_HP_LABEL.y, XO_HP_LABEL.w, XO_HP_LABEL.h);
        }
        if (m.m_nXoverType[ch][0] == FT_LOWPASS) {
            DrawImage(p, SkinId::XOVER_SLOPE_FRAME, XO_LP_SLOPE.x, XO_LP_SLOPE.y, XO_LP_SLOPE.w,
                      XO_LP_SLOPE.h);
            DrawImage(p, SkinId::XOVER_FREQ_FRAME, XO_LP_FREQ.x, XO_LP_FREQ.y, XO_LP_FREQ.w, XO_LP_FREQ.h);
            DrawImage(p, SkinId::XOVER_LP_SYMBOL, XO_LP_SYMBOL.x, XO_LP_SYMBOL.y, XO_LP_SYMBOL.w,
                      XO_LP_SYMBOL.h);
            DrawImage(p, SkinId::XOVER_LP_LABEL, XO_LP_LABEL.x, XO_LP_LABEL.y, XO_LP_LABEL.w, XO_LP_LABEL.h);
        }
        break;
    }
    case 4: {
        const QRect anim = AnimationRect();
        DrawImage(p, nFrame, anim.x(), anim.y(), anim.width(), anim.height());
        break;
    }
    default:
        break;
    }
}

// ---- the host ----

void CWAVRView::PostToSelf(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    QCoreApplication::postEvent(this, new CCoreMessageEvent(nMsg, wParam, lParam, {}));
}

void CWAVRView::PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    std::vector<std::uint8_t> chunk;
    if (nMsg == WM_IPC_RECEIVE && wParam && lParam > 0) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(wParam);
        chunk.assign(p, p + lParam);
    }
    // Only a received chunk's wParam points at data; any other message's wParam is a value.
    const std::uintptr_t nValue = nMsg == WM_IPC_RECEIVE ? 0 : wParam;
    QCoreApplication::postEvent(this, new CCoreMessageEvent(nMsg, nValue, lParam, std::move(chunk)));
}

void CWAVRView::PostToFrame(std::uint32_t nMsg, std::intptr_t lParam) {
    if (m_FrameMessages)
        QMetaObject::invokeMethod(
            this, [this, nMsg, lParam] { m_FrameMessages(nMsg, lParam); }, Qt::QueuedConnection);
}

void CWAVRView::SetTimer(int nId, std::uint32_t nMs) {
    QTimer*& pTimer = m_Timers[nId];
    if (!pTimer) {
        pTimer = new QTimer(this);
        QObject::connect(pTimer, &QTimer::timeout, this, [this, nId] {
            m_Core.OnTimer(nId);
            // The animation only moves on its frame and asks for its own area: a mirror of every
            // control twenty times a second would keep the processor busy for nothing.
            if (nId != TIMER_ANIMATION) SyncFromForm();
        });
    }
    pTimer->start(static_cast<int>(nMs));
}

void CWAVRView::KillTimer(int nId) {
    auto it = m_Timers.find(nId);
    if (it != m_Timers.end() && it->second) it->second->stop();
}

bool CWAVRView::IsTimerActive(int nId) const {
    auto it = m_Timers.find(nId);
    return it != m_Timers.end() && it->second && it->second->isActive();
}

bool CWAVRView::IsSettled() const {
    for (int nId : {TIMER_GRAPH, TIMER_IO_APPLY, TIMER_SAVE_FILE, TIMER_SEND_ALL, TIMER_WHEEL})
        if (IsTimerActive(nId)) return false;
    return !(m_pReleaseTimer && m_pReleaseTimer->isActive());
}

void CWAVRView::Sleep(std::uint32_t nMs) {
    QThread::msleep(nMs);
}

void CWAVRView::ShowBusy(const std::string& text) {
    const QString qtext = CoreText(text);
    ++m_nBusyShown;
    if (!m_pBusy)
        m_pBusy = new CMsgDlg(this, qtext);
    else
        m_pBusy->SetText(qtext);
    m_pBusy->show();
    m_pBusy->raise();
    // Painted now: the sequence that follows blocks this thread.
    SyncFromForm();
    repaint();
}

void CWAVRView::HideBusy() {
    delete m_pBusy;
    m_pBusy = nullptr;
    update();
}

void CWAVRView::MessageBox(const std::string& text) {
    QMessageBox::warning(window(), window()->windowTitle(), CoreText(text));
}

bool CWAVRView::Confirm(const std::string&) {
    COkCancelDlg dlg(window(), false);
    return dlg.exec() == QDialog::Accepted;
}

// A plain message with its own two buttons: the skinned confirmation carries a fixed question.
bool CWAVRView::ConfirmLoad(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, window()->windowTitle(), CoreText(text), QMessageBox::NoButton,
                    window());
    box.setObjectName("loadConfirmation");
    QPushButton* pLoad =
        box.addButton(QCoreApplication::translate("CWAVRView", "Load anyway"), QMessageBox::AcceptRole);
    QPushButton* pCancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(pCancel);
    box.setEscapeButton(pCancel);
    box.exec();
    return box.clickedButton() == pLoad;
}

std::string CWAVRView::OpenFileDialog(const std::string& filter) {
    return QFileDialog::getOpenFileName(window(), QString(), QString(), FromFilter(filter)).toStdString();
}

std::string CWAVRView::SaveFileDialog(const std::string& filter, const std::string& defaultPath) {
    QString path = QFileDialog::getSaveFileName(window(), QString(), QString::fromStdString(defaultPath),
                                                FromFilter(filter));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += ".Dovu";
    return path.toStdString();
}

void CWAVRView::SetTitle(const std::string& title) {
    window()->setWindowTitle(CoreText(title));
}

void CWAVRView::OpenDocument(const std::string& path) {
    ZUtils::LaunchDocument(MANUAL_OPENER, path);
}

void CWAVRView::Repaint(int nArea) {
    if (nArea == AREA_ANIMATION) {
        const QRect anim = AnimationRect();
        if (!anim.isEmpty()) update(anim);
        return;
    }
    update();
}

// Where the animation of the page is drawn; empty on pages without one.
QRect CWAVRView::AnimationRect() const {
    const CSettingsModel& m = m_Core.Model();
    if (m.m_nPage == CPages::PAGE_STANDARD)
        return {STD_ANIMATION.x, STD_ANIMATION.y, STD_ANIMATION.w, STD_ANIMATION.h};
    if (m.m_nPage == CPages::PAGE_DELAY) return {660, m.m_bEasyExp ? 375 : 305, 140, 140};
    return {};
}

void CWAVRView::DrawCurve(const double* pValues, int nCount, int nPen, int bClear) {
    if (m_pGraph) m_pGraph->DrawCurve(pValues, nCount, nPen, bClear);
}
