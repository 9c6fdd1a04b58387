// Writes every generated image and sound of the show under the folder
// given as the only argument (the run folder's assets/).
#include "images.h"
#include "sounds.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: assetgen ASSETS_DIR" << std::endl;
        return 2;
    }
    const bool imagesDone = generateImages(argv[1]);
    const bool soundsDone = generateSounds(argv[1]);
    return imagesDone && soundsDone ? 0 : 1;
}
