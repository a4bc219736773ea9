// libFuzzer target: form description files (".kmf").
#include "ReaderFuzz.h"
#include "ui/FormDesc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFormDesc form;
    form.Read(fuzz::WriteInput(data, size, "form.kmf").c_str());
    return 0;
}
