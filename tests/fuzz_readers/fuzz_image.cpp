// libFuzzer target: pictures (BMP, TGA, DDS, PNG, JPEG) through our decoder.
#include <string>

#include "platform/d3dx8/decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    d3dx8impl::DecodedImage image;
    // The limit keeps each run small; the size check itself is what is under test.
    d3dx8impl::DecodeImage(std::string(reinterpret_cast<const char*>(data), size), image, 512);
    return 0;
}
