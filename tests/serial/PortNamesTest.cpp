// Which device each port list entry opens, and its line in the drop-down list.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/ScratchCurrentDirectory.h"
#include "serial/posix/PortNames.h"

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

TEST_F(PortNamesTest, DescriptionTellsDeviceAndWhetherPresent) {
    fs::create_symlink("/dev/null", "ports/COM9");
    fs::create_symlink("/dev/ttyUSB-gone", "ports/COM34");
    // " — есть", " — нет", "нет устройства" in Windows-1251
    EXPECT_EQ(PortDescription("COM9"), "COM9  /dev/null \x97 \xE5\xF1\xF2\xFC");
    EXPECT_EQ(PortDescription("COM34"), "COM34  /dev/ttyUSB-gone \x97 \xED\xE5\xF2");
    EXPECT_EQ(PortDescription("COM225"),
              "COM225  \xED\xE5\xF2 \xF3\xF1\xF2\xF0\xEE\xE9\xF1\xF2\xE2\xE0");
    if (!fs::exists("/dev/ttyUSB63")) {
        EXPECT_EQ(PortDescription("COM96"), "COM96  /dev/ttyUSB63 \x97 \xED\xE5\xF2");
    }
}

} // namespace
