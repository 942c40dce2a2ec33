// Connecting and disconnecting through ConnectButton, PortCombo and BaudCombo, with the title
// and the button's look that tell the user the state of the port.

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "LinkFixture.h"
#include "serial/SerialPort.h"
#include "support/PeerLineSettings.h"
#include "ui/qt/ConnectButtonWidget.h"
#include "ui/qt/SendEditorWidget.h"

namespace {

using namespace std::chrono_literals;

const QColor kPictureRed(255, 138, 138);

class ConnectionTest : public LinkTest {
  protected:
    void expectConnected() {
        EXPECT_EQ(GetTitle(), Cp1251(u"Порт открыт"));
        EXPECT_TRUE(SerialPort::IsOpen());
        EXPECT_TRUE(button()->isChecked());
        EXPECT_EQ(button()->text(), QString::fromUtf16(u"Разъединить"));
        EXPECT_FALSE(button()->picture().isNull());
    }

    void expectReleased(const char16_t* title) {
        EXPECT_EQ(GetTitle(), Cp1251(title));
        EXPECT_FALSE(SerialPort::IsOpen());
        EXPECT_FALSE(button()->isChecked());
        EXPECT_EQ(button()->text(), QString::fromUtf16(u"Соединить"));
        EXPECT_TRUE(button()->picture().isNull());
    }

    uint32_t peerRate(const PtyPeer& peer) const {
        return ReadPeerLineSettings(peer.controller).outputSpeed;
    }
};

bool IsDark(QRgb pixel) {
    return qGray(pixel) < 96;
}

TEST_F(ConnectionTest, ListsHoldAllPortsAndTheTwelveRatesWithNothingChosen) {
    ASSERT_EQ(portCombo()->count(), 256);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(portCombo()->itemText(i), QString("COM%1").arg(i + 1));
    const QStringList rates = {"1200",  "2400",  "4800",   "9600",   "19200",  "38400",
                               "57600", "76800", "115200", "230400", "460800", "1048576"};
    ASSERT_EQ(baudCombo()->count(), rates.size());
    for (int i = 0; i < rates.size(); ++i)
        EXPECT_EQ(baudCombo()->itemText(i), rates[i]);
    EXPECT_EQ(portCombo()->currentIndex(), -1);
    EXPECT_EQ(baudCombo()->currentIndex(), -1);
    EXPECT_EQ(GetText(PortCombo), "");
    EXPECT_EQ(GetText(BaudCombo), "");
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт закрыт"));
}

TEST_F(ConnectionTest, ClickConnectsWithTheLightRedPictureAndClickAgainDisconnects) {
    PtyPeer& peer = linkPort(5);
    const QImage face = button()->grab().toImage();
    connectTo(5, "9600");

    expectConnected();
    EXPECT_EQ(peerRate(peer), 9600u);
    EXPECT_FALSE(DeviceIsFree(peer.path));
    EXPECT_EQ(SerialPort::WriteText("AT\r"), 3);
    EXPECT_EQ(peer.Receive(3, 1s), "AT\r");

    EXPECT_EQ(button()->picture().devicePixelRatio(), button()->devicePixelRatioF())
        << "drawn at the screen's pixels";
    const QImage picture = button()->picture().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), QSize(80, 20));
    int darkInText = 0;
    int darkElsewhere = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if (!IsDark(pixel))
                continue;
            if (x >= 10 && x < 75 && y >= 5 && y < 18)
                ++darkInText;
            else if (x < 8 || y < 3)
                ++darkElsewhere;
        }
    }
    EXPECT_EQ(picture.pixelColor(0, 0), kPictureRed);
    EXPECT_EQ(picture.pixelColor(79, 0), kPictureRed);
    EXPECT_EQ(picture.pixelColor(0, 19), kPictureRed);
    EXPECT_GT(darkInText, 30) << "the word in black from (10, 5)";
    EXPECT_EQ(darkElsewhere, 0) << "nothing drawn left of or above the word";

    // On screen the picture covers the face inside a 2 pixel border.
    const QImage shown = button()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(3, 3), kPictureRed);
    EXPECT_EQ(shown.pixelColor(76, 16), kPictureRed);

    clickOn(ConnectButton);
    expectReleased(u"Порт закрыт");
    EXPECT_TRUE(DeviceIsFree(peer.path));
    EXPECT_NE(button()->grab().toImage().pixelColor(3, 3), kPictureRed);
    EXPECT_EQ(button()->grab().toImage(), face) << "the ordinary face again";
}

TEST_F(ConnectionTest, FailedOpenShowsTheErrorTitleAndReleasesTheButton) {
    PtyPeer& peer = linkPort(5);
    linkMissingPort(6);
    struct Attempt {
        const char* what;
        int port; // 0: nothing chosen
        const char* baudText;
    };
    const Attempt attempts[] = {
        {"no port chosen", 0, "9600"},         {"link to nothing", 6, "9600"},
        {"entry with no device", 250, "9600"}, {"empty rate", 5, ""},
        {"rate without digits", 5, "fast"},
    };
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.what);
        SetTitle("-");
        SetText(BaudCombo, attempt.baudText);
        if (attempt.port != 0)
            choosePort(attempt.port);
        clickOn(ConnectButton);
        expectReleased(u"Ошибка при открытии порта");
        EXPECT_TRUE(DeviceIsFree(peer.path));
    }
}

