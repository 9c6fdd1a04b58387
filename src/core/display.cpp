#include "core/display.h"

#include <X11/Xlib.h>

#include <iostream>

bool displayAvailable()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::cerr << "Unable to open the display: DISPLAY is unset or names no running X server." << std::endl;
        return false;
    }
    XCloseDisplay(display);
    return true;
}
