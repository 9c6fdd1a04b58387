#include "core/display.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <iostream>

bool requireDisplay()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::cerr << "Unable to open the display: DISPLAY is unset or names no running X server." << std::endl;
        std::exit(1);
    }
    XCloseDisplay(display);
    return true;
}
