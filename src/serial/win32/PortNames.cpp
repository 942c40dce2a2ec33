#include "serial/PortDescription.h"

#include <windows.h>

// On Windows the port name is the device's own name: there is nothing to add.
ItemDescription PortDescription(const std::string& name) {
    return {name};
}

// A port's DOS device name exists while its driver has the device (under Wine, while the
// dosdevices link is there).
bool PortDeviceReady(const std::string& name) {
    char target[MAX_PATH];
    return !name.empty() && QueryDosDeviceA(name.c_str(), target, MAX_PATH) != 0;
}
