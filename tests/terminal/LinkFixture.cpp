#include "LinkFixture.h"

#include <chrono>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <sys/ioctl.h>

#include "app/Startup.h"
#include "serial/SerialPort.h"
#include "storage/ReceiveLog.h"
#include "support/ScratchDirectory.h"
#include "terminal/ConnectionControl.h"
#include "terminal/LineSender.h"
#include "terminal/ReceivePump.h"
#include "ui/ControlHandlers.h"
#include "ui/qt/ConnectButtonWidget.h"
#include "ui/qt/SendEditorWidget.h"

namespace {

using namespace std::chrono_literals;

std::string ComName(int number) {
    return "COM" + std::to_string(number);
}

} // namespace

MessageBoxCatcher::MessageBoxCatcher() {
    // A message box runs its own event loop; this timer fires inside it.
    poll_.setInterval(20);
    QObject::connect(&poll_, &QTimer::timeout, [this] { answer(); });
    poll_.start();
}

void MessageBoxCatcher::answer() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->isVisible())
            continue;
        texts.push_back(box->text());
        titles.push_back(box->windowTitle());
        box->button(QMessageBox::Ok)->click();
    }
}

void LinkTest::SetUp() {
    WindowTest::SetUp();
    boxes = std::make_unique<MessageBoxCatcher>();
    dir = scratch_.emplace("comterm-link").path();
    std::filesystem::create_directory(dir / "ports");

    BindHandlers();
    InstallSendEditorHook(SendEditorHook);
    ShowAndActivate();
}

void LinkTest::TearDown() {
    SerialPort::Close();
    CloseLog();
    WindowTest::TearDown();
    boxes.reset();
    peers.clear();
    scratch_.reset();
}

PtyPeer& LinkTest::linkPort(int number) {
    peers.push_back(std::make_unique<PtyPeer>());
    std::filesystem::remove(dir / "ports" / ComName(number));
    std::filesystem::create_symlink(peers.back()->path, dir / "ports" / ComName(number));
    return *peers.back();
}

void LinkTest::linkMissingPort(int number) {
    std::filesystem::remove(dir / "ports" / ComName(number));
    std::filesystem::create_symlink(dir / "no-such-device", dir / "ports" / ComName(number));
}

ConnectButtonWidget* LinkTest::button() const {
    return window()->connectButton();
}

QComboBox* LinkTest::portCombo() const {
    return window()->combo(PortCombo);
}

QComboBox* LinkTest::baudCombo() const {
    return window()->combo(BaudCombo);
}

QLineEdit* LinkTest::baudEdit() const {
    return baudCombo()->lineEdit();
}

SendEditorWidget* LinkTest::editor() const {
    return window()->sendEditor();
}

void LinkTest::choosePort(int number) {
    portCombo()->setCurrentIndex(number - 1);
}

void LinkTest::clickOn(ControlId id) {
    QTest::mouseClick(control(id), Qt::LeftButton);
}

void LinkTest::connectTo(int number, const std::string& baudText) {
    SetText(BaudCombo, baudText);
    choosePort(number);
    clickOn(ConnectButton);
}

void LinkTest::sendFromPeer(PtyPeer& peer, const std::string& bytes) {
    peer.Send(bytes);
    // The device side shares its input queue with the port's descriptor.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    int waiting = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (ioctl(peer.device, FIONREAD, &waiting) == 0 &&
            waiting >= static_cast<int>(bytes.size()))
            return;
        QTest::qSleep(2);
    }
    FAIL() << "only " << waiting << " of " << bytes.size() << " bytes arrived";
}

void LinkTest::tick(int count) {
    for (int i = 0; i < count; ++i)
        ReceiveTick();
}

std::vector<std::filesystem::path> LinkTest::logFiles() const {
    std::vector<std::filesystem::path> found;
    for (const std::string& name : ListDirectory(dir)) {
        if (name.ends_with("_Tavik.log"))
            found.push_back(dir / name);
    }
    return found;
}

void ConnectedLinkTest::SetUp() {
    LinkTest::SetUp();
    peer = &linkPort(5);
    connectTo(5);
    ASSERT_TRUE(SerialPort::IsOpen());
}
