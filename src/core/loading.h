#pragma once
// Start-up loading of the manifests, the font and the two shaders, and the
// release of the audio at the end of the show.

// Loads everything the scenes use into the managers, globalFont and the
// shaders. False when a shader failed to load.
bool loadAssets();

// Stops the music and frees the sounds at the end of the show: the audio
// device closes cleanly when the music stream, the last audio object, goes.
void releaseAudio();
