#pragma once
// Names for assistive tools of the controls that show no caption; the others are named by their
// captions through the system's own accessible objects.

#include "ui/win32/ControlCreation.h"

// PortCombo, BaudCombo, TransparencySpin, ReceiveView and SendEditor, with each window inside
// them that can take the focus, answer for their accessible object with their name.
void NameUncaptionedControls(const CreatedControls& made);
