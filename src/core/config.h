#pragma once

// Applies "config.json" from the working directory to the settings:
// fullscreenEnabled, vsyncEnabled and the sound manager's muted flag.
void loadConfig();
