#pragma once
// Stay-on-top, opacity and the text font of MainWindow.

#include <cstdint>

void ApplyStayOnTop(bool onTop);
void MakeWindowLayered();
void ApplyWindowOpacity(int32_t alpha); // low 8 bits count
void ApplyTextFont();                   // from terminal.Font to ReceiveView and SendEditor
void ChooseTextFont();                  // FontButton handler