TEST_F(ConnectionTest, ChoosingAnotherPortWhileConnectedMovesThere) {
    PtyPeer& first = linkPort(5);
    PtyPeer& second = linkPort(6);
    linkMissingPort(7);
    connectTo(5);
    ASSERT_FALSE(DeviceIsFree(first.path));

    choosePort(6);
    expectConnected();
    EXPECT_TRUE(DeviceIsFree(first.path));
    EXPECT_FALSE(DeviceIsFree(second.path));
    EXPECT_EQ(peerRate(second), 9600u);
    EXPECT_EQ(SerialPort::WriteText("ATI\r"), 4);
    EXPECT_EQ(second.Receive(4, 1s), "ATI\r");
    EXPECT_EQ(first.Drain(), "");

    // The old port is closed before the new one fails.
    choosePort(7);
    expectReleased(u"Ошибка при открытии порта");
    EXPECT_TRUE(DeviceIsFree(second.path));

    // While disconnected a choice only repeats the closed state.
    choosePort(5);
    expectReleased(u"Порт закрыт");
    EXPECT_TRUE(DeviceIsFree(first.path));
}

TEST_F(ConnectionTest, ChoosingAnotherRateWhileConnectedReopensAtIt) {
    PtyPeer& peer = linkPort(5);
    connectTo(5, "1200");
    EXPECT_EQ(peerRate(peer), 1200u);
    baudCombo()->setCurrentIndex(8);
    expectConnected();
    EXPECT_EQ(peerRate(peer), 115200u);
    baudCombo()->setCurrentIndex(11);
    expectConnected();
    EXPECT_EQ(peerRate(peer), 1048576u);
}

TEST_F(ConnectionTest, EachTypedDigitReopensAtTheNumberSoFar) {
    PtyPeer& peer = linkPort(5);
    connectTo(5, "9600");
    baudEdit()->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    ASSERT_TRUE(baudEdit()->hasFocus());
    QTest::keyClick(baudEdit(), Qt::Key_A, Qt::ControlModifier);
    const char typed[] = "115200";
    const uint32_t expected[] = {1, 11, 115, 1152, 11520, 115200};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(expected[i]);
        SetTitle("-");
        QTest::keyClick(baudEdit(), typed[i]);
        expectConnected();
        EXPECT_EQ(peerRate(peer), expected[i]);
        EXPECT_EQ(GetText(BaudCombo), std::string(typed, i + 1)) << "nothing completed";
    }
    EXPECT_EQ(GetText(BaudCombo), "115200");
}

TEST_F(ConnectionTest, LeavingTheTypedRateNeitherReopensNorChangesIt) {
    PtyPeer& peer = linkPort(5);
    baudCombo()->setCurrentIndex(3);
    connectTo(5, "9600");
    baudEdit()->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    QTest::keyClick(baudEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(baudEdit(), "115200");
    ASSERT_EQ(peerRate(peer), 115200u);

    // Neither Enter nor leaving the field is an edit or a choice from the list.
    SetTitle("-");
    QTest::keyClick(baudEdit(), Qt::Key_Return);
    editor()->setFocus();
    ASSERT_FALSE(baudEdit()->hasFocus());
    EXPECT_EQ(GetTitle(), "-");
    EXPECT_EQ(GetText(BaudCombo), "115200");
    EXPECT_EQ(peerRate(peer), 115200u);

    // Nor is the window going away while the field still has the focus.
    baudEdit()->setFocus();
    ASSERT_TRUE(baudEdit()->hasFocus());
    DestroyMainWindow();
    EXPECT_TRUE(SerialPort::IsOpen()) << "no handler ran for the closing window";
}

TEST_F(ConnectionTest, TypedRateThatCannotOpenReleasesAndLaterKeysOnlyClose) {
    PtyPeer& peer = linkPort(5);
    connectTo(5, "9600");
    QTest::keyClick(baudEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(baudEdit(), ' ');
    expectReleased(u"Ошибка при открытии порта");
    EXPECT_TRUE(DeviceIsFree(peer.path));

    for (const char key : {'9', '6'}) {
        SetTitle("-");
        QTest::keyClick(baudEdit(), key);
        expectReleased(u"Порт закрыт");
        EXPECT_TRUE(DeviceIsFree(peer.path));
    }
    EXPECT_EQ(GetText(BaudCombo), " 96");
}

TEST_F(ConnectionTest, RateTextIsReadAsTheNumberItBeginsWith) {
    PtyPeer& peer = linkPort(5);
    const char* const texts[] = {" 9600abc",        "$2580",  "\t+9600",
                                 "%10010110000000", "9600.5", "4294976896"}; // 2^32 + 9600
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        connectTo(5, text);
        expectConnected();
        EXPECT_EQ(peerRate(peer), 9600u);
        clickOn(ConnectButton);
        ASSERT_FALSE(SerialPort::IsOpen());
    }
}

} // namespace
