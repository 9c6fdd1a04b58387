#pragma once

// Whether an X display can be opened; false after one line. Asked before
// any GL object exists, since the window library ends the process when it
// has no display for them.
bool displayAvailable();
