// libFuzzer target: the token animation file ("CapsAnimation.dat"), block by block
// as the caps manager reads it.
#include "ReaderFuzz.h"
#include "board/CapsAnimation.h"
#include "engine/Tokenizer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CTokenizer tokenizer;
    if (tokenizer.Open(fuzz::WriteInput(data, size, "CapsAnimation.dat").c_str()) != 0)
        return 0;
    for (int i = 0; i < CCapsAnimation::kCount; ++i)
    {
        CCapsAnimation animation;
        if (!animation.Parse(tokenizer))
            break;
        animation.FrameAt(i);
    }
    return 0;
}
