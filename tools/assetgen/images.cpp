#include "images.h"

bool generateImages(const std::string&)
{
    return true;
}
