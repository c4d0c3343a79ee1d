// Writes JPEG files for tests that read them.
#pragma once

#include <vector>

namespace varn::test {

// A JPEG file of RGB pixels, top row first, with full chroma resolution, so that
// flat areas decode within a few levels of their colour at quality 100.
std::vector<unsigned char> compressJpeg(int width, int height, std::vector<unsigned char>& rgb,
                                        int quality = 100);

}  // namespace varn::test
