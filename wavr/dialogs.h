// The three small skinned dialogs: the busy overlay, the OK/Cancel confirmation and the About box.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "guilib/gdiplusbitmap.h"

class CSkinButton;

// Laid over the whole view while a long sequence blocks the GUI thread; painted at once.
class CMsgDlg : public QWidget {
public:
    CMsgDlg(QWidget* pParent, const QString& text);
    void SetText(const QString& text);
    const QString& Text() const { return m_strText; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_strText;
};

class COkCancelDlg : public QDialog {
public:
    explicit COkCancelDlg(QWidget* pParent, bool bQuitQuestion);
    int m_bQuitQuestion = 0;

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    CGdiPlusBitmapResource m_Background, m_Message;
};

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* pParent);
    // The texts it shows besides its pictures, in the window's language.
    static QStringList Texts();
    // The program's version as the box shows it, in the window's language.
    static QString VersionText();

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* pEvent) override;

private:
    CGdiPlusBitmapResource m_Background, m_Content;
};
