#pragma once

// Makes Qt try the X display first, then Wayland, unless the user has chosen a platform
// through Qt's own QT_QPA_PLATFORM. A Wayland client can neither place its window nor read
// where it is, be translucent or stay on top; through Xwayland it is an ordinary X client.
// Call before the application object is made.
void PreferTheXDisplay();
