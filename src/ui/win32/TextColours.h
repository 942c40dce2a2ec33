#pragma once
// The colours of ReceiveView and SendEditor: the text colour of FontSettings on a background it
// can be read on.

// With kAutomaticColour, or while the system's high-contrast mode is on, text and
// background are the system's. A fixed colour keeps the text in it, on the system's window
// colour when the text reaches the readable contrast there, else on whichever of that and
// white gives it the more, or on black where that still reads poorly (BackgroundForText).
void ApplyTextColours();
// The same after a change of the system's colours or settings.
void FollowSystemColours();
