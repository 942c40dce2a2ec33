// Automatic reconnection, counted in receive ticks while no port is open.

#include "shared/TerminalState.h"
#include "LinkFixture.h"
#include "serial/SerialPort.h"
#include "ui/qt/ConnectButtonWidget.h"

namespace {

class AutoConnectTest : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        SetChecked(AutoConnectCheck, true);
        terminal.AutoConnectFlag = 1;
    }

    // Ticks until the title changes from a marker; the number of ticks taken, 0 for none.
    int ticksUntilAttempt(int limit) {
        SetTitle("-");
        for (int i = 1; i <= limit; ++i) {
            tick();
            if (GetTitle() != "-")
                return i;
        }
        return 0;
    }
};

TEST_F(AutoConnectTest, WithoutDeviceFirstAttemptAt250ThenEvery50) {
    choosePort(250); // no device behind it
    SetTitle("-");
    tick(249);
    EXPECT_EQ(GetTitle(), "-");
    EXPECT_EQ(terminal.ReconnectTicks, 249);
    tick();
    EXPECT_EQ(GetTitle(), Cp1251(u"Ошибка при открытии порта"));
    EXPECT_EQ(terminal.ReconnectTicks, 200);
    EXPECT_FALSE(button()->isChecked());
    EXPECT_TRUE(button()->picture().isNull());

    for (int attempt = 0; attempt < 2; ++attempt) {
        SetTitle("-");
        for (int i = 1; i < 50; ++i) {
            tick();
            ASSERT_EQ(GetTitle(), "-") << "tick " << i;
            ASSERT_FALSE(button()->isChecked());
        }
        tick();
        EXPECT_EQ(GetTitle(), Cp1251(u"Ошибка при открытии порта"));
        EXPECT_FALSE(button()->isChecked());
        EXPECT_FALSE(SerialPort::IsOpen());
    }
}

TEST_F(AutoConnectTest, ClearedFlagHoldsTheCountWhichResumesLater) {
    choosePort(250);
    tick(230);
    SetChecked(AutoConnectCheck, false);
    terminal.AutoConnectFlag = 0;
    SetTitle("-");
    tick(500);
    EXPECT_EQ(terminal.ReconnectTicks, 230);
    EXPECT_EQ(GetTitle(), "-");

    SetChecked(AutoConnectCheck, true);
    terminal.AutoConnectFlag = 1;
    EXPECT_EQ(ticksUntilAttempt(100), 20);
}

TEST_F(AutoConnectTest, ReleasingTheButtonIsFollowedByAnAttempt250TicksLater) {
    linkPort(5);
    connectTo(5);
    tick(10);
    EXPECT_EQ(terminal.ReconnectTicks, 0);
    clickOn(ConnectButton);
    ASSERT_FALSE(SerialPort::IsOpen());
    EXPECT_EQ(ticksUntilAttempt(300), 250);
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт открыт"));
}

TEST_F(AutoConnectTest, AttemptWithDeviceConnectsAndNextTickResetsTheCount) {
    PtyPeer& peer = linkPort(5);
    SetText(BaudCombo, "19200");
    choosePort(5);
    tick(249);
    EXPECT_FALSE(SerialPort::IsOpen());
    tick();
    EXPECT_TRUE(SerialPort::IsOpen());
    EXPECT_FALSE(DeviceIsFree(peer.path));
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт открыт"));
    EXPECT_TRUE(button()->isChecked());
    EXPECT_EQ(button()->text(), QString::fromUtf16(u"Разъединить"));
    EXPECT_FALSE(button()->picture().isNull());
    EXPECT_EQ(terminal.ReconnectTicks, 200);
    tick();
    EXPECT_EQ(terminal.ReconnectTicks, 0);
    EXPECT_TRUE(SerialPort::IsOpen());
}

TEST_F(AutoConnectTest, WithTheFlagOffTicksDoNothing) {
    SetChecked(AutoConnectCheck, false);
    terminal.AutoConnectFlag = 0;
    linkPort(5);
    choosePort(5);
    SetTitle("-");
    tick(600);
    EXPECT_EQ(terminal.ReconnectTicks, 0);
    EXPECT_EQ(GetTitle(), "-");
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_FALSE(button()->isChecked());
    EXPECT_EQ(GetText(ReceiveView), "");
}

} // namespace
