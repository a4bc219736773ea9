// The user interface's per-frame and load-time costs: routing the pointer
// through every form of the game (26 forms of 24 widgets, as the screens have
// them), and reading a form file of 40 elements.
#include "ui/FormDesc.h"
#include "ui/KMButton.h"
#include "ui/KMFormsManager.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

void RouteMouseMove(benchmark::State& state)
{
    CRefPtr<CTextSet> texts(new CTextSet(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    CRefPtr<CFont> font(new CFont(CRefPtr<CTexture>()));
    CKMFormsManager manager;
    for (int f = 0; f < 26; ++f)
    {
        CRefPtr<CSpriteList> sprites(
            new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
        CRefPtr<CKMForm> form(new CKMForm(sprites, texts));
        form->SetBaseSize(1024, 768);
        for (int w = 0; w < 24; ++w)
        {
            CRefPtr<CKMButton> button(new CKMButton(sprites, texts));
            button->SetBaseSize(100, 30);
            button->Create(font, 16, 16, CRefPtr<CTexture>(), 0, 0, 1, 1, 0);
            button->SetOverFrame(0, 0, 1, 0, 1, 1, 0, 1);
            button->localPosition = {float(w % 6) * 150.0f - 400.0f, float(w / 6) * 60.0f - 100.0f, 0.0f};
            form->AddChild(button);
        }
        manager.AddForm(form);
    }
    float x = -500.0f;
    for (auto _ : state)
    {
        x = x > 500.0f ? -500.0f : x + 7.0f;
        benchmark::DoNotOptimize(manager.OnMouseMove(x, 0.0f, 0.016f));
    }
}
BENCHMARK(RouteMouseMove);

void ReadFormFile(benchmark::State& state)
{
    const std::string path = "bench_form.kmf";
    {
        std::ofstream out(path);
        out << "SCREENWIDTH 800\nPOSITION 10 10 0\nSIZE 600 400\nDEFINE ID_A 1\n";
        for (int i = 0; i < 40; ++i)
            out << "ELEMENT BUTTON ID ID_A {\n  POSITION " << i << " 20 0\n  SIZE 100 30\n  TEXTURE Buttons\n"
                << "  STATE NORMAL 0 0 128 0 128 32 0 32\n  STATE OVER 0 32 128 32 128 64 0 64\n"
                << "  TEXT \"Caption\"\n  TEXTCOLOR (255, 200, 100, 100%)\n  INTERRUPT " << i << "\n}\n";
    }
    for (auto _ : state)
    {
        CFormDesc desc;
        benchmark::DoNotOptimize(desc.Read(path.c_str()));
        desc.Scale(-512.0f, 384.0f);
        benchmark::DoNotOptimize(desc.ResolveIds());
    }
    std::remove(path.c_str());
}
BENCHMARK(ReadFormFile);

} // namespace
