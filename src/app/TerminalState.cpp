#include "app/TerminalState.h"

TerminalState terminal;
