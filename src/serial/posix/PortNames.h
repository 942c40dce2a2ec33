#pragma once
// Which device a port list entry ("COM1" to "COM256") stands for on this system. Its
// description names the device and whether it is present now, for example
// "COM33  /dev/ttyUSB0 — есть", and, for a device this user may not open,
// "COM33  /dev/ttyUSB0 — есть, нет доступа (группа dialout)"; present devices stand out.

#include <string>

#include "serial/PortDescription.h"

// The path to open for a port name: a link ports/<name> in the current directory when
// there is one, else the fixed table (COM1-32 /dev/ttyS0-31, COM33-96 /dev/ttyUSB0-63,
// COM97-160 /dev/ttyACM0-63, COM161-192 /dev/ttyAMA0-31, COM193-224 /dev/rfcomm0-31); a
// name starting with "/" is a path already. The name is cut to 59 characters first.
// Empty when the name stands for no device.
std::string PortDevicePath(const std::string& name);
