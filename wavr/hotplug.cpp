#include "hotplug.h"

#include <QTimer>

#include "comm/comnames.h"
#include "comm/fileplatform.h"

EPortChange ClassifyPortEvent(const std::string& subsystem, const std::string& action,
                              const std::string& devnode, int* pComNumber) {
    if (pComNumber) *pComNumber = -1;
    if (subsystem != "tty" || devnode.empty()) return EPortChange::None;
    const int nCom = ZUtils::ComNumberFromDevicePath(devnode);
    if (nCom <= 0) return EPortChange::None; // consoles, pseudo-terminals and other ttys are no serial ports
    if (pComNumber) *pComNumber = nCom;
    if (action == "add") return EPortChange::Arrived;
    if (action == "remove") return EPortChange::Removed;
    return EPortChange::None;
}

CPortPathWatch::CChanges CPortPathWatch::Look() {
    CChanges changes;
    for (const std::string& path : ZUtils::ExtraPorts()) {
        SSeen now;
        now.bPresent = ZFile::Identity(path, &now.identity);
        auto [it, bNew] = m_Seen.try_emplace(path, SSeen{});
        const SSeen before = it->second;
        it->second = now;
        if (!m_bLooked || (bNew && !now.bPresent)) continue;
        const int nCom = ZUtils::ComNumberFromDevicePath(path);
        if (before.bPresent && (!now.bPresent || now.identity != before.identity))
            changes.push_back({EPortChange::Removed, nCom});
        if (now.bPresent && (!before.bPresent || now.identity != before.identity))
            changes.push_back({EPortChange::Arrived, nCom});
    }
    m_bLooked = true;
    return changes;
}

CHotplugMonitor::CHotplugMonitor(Handler handler, QObject* pParent)
    : QObject(pParent), m_Handler(std::move(handler)) {
    if (!ZUtils::ExtraPorts().empty()) {
        m_PathWatch.Look();
        m_pPathTimer = new QTimer(this);
        QObject::connect(m_pPathTimer, &QTimer::timeout, this, [this] {
            for (const auto& [change, nCom] : m_PathWatch.Look())
                if (m_Handler) m_Handler(change, nCom);
        });
        m_pPathTimer->start(PATH_LOOK_MS);
    }
    m_pSource = StartSystemHotplug([this](EPortChange change, int nCom) {
        if (m_Handler) m_Handler(change, nCom);
    });
}

// The source goes first: no notification reaches a monitor being taken apart.
CHotplugMonitor::~CHotplugMonitor() {
    m_pSource.reset();
}
