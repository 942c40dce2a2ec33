#include "serial/posix/PortNames.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxNameLength = 59;

struct DeviceRange {
    int firstPort;
    int lastPort;
    const char* prefix;
};

constexpr std::array<DeviceRange, 5> kDeviceRanges{{
    {1, 32, "/dev/ttyS"},
    {33, 96, "/dev/ttyUSB"},
    {97, 160, "/dev/ttyACM"},
    {161, 192, "/dev/ttyAMA"},
    {193, 224, "/dev/rfcomm"},
}};

// The number of "COMn" exactly as the port list spells it, else 0.
int PortNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0 || name[3] == '0')
        return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

std::string TablePath(const std::string& name) {
    const int number = PortNumber(name);
    for (const DeviceRange& range : kDeviceRanges) {
        if (number >= range.firstPort && number <= range.lastPort)
            return range.prefix + std::to_string(number - range.firstPort);
    }
    return {};
}

std::string LinkPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos)
        return {};
    const std::string path = "ports/" + name;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return {};
    return path;
}

std::string LinkTarget(const std::string& link) {
    std::array<char, 4096> target{};
    const ssize_t length = readlink(link.c_str(), target.data(), target.size() - 1);
    return length > 0 ? std::string(target.data(), static_cast<std::size_t>(length)) : link;
}

// The 8250 driver makes /dev/ttyS nodes for UARTs that are not there; sysfs tells its port
// type, 0 when no UART answered.
bool Present(const std::string& path) {
    std::array<char, PATH_MAX> device{};
    if (realpath(path.c_str(), device.data()) == nullptr)
        return false;
    const std::string resolved = device.data();
    if (resolved.compare(0, 9, "/dev/ttyS") != 0)
        return true;
    std::ifstream type("/sys/class/tty/" + resolved.substr(5) + "/type");
    int portType = -1;
    return !(type >> portType) || portType != 0;
}

// The device's group, when joining it would let this user open the device; empty otherwise.
std::string GroupThatMayOpen(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 ||
        (info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return {};
    const group* owner = getgrgid(info.st_gid);
    return owner ? owner->gr_name : "";
}

// Read and write permission are what an open needs; whether another program holds the
// device is only found by opening it.
bool MayOpen(const std::string& path) {
    return faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
}

} // namespace

std::string PortDevicePath(const std::string& name) {
    const std::string cut = name.substr(0, kMaxNameLength);
    if (!cut.empty() && cut[0] == '/')
        return cut;
    const std::string link = LinkPath(cut);
    return link.empty() ? TablePath(cut) : link;
}

// A new node shows up before its group is set: until then it is there but may not be opened.
bool PortDeviceReady(const std::string& name) {
    const std::string path = PortDevicePath(name);
    return !path.empty() && Present(path) && MayOpen(path);
}

ItemDescription PortDescription(const std::string& name) {
    const std::string path = PortDevicePath(name);
    if (path.empty())
        return {name + "  нет устройства"};
    const bool linked = path.compare(0, 6, "ports/") == 0;
    const std::string line = name + "  " + (linked ? LinkTarget(path) : path);
    if (!Present(path))
        return {line + " — нет"};
    if (MayOpen(path))
        return {line + " — есть", true};
    const std::string group = GroupThatMayOpen(path);
    return {line + " — есть, нет доступа" + (group.empty() ? "" : " (группа " + group + ")"), true};
}
