#include "ScreenFixture.h"

#include "controller/PhoneMessages.h"
#include "screens/DlgIncoming.h"

// The application comes up with its main view, and a ring brings the incoming call screen.
TEST_F(ScreenTest, StartsWithTheMainViewAndARingOpensTheIncomingScreen)
{
    ASSERT_TRUE(Start());
    EXPECT_TRUE(View().IsWindowVisible());
    Screenshot("main-view");
    ConnectPhone();
    State(5);
    Ring();
    ASSERT_NE(Screen<CDlgIncoming>(kScreenIncoming), nullptr);
    EXPECT_EQ(TakeTrace("screen open"), std::vector<std::string> { "screen open 6 CDlgIncoming" });
}
