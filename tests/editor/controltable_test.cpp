// The control table against what the window has always done: which controls each page hides, which
// controls take key and wheel steps, which move from where they are pressed, and that every control
// of the main view has its row.
#include "editor/controltable.h"
#include "editor/dispatch.h"
#include "editor/pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

using ctl::SIdRange;

std::set<int> IdsOf(std::initializer_list<SIdRange> ranges) {
    std::set<int> ids;
    for (const SIdRange& r : ranges)
        for (int id = r.first; id <= r.last; ++id)
            ids.insert(id);
    return ids;
}

TEST(ControlTable, EachPageListsTheControlsItShows) {
    using namespace ctl;
    struct SCase {
        int nPage;
        std::set<int> ids;
    };
    const SCase cases[] = {
        {CPages::PAGE_STANDARD, IdsOf({One(MODE_SWITCH), One(EASY_SENS_SLIDER), One(EASY_SENS_BOX),
                                       One(EASY_SENS_UP), One(EASY_SENS_DOWN), One(EASY_LOW_HIGH),
                                       One(EASY_LOW_HIGH_2), One(ACTIVATE), INPUT_KIND, ARCH})},
        {CPages::PAGE_EXPERT,
         IdsOf({One(MODE_SWITCH), One(EXP_HIGHLOW), AUX_SENS_SLIDER, AUX_SENS_BOX, EXP_LABEL, EXP_ROUTE_MAIN,
                EXP_SENS_SLIDER, EXP_SENS_UP, EXP_SENS_DOWN, EXP_INPUT, EXP_SENS_BOX, EXP_ROUTE_AUX,
                EXP_ROUTE_NUMERICAL, AUX_SENS_UP, AUX_SENS_DOWN})},
        {CPages::PAGE_EQ, IdsOf({EQ_GAIN_SLIDER, EQ_Q_KNOB, EQ_FREQ_BOX, EQ_GAIN_BOX, EQ_Q_BOX, One(GRAPH)})},
        {CPages::PAGE_XOVER, IdsOf({XOVER_TYPE, One(GRAPH), One(HP_SLIDER), One(LP_SLIDER), One(HP_SLOPE_BOX),
                                    One(LP_SLOPE_BOX), One(HP_FREQ_BOX), One(LP_FREQ_BOX), XOVER_STEPPER})},
        {CPages::PAGE_DELAY, IdsOf({One(DELAY_CM_BOX), One(DELAY_MS_BOX), One(DELAY_IN_BOX), One(DELAY_PHASE),
                                    DELAY_STEP, SPEAKER, EXPERT_SPEAKER})},
        {5, {}},
        {-1, {}},
    };
    for (const SCase& c : cases) {
        const std::vector<int> listed = CPages::PageControls(c.nPage);
        EXPECT_EQ(std::set<int>(listed.begin(), listed.end()), c.ids) << "page " << c.nPage;
        EXPECT_EQ(listed.size(), c.ids.size()) << "page " << c.nPage << " lists a control twice";
    }
}

TEST(ControlTable, BoxesTakeStepsAndKnobsAndIconsMoveFromThePress) {
    using namespace ctl;
    const std::set<int> boxes =
        IdsOf({One(MAIN_LEVEL_BOX), One(CHANNEL_LEVEL_BOX), One(EASY_SENS_BOX), EXP_SENS_BOX, AUX_SENS_BOX,
               EQ_FREQ_BOX, EQ_GAIN_BOX, EQ_Q_BOX, One(HP_SLOPE_BOX), One(LP_SLOPE_BOX), One(HP_FREQ_BOX),
               One(LP_FREQ_BOX), One(DELAY_CM_BOX), One(DELAY_MS_BOX), One(DELAY_IN_BOX)});
    const std::set<int> fromThePress =
        IdsOf({One(MAIN_KNOB), One(CHANNEL_KNOB), EQ_Q_KNOB, SPEAKER, EXPERT_SPEAKER});
    for (int id = 0; id < 10000; ++id) {
        EXPECT_EQ(CDispatch::IsSteppable(id), boxes.count(id) == 1) << id;
        const EKind kind = KindOf(id);
        EXPECT_EQ(kind == EKind::KNOB || kind == EKind::ICON, fromThePress.count(id) == 1) << id;
    }
}

// Every control ID block is the table's but the dialogs' buttons and the step codes; a member's
// place in its group is its band, channel or input.
TEST(ControlTable, EveryControlOfTheViewHasItsRow) {
    using namespace ctl;
    const std::set<int> notTheViews = IdsOf({One(ABOUT_CLOSE), One(ABOUT_LINK), One(DIALOG_OK),
                                             One(DIALOG_CANCEL), One(STEP_UP), One(STEP_DOWN)});
    for (const SIdRange& block : kAllBlocks)
        for (int id = block.first; id <= block.last; ++id)
            EXPECT_EQ(FindGroup(id) != nullptr, notTheViews.count(id) == 0) << id;
    EXPECT_EQ(FindGroup(0), nullptr);
    EXPECT_EQ(KindOf(-1), EKind::NONE);
    EXPECT_EQ(MemberOf(1999), -1);
    const std::pair<int, int> members[] = {
        {EQ_GAIN_SLIDER.at(3), 3}, {EQ_Q_KNOB.last, 9}, {EQ_Q_BOX.first, 0}, {MUTE.at(7), 7}, {MAIN_KNOB, 0}};
    for (const auto& [id, nMember] : members)
        EXPECT_EQ(MemberOf(id), nMember) << id;
}

TEST(ControlTable, ScalesFollowTheValueLaws) {
    using namespace ctl;
    const std::pair<SIdRange, int> scales[] = {
        {One(MAIN_KNOB), 129}, {One(CHANNEL_KNOB), 129},    {EQ_GAIN_SLIDER, 25},
        {EQ_Q_KNOB, 19},       {One(EASY_SENS_SLIDER), 15}, {EXP_SENS_SLIDER, 15},
        {AUX_SENS_SLIDER, 15}, {One(HP_SLIDER), 126},       {One(LP_SLIDER), 126},
        {SPEAKER, 23},         {EXPERT_SPEAKER, 23},
    };
    for (const auto& [ids, nPositions] : scales)
        for (int id = ids.first; id <= ids.last; ++id)
            EXPECT_EQ(FindGroup(id)->nPositions, nPositions) << id;
}

} // namespace
