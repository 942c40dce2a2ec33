#pragma once
// What only tests read of the Qt window layer: the program itself never includes this.

class QTimer;

// The timer StartTimer started, else null.
const QTimer* TheTimer();
