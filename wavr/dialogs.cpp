#include "dialogs.h"

#include <QCoreApplication>

#include <QDesktopServices>
#include <QKeyEvent>
#include <QPainter>
#include <QUrl>

#include "comm/ctrlmessages.h"
#include "comm/trace.h"
#include "editor/controlids.h"
#include "guilib/notify.h"
#include "guilib/skinbutton.h"
#include "skin/skinids.h"
#include "uilanguage.h"

namespace {

constexpr const char* kWebSite = "https://www.example.com/";
// Where the About box names the version: below the web link, level with the close button.
const QRect kVersionRect(48, 289, 300, 20);

void LoadImage(CGdiPlusBitmapResource& image, int nId) {
    if (!image.Load(nId, "PNG")) TRACE("!!!!!!!ERROR SetIconImage \r\n");
}

CSkinButton* MakeButton(QWidget* pParent, int nId, int nNormal, int nPressed, QRect rect) {
    auto* pButton = new CSkinButton(pParent);
    pButton->SetDlgCtrlID(nId);
    pButton->SetIcons(nNormal, "PNG", nPressed, "PNG", nNormal, "PNG", nPressed, "PNG");
    pButton->setGeometry(rect);
    return pButton;
}

} // namespace

CMsgDlg::CMsgDlg(QWidget* pParent, const QString& text) : QWidget(pParent), m_strText(text) {
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    // Covers the whole view, 30 pixels taller, above everything.
    setGeometry(0, 0, pParent->width(), pParent->height() + 30);
    raise();
}

void CMsgDlg::SetText(const QString& text) {
    m_strText = text;
    update();
}

void CMsgDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(16, 16, 18, 100)); // 100 of 255: the view shows through
    QFont font = p.font();
    font.setPixelSize(50);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(rect(), Qt::AlignCenter, m_strText);
}

COkCancelDlg::COkCancelDlg(QWidget* pParent, bool bQuitQuestion)
    : QDialog(pParent), m_bQuitQuestion(bQuitQuestion) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    LoadImage(m_Background, SkinId::DIALOG_BACKGROUND);
    if (UiLanguage() == EUiLanguage::English)
        LoadImage(m_Message, m_bQuitQuestion ? SkinId::MSG_QUIT_EN : SkinId::MSG_SAVE_EN);
    else
        LoadImage(m_Message, m_bQuitQuestion ? SkinId::MSG_QUIT : SkinId::MSG_SAVE);
    setFixedSize(m_Background.IsLoaded() ? m_Background.GetWidth() : 600,
                 m_Background.IsLoaded() ? m_Background.GetHeight() : 334);
    MakeButton(this, ctl::DIALOG_OK, SkinId::BTN_OK, SkinId::BTN_OK_PRESSED, QRect(500, 135, 81, 34));
    MakeButton(this, ctl::DIALOG_CANCEL, SkinId::BTN_CANCEL, SkinId::BTN_CANCEL_PRESSED,
               QRect(400, 135, 81, 34));
}

void COkCancelDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_Background.IsLoaded()) p.drawImage(0, 0, *m_Background.Image());
    if (m_Message.IsLoaded()) p.drawImage(10, 10, *m_Message.Image());
}

bool COkCancelDlg::event(QEvent* pEvent) {
    if (pEvent->type() == CCtrlNotifyEvent::EventType()) {
        auto* pNotify = static_cast<CCtrlNotifyEvent*>(pEvent);
        if (pNotify->Message() == WM_SKIN_BTN_UP && pNotify->CtrlId() == ctl::DIALOG_OK) {
            TRACE("\r\n IDC_BTN_OK");
            accept();
        } else if (pNotify->Message() == WM_SKIN_BTN_UP && pNotify->CtrlId() == ctl::DIALOG_CANCEL) {
            TRACE("\r\n IDC_BTN_CANCEL");
            reject();
        }
        return true;
    }
    return QDialog::event(pEvent);
}

void COkCancelDlg::keyPressEvent(QKeyEvent* pEvent) {
    // Only the two buttons end the dialog: Enter and Escape do nothing.
    if (pEvent->key() == Qt::Key_Escape || pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(pEvent);
}

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent) {
    setWindowTitle("About ORVIX MANAGER");
    setModal(true);
    setFixedSize(607, 365);
    LoadImage(m_Background, SkinId::DIALOG_BACKGROUND);
    LoadImage(m_Content, SkinId::ABOUT_CONTENT);
    MakeButton(this, ctl::ABOUT_CLOSE, SkinId::BTN_CANCEL, SkinId::BTN_CANCEL_PRESSED,
               QRect(495, 282, 81, 34));
    const int nLink = UiLanguage() == EUiLanguage::English ? SkinId::WEB_LINK : SkinId::WEB_LINK_ZH;
    CSkinButton* pLink = MakeButton(this, ctl::ABOUT_LINK, nLink, nLink, QRect(48, 195, 100, 19));
    pLink->setCursor(Qt::PointingHandCursor);
}

QStringList CAboutDlg::Texts() {
    return {QCoreApplication::translate("CAboutDlg", "Set-up software for the MLB-8 eight-channel car-audio\n"
                                                     "digital signal processor: levels, 10-band equalizer,\n"
                                                     "crossovers, time alignment and input routing."),
            QCoreApplication::translate("CAboutDlg", "ON THE WEB"),
            QCoreApplication::translate("CAboutDlg",
                                        "Connect the processor over USB;\nit is found on any port.")};
}

QString CAboutDlg::VersionText() {
    return QCoreApplication::translate("CAboutDlg", "Version %1").arg(QStringLiteral(MLB8_VERSION));
}

void CAboutDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(24, 24, 26));
    if (m_Background.IsLoaded()) p.drawImage(0, 0, *m_Background.Image());
    if (m_Content.IsLoaded()) p.drawImage(10, 10, *m_Content.Image());
    // The texts of the content picture, in the window's language (offset by the picture's place).
    const QStringList texts = Texts();
    auto font = [](int nPixels, bool bBold) {
        QFont f(QStringLiteral("Noto Sans CJK SC"));
        f.setPixelSize(nPixels);
        f.setBold(bBold);
        return f;
    };
    p.setFont(font(12, false));
    p.setPen(QColor(0x8c, 0x93, 0x9c));
    p.drawText(QRect(172, 116, 410, 70), Qt::AlignLeft | Qt::AlignTop, texts[0]);
    p.setPen(QColor(0x5c, 0x63, 0x6b));
    p.setFont(font(9, true));
    p.drawText(QRect(48, 170, 300, 18), Qt::AlignLeft | Qt::AlignVCenter, texts[1]);
    p.setFont(font(10, false));
    p.drawText(QRect(310, 224, 265, 30), Qt::AlignRight | Qt::AlignVCenter, texts[2]);
    p.setFont(font(13, false));
    p.setPen(QColor(230, 230, 230));
    p.drawText(kVersionRect, Qt::AlignLeft | Qt::AlignVCenter, VersionText());
}

bool CAboutDlg::event(QEvent* pEvent) {
    if (pEvent->type() == CCtrlNotifyEvent::EventType()) {
        auto* pNotify = static_cast<CCtrlNotifyEvent*>(pEvent);
        if (pNotify->Message() == WM_SKIN_BTN_UP && pNotify->CtrlId() == ctl::ABOUT_CLOSE)
            accept();
        else if (pNotify->Message() == WM_SKIN_BTN_UP && pNotify->CtrlId() == ctl::ABOUT_LINK)
            QDesktopServices::openUrl(QUrl(kWebSite));
        return true;
    }
    return QDialog::event(pEvent);
}
