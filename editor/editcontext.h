// What an editing part works on: the settings model, the form state, the host and the writer. Each
// part holds this instead of the whole core, so the parts depend on what they use and on the parts
// below them only.
#pragma once

struct CSettingsModel;
class CFormState;
class IEditorHost;
class CSettingsWriter;

struct SEditContext {
    CSettingsModel& m_Model;
    CFormState& m_Form;
    IEditorHost& m_Host;
    CSettingsWriter& m_Writer;

    // The main and channel level boxes and knobs of the top bar, from the model.
    void RefreshLevelDisplays() const;
};
