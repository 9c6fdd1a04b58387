#include "fuzz_support.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Image.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>
#include <vector>

void prepareFuzzFolder()
{
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    std::cerr.rdbuf(nullptr);

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bouncefest-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);

    sf::Image image;
    image.create(2, 2, sf::Color::Red);
    image.saveToFile("red.png");
    const std::vector<sf::Int16> samples(800, 1000);
    sf::SoundBuffer buffer;
    buffer.loadFromSamples(samples.data(), samples.size(), 1, 8000);
    buffer.saveToFile("tone.wav");
}

void writeInput(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                 static_cast<std::streamsize>(size));
}
