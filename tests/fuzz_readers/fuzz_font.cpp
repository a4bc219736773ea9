// libFuzzer target: bitmap-font files (".kfd").
#include "ReaderFuzz.h"
#include "render/Font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFont font{CRefPtr<CTexture>()};
    font.Load(fuzz::WriteInput(data, size, "font.kfd").c_str());
    return 0;
}
