#include "serial/PortDescription.h"

// On Windows the port name is the device's own name: there is nothing to add.
ItemDescription PortDescription(const std::string& name) {
    return {name};
}
