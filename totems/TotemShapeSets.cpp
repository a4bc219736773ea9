#include "totems/TotemShapeSets.h"

#include "engine/Log.h"

#include <string>

namespace
{

const int32_t kLightCount = 3;

CRefPtr<CSpriteSet> LoadSet(const char* file, const char* section, const std::string& prefix, const float reference[2],
                            const float texture[2], int count)
{
    CRefPtr<CSpriteSet> set(new CSpriteSet());
    set->SetLayout(reference[0], reference[1], texture[0], texture[1], 0.5f, 0.5f, 0.0f);
    set->Load(file, section, prefix.c_str(), count);
    if (set->Count() < 1)
        LogText(("Warning! Some Totem SpriteShape can not be loaded!" + prefix + "\n").c_str());
    return set;
}

} // namespace

CTotemShapeSets::CTotemShapeSets()
{
    m_small.reserve(4);
    m_shadow.reserve(4);
    m_main.reserve(4);
    m_shop.reserve(4);
}

void CTotemShapeSets::LoadTotemSpriteShapes(const char* file, const char* section, const Sizes& sizes)
{
    m_small.clear();
    m_shadow.clear();
    m_main.clear();
    m_shop.clear();
    for (int32_t n = 1; n <= m_levelCount; ++n)
        m_small.push_back(LoadSet(file, section, "Small" + std::to_string(n), sizes.pixSmall, sizes.smallTexture, 0));
    for (int32_t n = 1; n <= m_levelCount; ++n)
        m_shadow.push_back(LoadSet(file, section, "Shadow" + std::to_string(n), sizes.main, sizes.shadowTexture, 0));
    for (int32_t n = 1; n <= m_levelCount; ++n)
        m_main.push_back(LoadSet(file, section, "Main" + std::to_string(n), sizes.main, sizes.mainTexture, 0));
    m_light = LoadSet(file, section, "Light", sizes.main, sizes.lightTexture, kLightCount);
    for (int32_t n = 1; n <= m_levelCount; ++n)
        m_shop.push_back(LoadSet(file, section, "Shop" + std::to_string(n), sizes.shop, sizes.shopTexture, 0));
}

const CSpriteSet* CTotemShapeSets::AtLevel(const std::vector<CRefPtr<CSpriteSet>>& sets, int32_t level)
{
    if (level < 1 || size_t(level) > sets.size())
        return nullptr;
    return sets[size_t(level - 1)].Get();
}
