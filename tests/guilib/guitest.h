// Helpers of the widget tests: a parent that records the notifications posted to it, and a trace
// capture.
#pragma once

#include <QCoreApplication>
#include <QWidget>
#include <ostream>
#include <string>
#include <vector>

#include "comm/trace.h"
#include "guilib/notify.h"

struct SNote {
    unsigned nMessage;
    int nId;
    int nValue;
    bool operator==(const SNote&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const SNote& n) {
    return os << "(" << n.nMessage << ", " << n.nId << ", " << n.nValue << ")";
}

class CRecorder : public QWidget {
public:
    CRecorder() { resize(600, 400); }

    // Delivers what was posted and returns it (without hover reports unless asked), oldest first.
    std::vector<SNote> Take(bool bWithHover = false) {
        QCoreApplication::sendPostedEvents(this, CCtrlNotifyEvent::EventType());
        std::vector<SNote> out;
        for (const auto& n : m_Notes)
            if (bWithHover || n.nMessage != WM_CTRL_HOVER) out.push_back(n);
        m_Notes.clear();
        return out;
    }
    // What has been delivered so far without delivering anything.
    size_t Delivered() const { return m_Notes.size(); }

protected:
    bool event(QEvent* pEvent) override {
        if (pEvent->type() != CCtrlNotifyEvent::EventType()) return QWidget::event(pEvent);
        const auto* p = static_cast<CCtrlNotifyEvent*>(pEvent);
        m_Notes.push_back({p->Message(), p->CtrlId(), p->Value()});
        return true;
    }

private:
    std::vector<SNote> m_Notes;
};

// Collects the trace text while alive.
class CTraceCapture {
public:
    CTraceCapture() {
        TraceSetSink([this](std::string_view sz) { m_sz.append(sz); });
    }
    ~CTraceCapture() { TraceSetSink({}); }
    bool Has(const std::string& sz) const { return m_sz.find(sz) != std::string::npos; }
    const std::string& Text() const { return m_sz; }

private:
    std::string m_sz;
};
