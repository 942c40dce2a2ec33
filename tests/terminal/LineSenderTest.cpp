// Lines typed into SendEditor go out on Enter as Windows-1251 bytes and one CR.

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "LinkFixture.h"
#include "serial/SerialPort.h"
#include "ui/qt/SendEditorWidget.h"

namespace {

using namespace std::chrono_literals;

class LineSenderTest : public ConnectedLinkTest {
  protected:
    void SetUp() override {
        ConnectedLinkTest::SetUp();
        editor()->setFocus();
    }

    // Key by key, each carrying its text, as a keyboard layout would deliver it.
    void type(const QString& text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Press, editor(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, editor(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
    }
    void pressReturn() { QTest::keyClick(editor(), Qt::Key_Return); }
    void pressKeypadEnter() { QTest::keyClick(editor(), Qt::Key_Enter, Qt::KeypadModifier); }

    // What reached the device, waiting a little for stragglers.
    std::string sent() const { return peer->Drain(); }
};

TEST_F(LineSenderTest, EnterSendsTheLineJustTypedWithOneCR) {
    QTest::keyClicks(editor(), "ATZ");
    EXPECT_EQ(sent(), "") << "nothing before Enter";
    pressReturn();
    EXPECT_EQ(sent(), "\x41\x54\x5A\x0D");

    QTest::keyClicks(editor(), "ATI");
    pressKeypadEnter();
    EXPECT_EQ(sent(), "ATI\r") << "only the second line";

    pressReturn();
    EXPECT_EQ(sent(), "") << "an empty line sends nothing";
    EXPECT_EQ(GetText(SendEditor), "ATZ\r\nATI\r\n\r\n") << "the editor keeps everything";

    QTest::keyClicks(editor(), "ATS");
    QTest::keyClick(editor(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(sent(), "ATS\r") << "Shift+Enter is Enter";
    EXPECT_FALSE(editor()->document()->toRawText().contains(QChar::LineSeparator))
        << "a real line break, not a soft one within the line";
    EXPECT_TRUE(boxes->texts.empty());
}

TEST_F(LineSenderTest, LineSentIsTheOneTheLastBreakEnds) {
    QTest::keyClicks(editor(), "abcdef");
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(editor(), Qt::Key_Left);
    pressReturn();
    EXPECT_EQ(GetText(SendEditor), "abc\r\ndef");
    EXPECT_EQ(sent(), "abc\r");

    QTest::keyClick(editor(), Qt::Key_End);
    pressReturn();
    EXPECT_EQ(sent(), "def\r");

    // Enter at the end of an earlier line ends an empty line last.
    QTest::keyClicks(editor(), "l2");
    QTest::keyClick(editor(), Qt::Key_Up);
    QTest::keyClick(editor(), Qt::Key_End);
    pressReturn();
    EXPECT_EQ(GetText(SendEditor), "abc\r\ndef\r\n\r\nl2");
    EXPECT_EQ(sent(), "");
    EXPECT_TRUE(boxes->texts.empty());
}

TEST_F(LineSenderTest, CyrillicGoesOutAsWindows1251Bytes) {
    type(QString::fromUtf16(u"Привет, мир! Ёё€日"));
    pressReturn();
    EXPECT_EQ(sent(), "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xA8\xB8\x88?\r")
        << "a character without a Windows-1251 byte goes as '?'";
}

TEST_F(LineSenderTest, TabsAndSpacesAreKeptAtBothEnds) {
    QTest::keyClicks(editor(), "  a b");
    editor()->insertPlainText("\t\tc\t"); // the Tab key itself moves the focus
    QTest::keyClicks(editor(), " ");
    pressReturn();
    EXPECT_EQ(sent(), "  a b\t\tc\t \r");
}

TEST_F(LineSenderTest, PastedLinesSendNothingUntilEnter) {
    QGuiApplication::clipboard()->setText("one\ntwo\r\nthree");
    QTest::keyClick(editor(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(GetText(SendEditor), "one\r\ntwo\r\nthree");
    EXPECT_EQ(sent(), "");
    pressReturn();
    EXPECT_EQ(sent(), "three\r");

    QGuiApplication::clipboard()->setText("four\nfive\n");
    QTest::keyClick(editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(sent(), "");
    pressReturn();
    EXPECT_EQ(sent(), "") << "the last break now ends an empty line";
}

TEST_F(LineSenderTest, WithNoPortOpenEveryEnterSaysSoAndKeepsTheBreak) {
    clickOn(ConnectButton);
    ASSERT_FALSE(SerialPort::IsOpen());
    QTest::keyClicks(editor(), "abc");
    pressReturn();
    ASSERT_EQ(boxes->texts.size(), 1u);
    EXPECT_EQ(boxes->texts[0], QString::fromUtf16(u"Нет откытого порта"));
    EXPECT_EQ(boxes->titles[0], QString());
    EXPECT_EQ(GetText(SendEditor), "abc\r\n");

    pressKeypadEnter();
    EXPECT_EQ(boxes->texts.size(), 2u);
    EXPECT_EQ(GetText(SendEditor), "abc\r\n\r\n");
    EXPECT_EQ(sent(), "");
}

TEST_F(LineSenderTest, LineCutShortByAPeerThatNeverReadsIsReported) {
    ASSERT_TRUE(peer->LeaveRoom(8));
    QTest::keyClicks(editor(), "ABCDEFGH");
    const auto start = std::chrono::steady_clock::now();
    pressReturn();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 900ms) << "100 ms for each of 9 bytes";
    ASSERT_EQ(boxes->texts.size(), 1u) << "all but the CR went out";
    EXPECT_EQ(boxes->texts[0], QString::fromUtf16(u"Ошибка при передаче данных"));
    const std::string arrived = sent();
    ASSERT_GE(arrived.size(), 9u);
    EXPECT_EQ(arrived.substr(arrived.size() - 9), "yABCDEFGH");
}

TEST_F(LineSenderTest, LineOfWhichNothingGoesOutIsReported) {
    ASSERT_TRUE(peer->LeaveRoom(0));
    QTest::keyClicks(editor(), "ABC");
    pressReturn();
    ASSERT_EQ(boxes->texts.size(), 1u);
    EXPECT_EQ(boxes->texts[0], QString::fromUtf16(u"Ошибка при передаче данных"));
    EXPECT_EQ(boxes->titles[0], QString());
    EXPECT_EQ(sent().find_first_not_of("xy"), std::string::npos);
}

} // namespace
