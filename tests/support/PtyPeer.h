#pragma once
// A pseudo-terminal standing in for a serial device: the test holds its controller side and
// the port layer opens the device side by its path, as it would a real port.

#include <chrono>
#include <string>

struct PtyPeer {
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // The device side stays open here too, so the pty lives on while the port layer closes it.
    int controller = -1;
    int device = -1;
    std::string path;

    void CloseController();
    void Send(const std::string& bytes) const;
    // Waits up to the timeout for count bytes from the device side.
    std::string Receive(std::size_t count, std::chrono::milliseconds timeout) const;
    // Everything that has arrived from the device side by now.
    std::string Drain() const;
    // Writes filler from the device side until only room more bytes fit towards a
    // controller that does not read. False when the pty's buffer did not settle.
    bool LeaveRoom(int room) const;
};

// Whether nobody holds the device (or file) now: it opens, a cooperating program could take
// its lock, and no program has put it in exclusive use.
bool DeviceIsFree(const std::string& path);
