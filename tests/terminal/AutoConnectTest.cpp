// Automatic reconnection, counted in receive ticks while no port is open, and a device that
// goes away under the open port and comes back.

#include <QLineEdit>
#include <QTest>
#include <sys/file.h>

#include "LinkFixture.h"
#include "serial/SerialPort.h"
#include "shared/TerminalState.h"
#include "support/ScratchDirectory.h"
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

    // Connected to COM5 with the peer's first bytes shown and logged; then the device goes, as
    // an unplugged adapter or a board that resets: its node and everything it sent are gone.
    void connectAndLoseTheDevice() {
        SetChecked(LogCheck, true);
        terminal.LogFlag = 1;
        clickOn(CharOption);
        PtyPeer& peer = linkPort(5);
        connectTo(5);
        sendFromPeer(peer, "shown ");
        tick();
        // Taken from the system by a count between ticks: shown before the port is closed.
        sendFromPeer(peer, "taken");
        ASSERT_EQ(SerialPort::BytesWaiting(), 5);
        peer.CloseController();
        SetTitle("-");
        tick();
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

TEST_F(AutoConnectTest, GoneDeviceIsClosedInOneTickAfterWhatWasTakenAndOpenedOnceItIsBack) {
    connectAndLoseTheDevice();
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт закрыт"));
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_FALSE(button()->isChecked());
    EXPECT_EQ(button()->text(), QString::fromUtf16(u"Соединить"));
    EXPECT_TRUE(button()->picture().isNull());
    EXPECT_EQ(GetText(ReceiveView), "shown taken");
    EXPECT_EQ(ReadBytes(logFiles().front()), "shown taken");
    EXPECT_TRUE(boxes->texts.empty()) << "no message box";
    // No attempt while the device is away; the count goes on as before.
    tick(30);
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт закрыт"));
    EXPECT_EQ(terminal.ReconnectTicks, 30);

    linkPort(5).Send("first words");
    tick();
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт открыт"));
    EXPECT_TRUE(button()->isChecked());
    tick();
    EXPECT_EQ(terminal.ReconnectTicks, 0);
    EXPECT_EQ(ReadBytes(logFiles().front()), "shown takenfirst words") << "the same log goes on";
}

TEST_F(AutoConnectTest, DeviceBackButHeldIsTriedEveryTickForOneSecondThenOnceItComesBackAgain) {
    connectAndLoseTheDevice();
    PtyPeer& back = linkPort(5);
    const int holder = open(back.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    for (int i = 1; i <= 25; ++i) {
        SetTitle("-");
        tick();
        ASSERT_EQ(GetTitle(), Cp1251(u"Ошибка при открытии порта")) << "tick " << i;
        ASSERT_FALSE(button()->isChecked());
    }
    close(holder);
    SetTitle("-");
    tick(10);
    EXPECT_EQ(GetTitle(), "-") << "not tried again while it stays";
    linkMissingPort(5);
    tick();
    linkPort(5);
    tick();
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт открыт"));
    EXPECT_EQ(terminal.ReconnectTicks, 37) << "counted on as before";
}

TEST_F(AutoConnectTest, UserChangeEndsTheWaitForTheGoneDevice) {
    for (const ControlId changed : {ConnectButton, PortCombo, BaudCombo}) {
        SCOPED_TRACE(changed);
        connectAndLoseTheDevice();
        if (changed == ConnectButton) {
            clickOn(ConnectButton); // fails: the device is not there
            EXPECT_FALSE(SerialPort::IsOpen());
        } else if (changed == PortCombo) {
            choosePort(6);
            choosePort(5);
        } else {
            baudEdit()->setFocus();
            QTest::keyClick(baudEdit(), Qt::Key_0);
        }
        linkPort(5);
        EXPECT_EQ(ticksUntilAttempt(300), 250 - terminal.ReconnectTicks);
        SerialPort::Close();
        SetChecked(ConnectButton, false);
        terminal.ReconnectTicks = 0;
    }
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

    // Nor is a device that went away opened once it is back.
    connectAndLoseTheDevice();
    linkPort(5);
    tick(300);
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт закрыт"));
}

} // namespace
