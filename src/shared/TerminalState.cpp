#include "shared/TerminalState.h"

TerminalState terminal;
