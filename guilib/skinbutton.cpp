#include "skinbutton.h"

#include <QMouseEvent>
#include <QPainter>

#include "comm/trace.h"

CSkinButtonBase::CSkinButtonBase(QWidget* pParent) : CSkinCtrl(pParent) {
    setFocusPolicy(Qt::NoFocus);
    SetRepeatTimer(std::make_unique<CQtButtonTimer>());
}

CSkinButtonBase::~CSkinButtonBase() {
    OnDestroy();
}

void CSkinButtonBase::SetRepeatTimer(std::unique_ptr<CButtonTimer> pTimer) {
    if (m_pTimer) m_pTimer->Kill();
    m_pTimer = std::move(pTimer);
    m_pTimer->m_fnTick = [this] { OnTimer(TIMER_ID_REPEAT); };
}

void CSkinButtonBase::OnDestroy() {
    m_bDestroying = 1;
    m_pTimer->Kill();
}

void CSkinButtonBase::OnTimer(int nId) {
    if (nId != TIMER_ID_REPEAT) return;
    TRACE("\r\nOnTimer ");
    Post(WM_SKIN_BTN_REPEAT, 0);
    m_pTimer->Kill();
    m_pTimer->Set(REPEAT_NEXT_MS);
}

void CSkinButtonBase::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    DrawImage(p, CurrentImage(), QRectF(rect()));
    if (m_strText.isEmpty()) return;
    p.setPen(Qt::white);
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_strText);
}

int CSkinButtonBase::TakeClickToggle() {
    if (m_ClickToggles.empty()) return m_bToggleOn;
    const int bToggle = m_ClickToggles.front();
    m_ClickToggles.pop_front();
    return bToggle;
}

void CSkinButtonBase::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton) return CSkinCtrl::mousePressEvent(pEvent);
    Post(WM_SKIN_BTN_DOWN, 0);
    SetCapture();
    m_bPressed = 1;
    m_pTimer->Kill();
    if (!m_bDestroying) {
        BeforeSetTimer();
        m_pTimer->Set(REPEAT_FIRST_MS);
    }
    update();
}

void CSkinButtonBase::mouseMoveEvent(QMouseEvent*) {
    TrackHover();
}

void CSkinButtonBase::mouseReleaseEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton) return CSkinCtrl::mouseReleaseEvent(pEvent);
    if (!ReleaseReachesUs(pEvent->position().toPoint())) return;
    ReleaseCapture();
    m_bPressed = 0;
    if (FlipsOnRelease()) m_bToggleOn = !m_bToggleOn;
    if (m_ClickToggles.size() < kMaxQueuedClicks) m_ClickToggles.push_back(m_bToggleOn);
    update();
    Post(WM_SKIN_BTN_UP, 0);
    m_pTimer->Kill();
}

void CSkinButtonBase::focusOutEvent(QFocusEvent* pEvent) {
    CSkinCtrl::focusOutEvent(pEvent);
    if (!HasCapture()) return;
    // The release will not reach us any more: stop repeating as well, or a lost release would
    // keep stepping a value for ever.
    ReleaseCapture();
    m_bPressed = 0;
    m_pTimer->Kill();
    update();
}

bool CSkinButton::SetIcons(int nNormal, const char* pszNormalType, int nPress, const char* pszPressType,
                           int nToggle, const char* pszToggleType, int nTogglePress,
                           const char* pszTogglePressType) {
    m_bToggleEnable = 0;
    if (!LoadSlot(m_pIconNormal, nNormal, pszNormalType, "!!!!!!!ERROR SetIconNormal \r\n")) return false;
    if (!LoadSlot(m_pIconPress, nPress, pszPressType, "!!!!!!!ERROR m_pIconPress \r\n")) return false;
    if (!LoadSlot(m_pIconToggleNormal, nToggle, pszToggleType, "!!!!!!!ERROR SetIconToggleNormal \r\n"))
        return false;
    if (!LoadSlot(m_pIconTogglePress, nTogglePress, pszTogglePressType,
                  "\r\n!!!!!!!ERROR SetIconToggleImage "))
        return false;
    m_bToggleEnable = 1;
    return true;
}

const CGdiPlusBitmap* CSkinButton::CurrentImage() const {
    if (m_bPressed) return m_bToggleOn ? m_pIconTogglePress.get() : m_pIconPress.get();
    return m_bToggleOn ? m_pIconToggleNormal.get() : m_pIconNormal.get();
}

bool CSkinButton2::SetIcons(const std::array<int, 8>& ids, const char* pszType) {
    for (int i = 0; i < STATES; ++i) {
        LoadSlot(m_pIconOn[i], ids[2 * i], pszType, "!!!!!!!ERROR SetIconNormal \r\n");
        LoadSlot(m_pIconOff[i], ids[2 * i + 1], pszType, "!!!!!!!ERROR SetIconNormal \r\n");
    }
    return true;
}

bool CSkinButton2::SetState(int nState) {
    if (nState < 0 || nState >= STATES) {
        TRACE("!!!!!!!ERROR index[%d] \r\n", nState);
        return false;
    }
    m_nState = nState;
    return true;
}

const CGdiPlusBitmap* CSkinButton2::CurrentImage() const {
    return m_bToggleOn ? m_pIconOn[m_nState].get() : m_pIconOff[m_nState].get();
}

void CSkinButton2::BeforeSetTimer() {
    TRACE("\r\nSetTimer");
}

void CSkinButtonBase::ApplyState(const SControlState& state) {
    SetToggle(state.bToggle);
    update();
}

void CSkinButton2::ApplyState(const SControlState& state) {
    SetState(state.nState);
    CSkinButtonBase::ApplyState(state);
}
