#pragma once
#include <string>

namespace testing_support {

// Small real audio files, made once per test process with ffmpeg in a temporary directory that
// lives until the process ends. Every file is a 1 s stereo 44.1 kHz tone.
struct AudioFiles {
    std::string mp3;    // "plain.mp3": no title tag
    std::string ogg;    // "tagged.ogg": Vorbis TITLE tag "Tagged Title"
    std::string flac;   // "ab12_0.flac": no title tag
    std::string broken; // "broken.mp3": text, not audio
    std::string error;  // empty when every file was made
};
const AudioFiles& audioFiles();

// Real images written with SDL2_image, made once per test process.
struct ImageFiles {
    std::string wide;   // "wide.png": 3000 x 1500
    std::string square; // "square.jpg": 1024 x 1024
    std::string small;  // "small.png": 64 x 32
    std::string broken; // "broken.png": text, not an image
    std::string error;
};
const ImageFiles& imageFiles();

} // namespace testing_support
