// Much data at once: a burst from the device far beyond one tick, and a megabyte pasted into
// the send editor and sent.

#include <atomic>
#include <cstdlib>
#include <poll.h>
#include <random>
#include <thread>
#include <unistd.h>

#include "E2eFixture.h"

namespace {

// Hundreds of ticks' worth; COMTERM_E2E_BURST_MB asks for another size in a run by hand.
std::size_t BurstBytes() {
    const char* megabytes = std::getenv("COMTERM_E2E_BURST_MB");
    return (megabytes ? std::strtoul(megabytes, nullptr, 10) : 4) << 20;
}
constexpr std::size_t kPastedCharacters = 1 << 20;

// Writes everything to the pty's controller side as fast as it takes it, until done or told
// to stop.
void WriteAll(int fd, const std::string& bytes, const std::atomic<bool>& stop) {
    std::size_t sent = 0;
    while (sent < bytes.size() && !stop) {
        const ssize_t n = write(fd, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        pollfd wait{fd, POLLOUT, 0};
        poll(&wait, 1, 100);
    }
}

std::string FirstDifference(const std::string& got, const std::string& expected) {
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    if (at == got.size() && at == expected.size())
        return "none";
    return "at byte " + std::to_string(at) + " of " + std::to_string(expected.size()) +
           " expected (" + std::to_string(got.size()) + " there)";
}

} // namespace

class Load : public ComtermE2e {};

TEST_F(Load, BurstFarLargerThanATickReachesTheLogWholeInHex) {
    PtyPeer peer;
    StoredSettings settings;
    settings.Bauds = "1048576";
    settings.InMode = 0;
    settings.Log = 1;
    LaunchOnCom5(peer, settings);
    Connect();

    std::mt19937 random(7);
    std::string burst(BurstBytes(), '\0');
    for (char& c : burst)
        c = static_cast<char>(random());
    std::atomic<bool> stop{false};
    std::atomic<bool> written{false};
    const auto started = std::chrono::steady_clock::now();
    std::jthread writer([&] {
        WriteAll(peer.controller, burst, stop);
        written = true;
    });
    struct StopWriter {
        std::atomic<bool>& stop;
        ~StopWriter() { stop = true; }
    } stopWriter{stop};

    // The window keeps answering while the burst comes in.
    std::chrono::milliseconds slowest{0};
    int answers = 0;
    while (!written || WaitingOnDevice(peer) > 0) {
        const std::optional<std::chrono::milliseconds> answer = x->Ping(window, 30s);
        ASSERT_TRUE(answer) << "the window stopped answering during the burst";
        slowest = std::max(slowest, *answer);
        ++answers;
        std::this_thread::sleep_for(50ms); // between pings, not waiting for anything
    }
    const std::string expected = HexText(burst);
    const std::optional<fs::path> log = SingleLog();
    ASSERT_TRUE(log);
    ASSERT_TRUE(PollUntil([&] { return fs::file_size(*log) >= expected.size(); }, 60s))
        << fs::file_size(*log) << " of " << expected.size() << " bytes logged";
    const auto took = std::chrono::steady_clock::now() - started;
    const std::string logged = ReadFileBytes(*log);
    EXPECT_TRUE(logged == expected) << "first difference: " << FirstDifference(logged, expected);
    EXPECT_LT(slowest, 2000ms) << "slowest answer while receiving";
    std::cout << burst.size() << " bytes in "
              << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
              << " ms; the window answered " << answers << " pings, the slowest in "
              << slowest.count() << " ms\n";
    EXPECT_EQ(CloseWindow(), 0);
}

TEST_F(Load, AMegabytePastedAndSentLeavesTheWindowAnswering) {
    PtyPeer peer;
    StoredSettings settings;
    LaunchOnCom5(peer, settings);
    Connect();

    // One line of Latin and Russian letters, spaces and tabs, without a line break.
    const std::string piece = "The quick brown fox\tСъешь ещё этих ";
    const std::size_t pieceCharacters = Cp1251(piece).size();
    std::string line;
    for (std::size_t n = 0; n < kPastedCharacters; n += pieceCharacters)
        line += piece;
    const std::string expected = Cp1251(line) + "\r";

    // Nothing on the clipboard yet (as after the program it was copied from has closed).
    ClickSendEditor();
    input->Key("ctrl+v");
    ASSERT_TRUE(x->Ping(window, 20s)) << "no answer after a paste of nothing";

    ClipboardOwner clipboard(server->display(), line);
    input->Key("ctrl+v");
    const auto pasted = std::chrono::steady_clock::now();
    ASSERT_TRUE(x->Ping(window, 60s)) << "no answer after the paste";
    const auto pasteTook = std::chrono::steady_clock::now() - pasted;
    ASSERT_GE(clipboard.Served(), 1);
    EXPECT_EQ(peer.Drain(), "") << "a paste sends nothing";

    std::string received;
    std::jthread reader([&] { received = peer.Receive(expected.size(), 60s); });
    input->Key("Return");
    const auto entered = std::chrono::steady_clock::now();
    reader.join();
    const auto sendTook = std::chrono::steady_clock::now() - entered;
    EXPECT_TRUE(received == expected)
        << "first difference: " << FirstDifference(received, expected);
    const std::optional<std::chrono::milliseconds> answer = x->Ping(window, 10s);
    EXPECT_TRUE(answer) << "no answer after the send";
    EXPECT_TRUE(Dialogs().empty()) << "the write reported a failure";
    std::cout << expected.size() << " bytes: paste "
              << std::chrono::duration_cast<std::chrono::milliseconds>(pasteTook).count()
              << " ms, send "
              << std::chrono::duration_cast<std::chrono::milliseconds>(sendTook).count()
              << " ms, then an answer in " << answer.value_or(-1ms).count() << " ms\n";

    TypeLine("after");
    EXPECT_EQ(peer.Receive(6, 30s), "after\r") << "the long line is not sent again";
    EXPECT_EQ(CloseWindow(), 0);
}
