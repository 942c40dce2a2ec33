#pragma once
// The line each port list entry shows; every platform's port layer gives its own.

#include <string>

// A Windows-1251 line for the drop-down list entry of the port name.
std::string PortDescription(const std::string& name);
