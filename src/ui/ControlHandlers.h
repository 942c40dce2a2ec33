#pragma once
// The handlers that need nothing beyond the controls.

void ClearReceiveView();
void SelectInputMode();
