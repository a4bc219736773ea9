// libFuzzer target: the interface's texture catalogue ("Textures.lst"), without a
// device: the entries are read and the first one ends the load.
#include "ReaderFuzz.h"
#include "screens/Interface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CInterface ui(nullptr, CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>(), CRefPtr<CTextSet>(),
                  {});
    ui.LoadTextureCatalogue(fuzz::WriteInput(data, size, "Textures.lst"), "");
    return 0;
}
