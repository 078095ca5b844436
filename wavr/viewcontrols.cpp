// The controls of the view, created once at their rectangles with their images and ranges; the page
// controls start hidden. Which are shown, and their values, come from the core's form state.
#include <QCoreApplication>
#include <array>

#include "abswitch.h"
#include "editor/abcompare.h"
#include "editor/controlids.h"
#include "editor/controltable.h"
#include "graph/filtergraphic.h"
#include "graph/systemgraph.h"
#include "guilib/gdiactiveslider.h"
#include "guilib/gdirotary.h"
#include "guilib/gdislider.h"
#include "guilib/notify.h"
#include "guilib/skinbutton.h"
#include "skin/skinids.h"
#include "skin/skinlayout.h"
#include "wavrview.h"

namespace {

using namespace SkinLayout;

QRect R(const SSkinRect& r) {
    return QRect(r.x, r.y, r.w, r.h);
}

// The highest position of a control's scale, as its group declares it.
int RangeMax(int nId) {
    const ctl::SControlGroup* pGroup = ctl::FindGroup(nId);
    return pGroup ? pGroup->nPositions - 1 : 0;
}

// Whether a control shows from the start: the fixed frame's do, the pages' wait for their page.
bool ShownFromStart(int nId) {
    const ctl::SControlGroup* pGroup = ctl::FindGroup(nId);
    return pGroup && (pGroup->pages & ctl::ON_FRAME);
}

// The skin images of a control: a button's four looks (normal, pressed, lit, lit and pressed), a
// knob's strip and ring, a fader's strip and track.
using SArt = std::array<int, 4>;

SArt Looks(int nFirst, int nIndex) {
    return {SkinId::ButtonLook(nFirst, nIndex, 0), SkinId::ButtonLook(nFirst, nIndex, 1),
            SkinId::ButtonLook(nFirst, nIndex, 2), SkinId::ButtonLook(nFirst, nIndex, 3)};
}

SArt StepperArt(bool bUp) {
    const int nNormal = bUp ? SkinId::STEP_UP : SkinId::STEP_DOWN;
    const int nPressed = bUp ? SkinId::STEP_UP_PRESSED : SkinId::STEP_DOWN_PRESSED;
    return {nNormal, nPressed, nNormal, nPressed};
}

QRect StepperRect(bool bUp, int x, int y) {
    return QRect(x, y, 20, bUp ? 16 : 15);
}

} // namespace

