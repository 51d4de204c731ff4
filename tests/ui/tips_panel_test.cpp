// The tips panel shows its five tips under a title counting them, ignores
// keys, and is freed by its frame once the screen that opened it closes it.
#include "tables_fixture.h"

namespace {

using TipsPanelTest = UiTablesTest;

TEST_F(TipsPanelTest, FiveTipsUnderACountingTitleUntilItsParentClosesIt)
{
    Screen parent;
    Screen* panel = OpenTipsPanel(&parent);
    ASSERT_NE(panel, nullptr);
    OpenChildScreen(&parent, panel);
    SetCurrentScreen(panel);
    panel->key(panel, 27);
    EXPECT_EQ(panel->alive, 1) << "keys do not close it";

    ClearDisplayList();
    StepChildScreen(&parent);
    ASSERT_EQ(DisplayList.items[0].kind, UiTitle);
    EXPECT_STREQ(DisplayList.items[0].text.Text(), "5 Tips");
    const TextId tips[] = {TX_3h_tip_pesc, TX_3h_tip_prst, TX_3h_tip_ffwr, TX_3h_tip_rtcg, TX_3h_tip_brak};
    ASSERT_EQ(DisplayList.count, 2 + 5);
    for (int i = 0; i < 5; ++i) {
        const UiItem& tip = DisplayList.items[2 + i];
        EXPECT_STREQ(tip.text.Text(), GetText(tips[i]));
        EXPECT_NEAR(tip.y1, -0.73f + 0.1f * static_cast<float>(i), 1e-5f);
        EXPECT_EQ(tip.owner, nullptr);
    }

    CloseScreen(panel);
    StepChildScreen(&parent);
    EXPECT_EQ(parent.child, nullptr);
}

} // namespace
