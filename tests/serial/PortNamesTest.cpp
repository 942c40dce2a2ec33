// Which device each port list entry opens, and its line in the drop-down list.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "serial/posix/PortNames.h"
#include "support/ScratchCurrentDirectory.h"

namespace {

namespace fs = std::filesystem;

// Runs each test in a fresh program directory, where the ports/ links live.
class PortNamesTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directory("ports"); }
    ScratchCurrentDirectory directory{"comterm-ports"};
};

TEST_F(PortNamesTest, TableMapsEachRangeToItsDevices) {
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "/dev/ttyS0"},      {"COM2", "/dev/ttyS1"},      {"COM12", "/dev/ttyS11"},
        {"COM32", "/dev/ttyS31"},    {"COM33", "/dev/ttyUSB0"},   {"COM96", "/dev/ttyUSB63"},
        {"COM97", "/dev/ttyACM0"},   {"COM160", "/dev/ttyACM63"}, {"COM161", "/dev/ttyAMA0"},
        {"COM192", "/dev/ttyAMA31"}, {"COM193", "/dev/rfcomm0"},  {"COM224", "/dev/rfcomm31"},
    };
    for (const auto& [name, device] : cases)
        EXPECT_EQ(PortDevicePath(name), device) << name;
}

TEST_F(PortNamesTest, NamesOutsideTheTableHaveNoDevice) {
    for (const char* name : {"COM225", "COM256", "COM0", "COM257", "COM05", "com5", "COM", "COM5 ",
                             "COM1000", "", "ttyS0"})
        EXPECT_EQ(PortDevicePath(name), "") << '"' << name << '"';
}

TEST_F(PortNamesTest, LinkInPortsFolderOverridesTheTable) {
    fs::create_symlink("/dev/null", "ports/COM5");
    fs::create_symlink("/dev/pts/0", "ports/COM256");
    EXPECT_EQ(PortDevicePath("COM5"), "ports/COM5");
    EXPECT_EQ(PortDevicePath("COM256"), "ports/COM256");
    EXPECT_EQ(PortDevicePath("COM6"), "/dev/ttyS5");
}

TEST_F(PortNamesTest, OnlyALinkOverrides) {
    std::ofstream("ports/COM7") << "not a link";
    fs::create_directory("ports/COM8");
    EXPECT_EQ(PortDevicePath("COM7"), "/dev/ttyS6");
    EXPECT_EQ(PortDevicePath("COM8"), "/dev/ttyS7");
}

TEST_F(PortNamesTest, DanglingLinkStillOverrides) {
    fs::create_symlink("/dev/ttyUSB-gone", "ports/COM33");
    EXPECT_EQ(PortDevicePath("COM33"), "ports/COM33");
}

TEST_F(PortNamesTest, AbsoluteNameIsItsOwnPath) {
    EXPECT_EQ(PortDevicePath("/dev/serial/by-id/usb-FTDI"), "/dev/serial/by-id/usb-FTDI");
    EXPECT_EQ(PortDevicePath("/dev/pts/3"), "/dev/pts/3");
}

TEST_F(PortNamesTest, NameIsCutTo59CharactersFirst) {
    const std::string path = "/" + std::string(58, 'p');
    EXPECT_EQ(PortDevicePath(path + "tail"), path);

    const std::string linkName = std::string(59, 'L');
    fs::create_symlink("/dev/null", "ports/" + linkName);
    EXPECT_EQ(PortDevicePath(linkName + "beyond"), "ports/" + linkName);
}

// Root may open any device: the descriptions are made as the user nobody, whom a device of the
// group dialout keeps out, as it keeps out a user not in that group.
class AsOrdinaryUser {
  public:
    AsOrdinaryUser() {
        const passwd* nobody = getpwnam("nobody");
        if (geteuid() == 0 && nobody && nobody->pw_uid != 0 && seteuid(nobody->pw_uid) == 0)
            switched_ = true;
    }
    ~AsOrdinaryUser() {
        if (switched_) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

  private:
    bool switched_ = false;
};

TEST_F(PortNamesTest, DescriptionAndReadinessTellWhetherPresentAndWhetherItMayBeOpened) {
    fs::create_symlink("/dev/null", "ports/COM9");
    fs::create_symlink("/dev/ttyUSB-gone", "ports/COM34");
    // A device only its owner and group may use. Root gives it to the group dialout; another
    // user running the tests takes the permission away from itself.
    std::ofstream("locked") << "device";
    std::string lockedText = "COM10  " + (fs::current_path() / "locked").string() +
                             " \x97 \xE5\xF1\xF2\xFC, \xED\xE5\xF2 \xE4\xEE\xF1\xF2\xF3\xEF\xE0";
    const group* dialout = getgrnam("dialout");
    if (geteuid() == 0 && dialout) {
        ASSERT_EQ(chown("locked", 0, dialout->gr_gid), 0);
        fs::permissions("locked", fs::perms(0660));
        lockedText += " (\xE3\xF0\xF3\xEF\xEF\xE0 dialout)"; // "(группа dialout)"
    } else {
        fs::permissions("locked", fs::perms::none);
    }
    fs::create_symlink(fs::current_path() / "locked", "ports/COM10");
    // The program's directory is open to its user.
    fs::permissions(fs::current_path(), fs::perms(0755));

    // " — есть", " — нет", "нет устройства", ", нет доступа" in Windows-1251
    // The last column: whether a device that went away counts as back (there, and may be opened).
    const std::tuple<const char*, std::string, bool, bool> cases[] = {
        {"COM9", "COM9  /dev/null \x97 \xE5\xF1\xF2\xFC", true, true},
        {"COM34", "COM34  /dev/ttyUSB-gone \x97 \xED\xE5\xF2", false, false},
        {"COM225", "COM225  \xED\xE5\xF2 \xF3\xF1\xF2\xF0\xEE\xE9\xF1\xF2\xE2\xE0", false, false},
        {"COM10", lockedText, true, false},
    };
    const AsOrdinaryUser user;
    for (const auto& [name, text, standsOut, ready] : cases) {
        const ItemDescription description = PortDescription(name);
        EXPECT_EQ(description.text, text) << name;
        EXPECT_EQ(description.standsOut, standsOut) << name;
        EXPECT_EQ(PortDeviceReady(name), ready) << name;
    }
    if (!fs::exists("/dev/ttyUSB63")) {
        EXPECT_EQ(PortDescription("COM96").text, "COM96  /dev/ttyUSB63 \x97 \xED\xE5\xF2");
    }
}

} // namespace
