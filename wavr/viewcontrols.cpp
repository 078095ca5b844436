// The controls of the view, created once at their rectangles with their images and ranges; the page
// controls start hidden. Which are shown, and their values, come from the core's form state.
#include <QCoreApplication>
#include <array>
#include <type_traits>

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

} // namespace

void CWAVRView::CreateControls() {
    // Every widget takes its first visibility and its range from its group in the control table.
    auto place = [this](auto* pWidget, int nId, QRect rect) {
        const bool bVisible = ShownFromStart(nId);
        pWidget->setGeometry(rect);
        pWidget->setVisible(bVisible);
        m_Controls[nId] = pWidget;
        if constexpr (std::is_base_of_v<IAppliesState, std::remove_pointer_t<decltype(pWidget)>>)
            m_StateViews[nId] = pWidget;
        m_Core.Form().Control(nId).bVisible = bVisible;
        m_Core.Form().Control(nId).x = rect.x();
        m_Core.Form().Control(nId).y = rect.y();
        m_Core.Form().Control(nId).cx = rect.width();
        m_Core.Form().Control(nId).cy = rect.height();
    };
    auto button = [&](int nId, int nNormal, int nPressed, int nToggle, int nTogglePressed, QRect rect) {
        auto* p = new CSkinButton(this);
        p->SetDlgCtrlID(nId);
        p->SetIcons(nNormal, "PNG", nPressed, "PNG", nToggle, "PNG", nTogglePressed, "PNG");
        place(p, nId, rect);
        return p;
    };
    auto looks = [&](int nId, int nFirst, int nIndex, QRect rect) {
        button(nId, SkinId::ButtonLook(nFirst, nIndex, 0), SkinId::ButtonLook(nFirst, nIndex, 1),
               SkinId::ButtonLook(nFirst, nIndex, 2), SkinId::ButtonLook(nFirst, nIndex, 3), rect);
    };
    auto stepper = [&](int nId, bool bUp, int x, int y) {
        button(nId, bUp ? SkinId::STEP_UP : SkinId::STEP_DOWN,
               bUp ? SkinId::STEP_UP_PRESSED : SkinId::STEP_DOWN_PRESSED,
               bUp ? SkinId::STEP_UP : SkinId::STEP_DOWN,
               bUp ? SkinId::STEP_UP_PRESSED : SkinId::STEP_DOWN_PRESSED, QRect(x, y, 20, bUp ? 16 : 15));
    };
    auto edit = [&](int nId, QRect rect) { place(new CViewEdit(this, nId), nId, rect); };
    auto hslider = [&](int nId, QRect rect) {
        auto* p = new CGdiSlider(this);
        p->SetDlgCtrlID(nId);
        p->SetIconImage(SkinId::HSLIDER_THUMB, "PNG", 0, 0, 28, 28);
        p->SetIconFill(SkinId::HSLIDER_FILL, "PNG", 4, 8);
        p->SetIconBGImage(SkinId::HSLIDER_TRACK, "PNG", 0, 0, 170, 28);
        p->SetRange(0, RangeMax(nId));
        place(p, nId, rect);
    };
    auto rotary = [&](int nId, int nStrip, int nRing, QRect rect) {
        auto* p = new CGdiRotary(this);
        p->SetDlgCtrlID(nId);
        if (nRing) {
            p->SetIconImage(nStrip, "PNG", 0, 4, 101, 101);
            p->SetIconBGImage(nRing, "PNG", 0, 0, 101, 90);
        } else {
            p->SetIconImage(nStrip, "PNG", 0, 0, static_cast<float>(rect.width()),
                            static_cast<float>(rect.height()));
        }
        p->SetRange(0, RangeMax(nId));
        place(p, nId, rect);
    };
    auto fader = [&](int nId, QRect rect) {
        auto* p = new CGdiSlider(this);
        p->SetDlgCtrlID(nId);
        p->SetIconImage(SkinId::FADER_STRIP, "PNG", 0, 0, 34, 31);
        p->SetIconBGImage(SkinId::FADER_TRACK, "PNG", 15, 0, 8, 107);
        p->SetRange(0, RangeMax(nId));
        p->SetVertical(true);
        p->SetInverted(true);
        p->SetPos(15);
        place(p, nId, rect);
    };
    auto selector = [&](int nId, bool bPair, int nIndex, QRect rect) {
        auto* p = new CSkinButton2(this);
        p->SetDlgCtrlID(nId);
        std::array<int, 8> ids{};
        for (int s = 0; s < 4; ++s) {
            ids[2 * s] = SkinId::SelectButton(bPair, nIndex, s, true);
            ids[2 * s + 1] = SkinId::SelectButton(bPair, nIndex, s, false);
        }
        p->SetIcons(ids);
        place(p, nId, rect);
    };

    // Fixed frame.
    edit(ctl::MAIN_LEVEL_BOX, R(MAIN_EDIT));
    edit(ctl::CHANNEL_LEVEL_BOX, R(CHANNEL_EDIT));
    rotary(ctl::MAIN_KNOB, SkinId::KNOB_STRIP, SkinId::RING_MAIN, R(MAIN_KNOB));
    rotary(ctl::CHANNEL_KNOB, SkinId::KNOB_STRIP, SkinId::RING_CHANNEL, R(CHANNEL_KNOB));
    stepper(ctl::MAIN_UP, true, MAIN_STEP_UP.x, MAIN_STEP_UP.y);
    stepper(ctl::MAIN_DOWN, false, MAIN_STEP_DOWN.x, MAIN_STEP_DOWN.y);
    stepper(ctl::CHANNEL_UP, true, CHANNEL_STEP_UP.x, CHANNEL_STEP_UP.y);
    stepper(ctl::CHANNEL_DOWN, false, CHANNEL_STEP_DOWN.x, CHANNEL_STEP_DOWN.y);
    for (int nId : {ctl::PHASE, ctl::DELAY_PHASE})
        button(nId, SkinId::PHASE, SkinId::PHASE + 1, SkinId::PHASE + 2, SkinId::PHASE + 3,
               nId == ctl::PHASE ? R(PHASE) : R(TA_PHASE));
    for (int i = 0; i < ctl::CHANNEL.count(); ++i) {
        selector(ctl::CHANNEL.at(i), false, i, QRect(CHANNEL_X[i], CHANNEL_Y, CHANNEL_W, CHANNEL_H));
        button(ctl::SOLO.at(i), SkinId::SOLO_OFF, SkinId::SOLO_OFF, SkinId::SOLO_ON, SkinId::SOLO_ON,
               QRect(CHANNEL_SOLO_X[i], CHANNEL_SOLO_Y, MUTE_W, MUTE_H));
        button(ctl::MUTE.at(i), SkinId::MUTE_OFF, SkinId::MUTE_OFF, SkinId::MUTE_ON, SkinId::MUTE_ON,
               QRect(CHANNEL_SOLO_X[i], CHANNEL_MUTE_Y, MUTE_W, MUTE_H));
    }
    for (int g = 0; g < ctl::PAIR.count(); ++g) {
        selector(ctl::PAIR.at(g), true, g, QRect(PAIR_X[g], PAIR_Y, PAIR_W, PAIR_H));
        button(ctl::PAIR_SOLO.at(g), SkinId::SOLO_OFF, SkinId::SOLO_OFF, SkinId::SOLO_ON, SkinId::SOLO_ON,
               QRect(PAIR_SOLO_X[g], PAIR_SOLO_Y, MUTE_W, MUTE_H));
        button(ctl::PAIR_MUTE.at(g), SkinId::MUTE_OFF, SkinId::MUTE_OFF, SkinId::MUTE_ON, SkinId::MUTE_ON,
               QRect(PAIR_SOLO_X[g], PAIR_MUTE_Y, MUTE_W, MUTE_H));
    }
    for (int t = 0; t < ctl::TAB.count(); ++t)
        looks(ctl::TAB.at(t), SkinId::TAB_FIRST, t, R(TABS[t]));
    button(ctl::EQ_SWITCH, SkinId::EQ_OFF, SkinId::EQ_OFF, SkinId::EQ_ON, SkinId::EQ_ON, R(EQ_SWITCH));
    button(ctl::HELP, SkinId::HELP, SkinId::HELP + 1, SkinId::HELP + 2, SkinId::HELP + 3, R(HELP));
    button(ctl::MANUAL, SkinId::MANUAL, SkinId::MANUAL_PRESSED, SkinId::MANUAL, SkinId::MANUAL_PRESSED,
           R(MANUAL));

    // Standard configuration page.
    button(ctl::MODE_SWITCH, SkinId::MODE_STANDARD, SkinId::MODE_STANDARD, SkinId::MODE_EXPERT,
           SkinId::MODE_EXPERT, R(MODE_SWITCH));
    for (int k = 0; k < ctl::INPUT_KIND.count(); ++k) {
        looks(ctl::INPUT_KIND.at(k), SkinId::INPUT_KIND_FIRST, k,
              QRect(STD_BUTTON_X[k], STD_INPUT_Y, BUTTON_W, BUTTON_H));
        looks(ctl::ARCH.at(k), SkinId::ARCH_FIRST, k, QRect(STD_BUTTON_X[k], STD_ARCH_Y, BUTTON_W, BUTTON_H));
    }
    button(ctl::ACTIVATE, SkinId::ACTIVATE, SkinId::ACTIVATE + 1, SkinId::ACTIVATE, SkinId::ACTIVATE + 1,
           R(STD_ACTIVATE));
    hslider(ctl::EASY_SENS_SLIDER, R(STD_SENS_SLIDER));
    edit(ctl::EASY_SENS_BOX, R(STD_SENS_EDIT));
    stepper(ctl::EASY_SENS_UP, true, STD_SENS_UP.x, STD_SENS_UP.y);
    stepper(ctl::EASY_SENS_DOWN, false, STD_SENS_DOWN.x, STD_SENS_DOWN.y);
    for (int nId : {ctl::EASY_LOW_HIGH, ctl::EASY_LOW_HIGH_2})
        button(nId, SkinId::LEVEL_LOW, SkinId::LEVEL_LOW, SkinId::LEVEL_HIGH, SkinId::LEVEL_HIGH,
               nId == ctl::EASY_LOW_HIGH ? R(STD_LEVEL_SWITCH) : QRect(307, 359, 110, 49));

    // Expert configuration page.
    for (int k = 0; k < ctl::EXP_INPUT.count(); ++k)
        looks(ctl::EXP_INPUT.at(k), SkinId::EXPERT_INPUT_FIRST, k,
              QRect(EXP_INPUT_X[k], EXP_INPUT_Y, BUTTON_W, BUTTON_H));
    button(ctl::EXP_HIGHLOW, SkinId::LEVEL_LOW, SkinId::LEVEL_LOW, SkinId::LEVEL_HIGH, SkinId::LEVEL_HIGH,
           R(EXP_LEVEL_SWITCH));
    for (int k = 0; k < 3; ++k) {
        const int nImage = SkinId::ROW_LABEL_MAIN + k;
        button(ctl::EXP_LABEL.at(k), nImage, nImage, nImage, nImage,
               k == 0 ? R(EXP_ROW_LABEL_MAIN) : R(EXP_ROW_LABEL_PAIR));
    }
    // One level group: slider, box and the two steppers, on the row at y.
    auto sensitivity = [&](int nSlider, int nBox, int nUp, int nDown, int y) {
        hslider(nSlider, QRect(EXP_SENS_SLIDER_X, y + 4, 170, 28));
        edit(nBox, QRect(EXP_SENS_FRAME_X + EXP_SENS_EDIT_DX, y + EXP_SENS_EDIT_DY, 35, 14));
        stepper(nUp, true, EXP_SENS_FRAME_X + EXP_SENS_STEP_DX, y + EXP_SENS_UP_DY);
        stepper(nDown, false, EXP_SENS_FRAME_X + EXP_SENS_STEP_DX, y + EXP_SENS_DOWN_DY);
    };
    for (int c = 0; c < ctl::EXP_SENS_SLIDER.count(); ++c) // the page shows those of inputs 1, 3 and 5
        sensitivity(ctl::EXP_SENS_SLIDER.at(c), ctl::EXP_SENS_BOX.at(c), ctl::EXP_SENS_UP.at(c),
                    ctl::EXP_SENS_DOWN.at(c), EXP_SENS_Y[c / 2]);
    for (int c = 0; c < ctl::AUX_SENS_SLIDER.count(); ++c)
        sensitivity(ctl::AUX_SENS_SLIDER.at(c), ctl::AUX_SENS_BOX.at(c), ctl::AUX_SENS_UP.at(c),
                    ctl::AUX_SENS_DOWN.at(c), EXP_SENS_Y[3]);
    auto light = [&](int nId, int o, double y) {
        const int x = EXP_MATRIX_COL_X[o] - ROUTE_LIGHT_SIZE / 2;
        looks(nId, SkinId::ROUTE_LIGHT, 0, QRect(x, static_cast<int>(y), ROUTE_LIGHT_SIZE, ROUTE_LIGHT_SIZE));
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
        fader(ctl::EQ_GAIN_SLIDER.at(b), QRect(EQ_GAIN_X[b], EQ_GAIN_Y, EQ_GAIN_W, EQ_GAIN_H));
        rotary(ctl::EQ_Q_KNOB.at(b), SkinId::QKNOB_STRIP, 0, QRect(EQ_Q_X[b], EQ_Q_Y, EQ_Q_SIZE, EQ_Q_SIZE));
        edit(ctl::EQ_FREQ_BOX.at(b), QRect(EQ_FREQ_X[b], EQ_FREQ_Y, EQ_FREQ_W, EQ_FREQ_H));
        edit(ctl::EQ_GAIN_BOX.at(b), QRect(EQ_GAINEDIT_X[b], EQ_GAINEDIT_Y, EQ_GAINEDIT_W, EQ_GAINEDIT_H));
        edit(ctl::EQ_Q_BOX.at(b), QRect(EQ_QEDIT_X[b], EQ_QEDIT_Y, EQ_GAINEDIT_W, EQ_GAINEDIT_H));
    }
    m_pGraph = new CFilterGraphic(this);
    place(m_pGraph, ctl::GRAPH, R(GRAPH));
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
        looks(ctl::XOVER_TYPE.at(t), SkinId::XOVER_TYPE_FIRST, t,
              QRect(XO_TYPE_X[t], XO_TYPE_Y, BUTTON_W, BUTTON_H));
    hslider(ctl::HP_SLIDER, R(XO_HP_SLIDER));
    hslider(ctl::LP_SLIDER, R(XO_LP_SLIDER));
    auto xoEdit = [&](int nId, const SSkinRect& frame) {
        edit(nId, QRect(frame.x + XO_EDIT_DX, frame.y + XO_EDIT_DY, XO_EDIT_W, XO_EDIT_H));
    };
    xoEdit(ctl::HP_SLOPE_BOX, XO_HP_SLOPE);
    xoEdit(ctl::LP_SLOPE_BOX, XO_LP_SLOPE);
    xoEdit(ctl::HP_FREQ_BOX, XO_HP_FREQ);
    xoEdit(ctl::LP_FREQ_BOX, XO_LP_FREQ);
    for (int k = 0; k < ctl::XOVER_STEPPER.count(); ++k) // never shown
        stepper(ctl::XOVER_STEPPER.at(k), k % 2 == 0, 0, 0);

    // Time-alignment page: ms, cm and inch boxes with their steppers.
    const int kDelayBox[3] = {ctl::DELAY_MS_BOX, ctl::DELAY_CM_BOX, ctl::DELAY_IN_BOX};
    for (int i = 0; i < 3; ++i) {
        edit(kDelayBox[i], QRect(TA_FRAME_X[i] + TA_EDIT_DX, TA_FRAME_Y + TA_EDIT_DY, 36, 16));
        stepper(ctl::DELAY_STEP.at(2 * i), true, TA_FRAME_X[i] + TA_STEP_DX, TA_FRAME_Y + TA_UP_DY);
        stepper(ctl::DELAY_STEP.at(2 * i + 1), false, TA_FRAME_X[i] + TA_STEP_DX, TA_FRAME_Y + TA_DOWN_DY);
    }
    for (const ctl::SIdRange& icons : {ctl::SPEAKER, ctl::EXPERT_SPEAKER}) {
        for (int nId = icons.first; nId <= icons.last; ++nId) {
            auto* pIcon = new CGdiActiveSlider(this);
            pIcon->SetDlgCtrlID(nId);
            pIcon->SetRange(0, RangeMax(nId));
            place(pIcon, nId, QRect(0, 0, 42, 42));
        }
    }
    ReloadSpeakerIcons();
}
