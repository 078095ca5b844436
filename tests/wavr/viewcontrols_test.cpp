// The view creates every control of the control table as the kind its row declares, with the row's
// scale, and shows from the start exactly the fixed frame's controls.
#include <QApplication>
#include <gtest/gtest.h>

#include <map>

#include "editor/controltable.h"
#include "graph/filtergraphic.h"
#include "guilib/gdiactiveslider.h"
#include "guilib/gdirotary.h"
#include "guilib/gdislider.h"
#include "guilib/skinbutton.h"
#include "skin/skinmanifest.h"
#include "wavr/wavrview.h"

namespace {

TEST(ViewControls, EveryRowMadeAsDeclared) {
    InitSkinResources();
    CWAVRView view;
    std::map<int, QWidget*> widgets; // by control ID
    // The classes carry no meta-object of their own, so findChild<T*> would take any widget for them.
    QWidget* pGraph = nullptr;
    for (QWidget* p : view.findChildren<QWidget*>()) {
        if (auto* pCtrl = dynamic_cast<CSkinCtrl*>(p)) widgets[pCtrl->GetDlgCtrlID()] = p;
        if (auto* pEdit = dynamic_cast<CViewEdit*>(p)) widgets[pEdit->Id()] = p;
        if (dynamic_cast<CFilterGraphic*>(p)) pGraph = p;
    }
    for (const ctl::SControlGroup& group : ctl::kControlGroups) {
        for (int nId = group.ids.first; nId <= group.ids.last; ++nId) {
            QWidget* p = widgets.count(nId) ? widgets[nId] : nullptr;
            if (group.kind == ctl::EKind::PLOT) {
                p = pGraph;
            } else if (group.kind == ctl::EKind::AREA) {
                EXPECT_EQ(p, nullptr) << nId;
                continue;
            }
            ASSERT_NE(p, nullptr) << nId;
            int nMax = -1;
            switch (group.kind) {
            case ctl::EKind::BOX:
                EXPECT_NE(dynamic_cast<CViewEdit*>(p), nullptr) << nId;
                break;
            case ctl::EKind::KNOB:
                ASSERT_NE(dynamic_cast<CGdiRotary*>(p), nullptr) << nId;
                nMax = dynamic_cast<CGdiRotary*>(p)->GetRangeMax();
                break;
            case ctl::EKind::FADER:
            case ctl::EKind::SLIDER:
                ASSERT_NE(dynamic_cast<CGdiSlider*>(p), nullptr) << nId;
                nMax = dynamic_cast<CGdiSlider*>(p)->GetRangeMax();
                break;
            case ctl::EKind::BUTTON:
            case ctl::EKind::STEPPER:
                EXPECT_NE(dynamic_cast<CSkinButton*>(p), nullptr) << nId;
                break;
            case ctl::EKind::SELECTOR:
                EXPECT_NE(dynamic_cast<CSkinButton2*>(p), nullptr) << nId;
                break;
            case ctl::EKind::ICON:
                EXPECT_NE(dynamic_cast<CGdiActiveSlider*>(p), nullptr) << nId;
                break;
            default:
                break;
            }
            if (nMax >= 0) {
                EXPECT_EQ(nMax, group.nPositions - 1) << nId;
            }
            const bool bFrame = (group.pages & ctl::ON_FRAME) != 0;
            EXPECT_EQ(view.Core().Form().Control(nId).bVisible, bFrame) << nId;
            // The graph's own widget is left to the first mirror of the form (SyncFromForm).
            if (group.kind != ctl::EKind::PLOT) {
                EXPECT_EQ(!p->isHidden(), bFrame) << nId;
            }
        }
    }
}

} // namespace
