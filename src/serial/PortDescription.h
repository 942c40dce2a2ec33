#pragma once
// The line each port list entry shows; every platform's port layer gives its own.

#include <string>

#include "shared/ItemDescription.h"

// A Windows-1251 line for the drop-down list entry of the port name; an entry whose device is
// there stands out.
ItemDescription PortDescription(const std::string& name);

// Whether the device the port name stands for is there now and, as far as the list can tell,
// this user may open it.
bool PortDeviceReady(const std::string& name);
