#pragma once

// Ends the program with one line and exit code 1 when no X display can be
// opened, before any GL object exists: the window library would abort.
bool requireDisplay();
