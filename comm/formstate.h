// The dialog as data: per control ID, what a dialog template and its controls would hold. The editor
// core writes it; the view mirrors it into widgets and writes typed text back.
#pragma once

#include <map>
#include <string>

struct SControlState {
    std::string text;
    int x = 0, y = 0, cx = 0, cy = 0; // rectangle in view coordinates
    int nMin = 0, nMax = 0, nPos = 0; // value controls
    bool bVisible = false;
    bool bEnabled = true;
    int bToggle = 0; // toggle buttons: lit
    int nState = 0;  // multi-state buttons and speaker icons
};

class CFormState {
public:
    SControlState& Control(int nId) { return m_Controls[nId]; }
    const SControlState* Find(int nId) const {
        auto it = m_Controls.find(nId);
        return it == m_Controls.end() ? nullptr : &it->second;
    }
    void SetText(int nId, const std::string& text) { m_Controls[nId].text = text; }
    std::string Text(int nId) const {
        const SControlState* p = Find(nId);
        return p ? p->text : std::string();
    }
    void Show(int nId, bool bVisible) { m_Controls[nId].bVisible = bVisible; }
    void SetToggle(int nId, int bToggle) { m_Controls[nId].bToggle = bToggle ? 1 : 0; }
    void SetState(int nId, int nState) { m_Controls[nId].nState = nState; }
    void SetPos(int nId, int nPos) { m_Controls[nId].nPos = nPos; }
    const std::map<int, SControlState>& All() const { return m_Controls; }

private:
    std::map<int, SControlState> m_Controls;
};
