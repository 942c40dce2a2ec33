#pragma once
// The real window with its handlers bound as at start-up, in a scratch current directory whose
// ports/ folder links COM names to pseudo-terminals. Ticks run only when a test calls them.

#include <filesystem>
#include <memory>
#include <optional>
#include <QString>
#include <QTimer>
#include <string>
#include <vector>

#include "support/PtyPeer.h"
#include "support/qt/WindowFixture.h"
#include "support/ScratchCurrentDirectory.h"

class QComboBox;
class QLineEdit;
class ConnectButtonWidget;
class SendEditorWidget;

// Answers every message box that opens while it lives, keeping what each one said.
class MessageBoxCatcher {
  public:
    MessageBoxCatcher();
    std::vector<QString> texts;
    std::vector<QString> titles;

  private:
    void answer();
    QTimer poll_;
};

class LinkTest : public WindowTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A pseudo-terminal reached as ports/COM<number>, in place of any it reached before.
    PtyPeer& linkPort(int number);
    // ports/COM<number> pointing at nothing, in place of any link of that name.
    void linkMissingPort(int number);

    ConnectButtonWidget* button() const;
    QComboBox* portCombo() const;
    QComboBox* baudCombo() const;
    QLineEdit* baudEdit() const;
    SendEditorWidget* editor() const;

    // What the user does: pick an entry, click a control.
    void choosePort(int number);
    void clickOn(ControlId id);
    // Picks the port, puts the rate into the baud text and clicks ConnectButton.
    void connectTo(int number, const std::string& baudText = "9600");

    // The peer sends; returns once the bytes wait at the port.
    void sendFromPeer(PtyPeer& peer, const std::string& bytes);
    void tick(int count = 1);
    // The log files in the current directory, by name.
    std::vector<std::filesystem::path> logFiles() const;

    std::filesystem::path dir;
    std::vector<std::unique_ptr<PtyPeer>> peers;
    // Always there, so that a message box never leaves a test waiting for a user.
    std::unique_ptr<MessageBoxCatcher> boxes;

  private:
    std::optional<ScratchCurrentDirectory> scratch_;
};

// Connected to ports/COM5, as a user connects, with the peer at its other end.
class ConnectedLinkTest : public LinkTest {
  protected:
    void SetUp() override;

    PtyPeer* peer = nullptr;
};