void CWAVRView::CreateControls() {
    // Every widget is made as the kind its group in the control table declares, with the group's
    // scale and first visibility, at its rectangle of the window layout with its skin art.
    auto make = [this](int nId, QRect rect, const SArt& art = {}) -> QWidget* {
        QWidget* pWidget = nullptr;
        switch (ctl::KindOf(nId)) {
        case ctl::EKind::BOX:
            pWidget = new CViewEdit(this, nId);
            break;
        case ctl::EKind::KNOB: {
            auto* p = new CGdiRotary(this);
            p->SetDlgCtrlID(nId);
            if (art[1]) { // a strip turning inside a ring
                p->SetIconImage(art[0], "PNG", 0, 4, 101, 101);
                p->SetIconBGImage(art[1], "PNG", 0, 0, 101, 90);
            } else {
                p->SetIconImage(art[0], "PNG", 0, 0, static_cast<float>(rect.width()),
                                static_cast<float>(rect.height()));
            }
            p->SetRange(0, RangeMax(nId));
            pWidget = p;
            break;
        }
        case ctl::EKind::FADER: {
            auto* p = new CGdiSlider(this);
            p->SetDlgCtrlID(nId);
            p->SetIconImage(SkinId::FADER_STRIP, "PNG", 0, 0, 34, 31);
            p->SetIconBGImage(SkinId::FADER_TRACK, "PNG", 15, 0, 8, 107);
            p->SetRange(0, RangeMax(nId));
            p->SetVertical(true);
            p->SetInverted(true);
            p->SetPos(15);
            pWidget = p;
            break;
        }
        case ctl::EKind::SLIDER: {
            auto* p = new CGdiSlider(this);
            p->SetDlgCtrlID(nId);
            p->SetIconImage(SkinId::HSLIDER_THUMB, "PNG", 0, 0, 28, 28);
            p->SetIconFill(SkinId::HSLIDER_FILL, "PNG", 4, 8);
            p->SetIconBGImage(SkinId::HSLIDER_TRACK, "PNG", 0, 0, 170, 28);
            p->SetRange(0, RangeMax(nId));
            pWidget = p;
            break;
        }
        case ctl::EKind::BUTTON:
        case ctl::EKind::STEPPER: {
            auto* p = new CSkinButton(this);
            p->SetDlgCtrlID(nId);
            p->SetIcons(art[0], "PNG", art[1], "PNG", art[2], "PNG", art[3], "PNG");
            pWidget = p;
            break;
        }
        case ctl::EKind::SELECTOR: { // a look per architecture, lit and unlit
            auto* p = new CSkinButton2(this);
            p->SetDlgCtrlID(nId);
            const bool bPair = ctl::PAIR.contains(nId);
            std::array<int, 8> ids{};
            for (int nState = 0; nState < 4; ++nState) {
                ids[2 * nState] = SkinId::SelectButton(bPair, ctl::MemberOf(nId), nState, true);
                ids[2 * nState + 1] = SkinId::SelectButton(bPair, ctl::MemberOf(nId), nState, false);
            }
            p->SetIcons(ids);
            pWidget = p;
            break;
        }
        case ctl::EKind::ICON: {
            auto* p = new CGdiActiveSlider(this);
            p->SetDlgCtrlID(nId);
            p->SetRange(0, RangeMax(nId));
            pWidget = p;
            break;
        }
        case ctl::EKind::PLOT: {
            auto* p = new CFilterGraphic(this);
            m_pGraph = p;
            pWidget = p;
            break;
        }
        case ctl::EKind::NONE:
        case ctl::EKind::AREA:
            return nullptr; // no widget of its own
        }
        const bool bVisible = ShownFromStart(nId);
        pWidget->setGeometry(rect);
        pWidget->setVisible(bVisible);
        m_Controls[nId] = pWidget;
        if (auto* pState = dynamic_cast<IAppliesState*>(pWidget)) m_StateViews[nId] = pState;
        SControlState& state = m_Core.Form().Control(nId);
        state.bVisible = bVisible;
        state.x = rect.x();
        state.y = rect.y();
        state.cx = rect.width();
        state.cy = rect.height();
        return pWidget;
    };

    // Fixed frame.
    make(ctl::MAIN_LEVEL_BOX, R(MAIN_EDIT));
    make(ctl::CHANNEL_LEVEL_BOX, R(CHANNEL_EDIT));
    make(ctl::MAIN_KNOB, R(MAIN_KNOB), {SkinId::KNOB_STRIP, SkinId::RING_MAIN});
    make(ctl::CHANNEL_KNOB, R(CHANNEL_KNOB), {SkinId::KNOB_STRIP, SkinId::RING_CHANNEL});
    make(ctl::MAIN_UP, StepperRect(true, MAIN_STEP_UP.x, MAIN_STEP_UP.y), StepperArt(true));
    make(ctl::MAIN_DOWN, StepperRect(false, MAIN_STEP_DOWN.x, MAIN_STEP_DOWN.y), StepperArt(false));
    make(ctl::CHANNEL_UP, StepperRect(true, CHANNEL_STEP_UP.x, CHANNEL_STEP_UP.y), StepperArt(true));
    make(ctl::CHANNEL_DOWN, StepperRect(false, CHANNEL_STEP_DOWN.x, CHANNEL_STEP_DOWN.y), StepperArt(false));
    const SArt phase = {SkinId::PHASE, SkinId::PHASE + 1, SkinId::PHASE + 2, SkinId::PHASE + 3};
    make(ctl::PHASE, R(PHASE), phase);
    make(ctl::DELAY_PHASE, R(TA_PHASE), phase);
    const SArt solo = {SkinId::SOLO_OFF, SkinId::SOLO_OFF, SkinId::SOLO_ON, SkinId::SOLO_ON};
    const SArt mute = {SkinId::MUTE_OFF, SkinId::MUTE_OFF, SkinId::MUTE_ON, SkinId::MUTE_ON};
    for (int i = 0; i < ctl::CHANNEL.count(); ++i) {
        make(ctl::CHANNEL.at(i), QRect(CHANNEL_X[i], CHANNEL_Y, CHANNEL_W, CHANNEL_H));
        make(ctl::SOLO.at(i), QRect(CHANNEL_SOLO_X[i], CHANNEL_SOLO_Y, MUTE_W, MUTE_H), solo);
        make(ctl::MUTE.at(i), QRect(CHANNEL_SOLO_X[i], CHANNEL_MUTE_Y, MUTE_W, MUTE_H), mute);
    }
    for (int g = 0; g < ctl::PAIR.count(); ++g) {
        make(ctl::PAIR.at(g), QRect(PAIR_X[g], PAIR_Y, PAIR_W, PAIR_H));
        make(ctl::PAIR_SOLO.at(g), QRect(PAIR_SOLO_X[g], PAIR_SOLO_Y, MUTE_W, MUTE_H), solo);
        make(ctl::PAIR_MUTE.at(g), QRect(PAIR_SOLO_X[g], PAIR_MUTE_Y, MUTE_W, MUTE_H), mute);
    }
    for (int t = 0; t < ctl::TAB.count(); ++t)
        make(ctl::TAB.at(t), R(TABS[t]), Looks(SkinId::TAB_FIRST, t));
    make(ctl::EQ_SWITCH, R(EQ_SWITCH), {SkinId::EQ_OFF, SkinId::EQ_OFF, SkinId::EQ_ON, SkinId::EQ_ON});
    make(ctl::HELP, R(HELP), {SkinId::HELP, SkinId::HELP + 1, SkinId::HELP + 2, SkinId::HELP + 3});
    make(ctl::MANUAL, R(MANUAL),
         {SkinId::MANUAL, SkinId::MANUAL_PRESSED, SkinId::MANUAL, SkinId::MANUAL_PRESSED});

    // Standard configuration page.
    make(ctl::MODE_SWITCH, R(MODE_SWITCH),
         {SkinId::MODE_STANDARD, SkinId::MODE_STANDARD, SkinId::MODE_EXPERT, SkinId::MODE_EXPERT});
    for (int k = 0; k < ctl::INPUT_KIND.count(); ++k) {
        make(ctl::INPUT_KIND.at(k), QRect(STD_BUTTON_X[k], STD_INPUT_Y, BUTTON_W, BUTTON_H),
             Looks(SkinId::INPUT_KIND_FIRST, k));
        make(ctl::ARCH.at(k), QRect(STD_BUTTON_X[k], STD_ARCH_Y, BUTTON_W, BUTTON_H),
             Looks(SkinId::ARCH_FIRST, k));
    }
    make(ctl::ACTIVATE, R(STD_ACTIVATE),
         {SkinId::ACTIVATE, SkinId::ACTIVATE + 1, SkinId::ACTIVATE, SkinId::ACTIVATE + 1});
    make(ctl::EASY_SENS_SLIDER, R(STD_SENS_SLIDER));
    make(ctl::EASY_SENS_BOX, R(STD_SENS_EDIT));
    make(ctl::EASY_SENS_UP, StepperRect(true, STD_SENS_UP.x, STD_SENS_UP.y), StepperArt(true));
    make(ctl::EASY_SENS_DOWN, StepperRect(false, STD_SENS_DOWN.x, STD_SENS_DOWN.y), StepperArt(false));
    const SArt level = {SkinId::LEVEL_LOW, SkinId::LEVEL_LOW, SkinId::LEVEL_HIGH, SkinId::LEVEL_HIGH};
    make(ctl::EASY_LOW_HIGH, R(STD_LEVEL_SWITCH), level);
    make(ctl::EASY_LOW_HIGH_2, QRect(307, 359, 110, 49), level);

    // Expert configuration page.
    for (int k = 0; k < ctl::EXP_INPUT.count(); ++k)
        make(ctl::EXP_INPUT.at(k), QRect(EXP_INPUT_X[k], EXP_INPUT_Y, BUTTON_W, BUTTON_H),
             Looks(SkinId::EXPERT_INPUT_FIRST, k));
    make(ctl::EXP_HIGHLOW, R(EXP_LEVEL_SWITCH), level);
    for (int k = 0; k < 3; ++k) {
        const int nImage = SkinId::ROW_LABEL_MAIN + k;
        make(ctl::EXP_LABEL.at(k), k == 0 ? R(EXP_ROW_LABEL_MAIN) : R(EXP_ROW_LABEL_PAIR),
             {nImage, nImage, nImage, nImage});
    }
    // One level group: slider, box and the two steppers, on the row at y.
    auto sensitivity = [&](int nSlider, int nBox, int nUp, int nDown, int y) {
        make(nSlider, QRect(EXP_SENS_SLIDER_X, y + 4, 170, 28));
        make(nBox, QRect(EXP_SENS_FRAME_X + EXP_SENS_EDIT_DX, y + EXP_SENS_EDIT_DY, 35, 14));
        make(nUp, StepperRect(true, EXP_SENS_FRAME_X + EXP_SENS_STEP_DX, y + EXP_SENS_UP_DY),
             StepperArt(true));
        make(nDown, StepperRect(false, EXP_SENS_FRAME_X + EXP_SENS_STEP_DX, y + EXP_SENS_DOWN_DY),
             StepperArt(false));
    };
    for (int c = 0; c < ctl::EXP_SENS_SLIDER.count(); ++c) // the page shows those of inputs 1, 3 and 5
        sensitivity(ctl::EXP_SENS_SLIDER.at(c), ctl::EXP_SENS_BOX.at(c), ctl::EXP_SENS_UP.at(c),
                    ctl::EXP_SENS_DOWN.at(c), EXP_SENS_Y[c / 2]);
    for (int c = 0; c < ctl::AUX_SENS_SLIDER.count(); ++c)
        sensitivity(ctl::AUX_SENS_SLIDER.at(c), ctl::AUX_SENS_BOX.at(c), ctl::AUX_SENS_UP.at(c),
                    ctl::AUX_SENS_DOWN.at(c), EXP_SENS_Y[3]);
    auto light = [&](int nId, int o, double y) {
        const int x = EXP_MATRIX_COL_X[o] - ROUTE_LIGHT_SIZE / 2;
        make(nId, QRect(x, static_cast<int>(y), ROUTE_LIGHT_SIZE, ROUTE_LIGHT_SIZE),
             Looks(SkinId::ROUTE_LIGHT, 0));
    };
    for (int o = 0; o < 8; ++o) {
        for (int n = 0; n < 6; ++n)
            light(ctl::EXP_ROUTE_MAIN.at(6 * o + n), o, EXP_MATRIX_TOP + n * EXP_MAIN_ROW_PITCH + 5);
        for (int n = 0; n < 2; ++n) {
            light(ctl::EXP_ROUTE_AUX.at(2 * o + n), o, EXP_MATRIX_TOP + n * EXP_AUX_ROW_PITCH + 1);
            light(ctl::EXP_ROUTE_NUMERICAL.at(2 * o + n), o, EXP_MATRIX_TOP + n * EXP_AUX_ROW_PITCH + 1);
        }
    }

    // Equalizer page: the controls of each band side by side.
    for (int b = 0; b < ctl::EQ_GAIN_SLIDER.count(); ++b) {
        make(ctl::EQ_GAIN_SLIDER.at(b), QRect(EQ_GAIN_X[b], EQ_GAIN_Y, EQ_GAIN_W, EQ_GAIN_H));
        make(ctl::EQ_Q_KNOB.at(b), QRect(EQ_Q_X[b], EQ_Q_Y, EQ_Q_SIZE, EQ_Q_SIZE), {SkinId::QKNOB_STRIP});
        make(ctl::EQ_FREQ_BOX.at(b), QRect(EQ_FREQ_X[b], EQ_FREQ_Y, EQ_FREQ_W, EQ_FREQ_H));
        make(ctl::EQ_GAIN_BOX.at(b), QRect(EQ_GAINEDIT_X[b], EQ_GAINEDIT_Y, EQ_GAINEDIT_W, EQ_GAINEDIT_H));
        make(ctl::EQ_Q_BOX.at(b), QRect(EQ_QEDIT_X[b], EQ_QEDIT_Y, EQ_GAINEDIT_W, EQ_GAINEDIT_H));
    }
    make(ctl::GRAPH, R(GRAPH));
    m_pGraph->LoadBackground(SkinId::GRAPH_BACKGROUND, "PNG");
    // Clicking a curve of the system view selects its channel as the channel's button does.
    m_pSystemGraph = new CSystemGraph(m_pGraph, &m_Core.Model(), [this](int nChannel) {
        QCoreApplication::postEvent(this,
                                    new CCtrlNotifyEvent(WM_SKIN_BTN_UP, ctl::CHANNEL.first + nChannel, 0));
    });

    // The A/B comparison in the header: a click on the side not live switches, as F8 does.
    m_pAbSwitch = new CAbSwitch(this, [this] { OnMenuCommand(ID_AB_SWITCH); });

    // Crossover page.
    for (int t = 0; t < ctl::XOVER_TYPE.count(); ++t)
        make(ctl::XOVER_TYPE.at(t), QRect(XO_TYPE_X[t], XO_TYPE_Y, BUTTON_W, BUTTON_H),
             Looks(SkinId::XOVER_TYPE_FIRST, t));
    make(ctl::HP_SLIDER, R(XO_HP_SLIDER));
    make(ctl::LP_SLIDER, R(XO_LP_SLIDER));
    auto xoEdit = [&](int nId, const SSkinRect& frame) {
        make(nId, QRect(frame.x + XO_EDIT_DX, frame.y + XO_EDIT_DY, XO_EDIT_W, XO_EDIT_H));
    };
    xoEdit(ctl::HP_SLOPE_BOX, XO_HP_SLOPE);
    xoEdit(ctl::LP_SLOPE_BOX, XO_LP_SLOPE);
    xoEdit(ctl::HP_FREQ_BOX, XO_HP_FREQ);
    xoEdit(ctl::LP_FREQ_BOX, XO_LP_FREQ);
    for (int k = 0; k < ctl::XOVER_STEPPER.count(); ++k) // never shown
        make(ctl::XOVER_STEPPER.at(k), StepperRect(k % 2 == 0, 0, 0), StepperArt(k % 2 == 0));

    // Time-alignment page: ms, cm and inch boxes with their steppers.
    const int kDelayBox[3] = {ctl::DELAY_MS_BOX, ctl::DELAY_CM_BOX, ctl::DELAY_IN_BOX};
    for (int i = 0; i < 3; ++i) {
        make(kDelayBox[i], QRect(TA_FRAME_X[i] + TA_EDIT_DX, TA_FRAME_Y + TA_EDIT_DY, 36, 16));
        make(ctl::DELAY_STEP.at(2 * i), StepperRect(true, TA_FRAME_X[i] + TA_STEP_DX, TA_FRAME_Y + TA_UP_DY),
             StepperArt(true));
        make(ctl::DELAY_STEP.at(2 * i + 1),
             StepperRect(false, TA_FRAME_X[i] + TA_STEP_DX, TA_FRAME_Y + TA_DOWN_DY), StepperArt(false));
    }
    for (const ctl::SIdRange& icons : {ctl::SPEAKER, ctl::EXPERT_SPEAKER}) // placed on their track later
        for (int nId = icons.first; nId <= icons.last; ++nId)
            make(nId, QRect(0, 0, 42, 42));
    ReloadSpeakerIcons();
}
