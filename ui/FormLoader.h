// CFormLoader: turns one form description file into a live CKMForm with its
// widgets. The interface object makes one loader per form: LoadForm reads the
// file, CreateForm makes the form, and CreateNextElement builds the widgets in
// file order, stopping after each one that carries an INTERRUPT number so the
// caller can keep a handle to it. The form and its widgets outlive the loader.
#pragma once

#include "engine/RefPtr.h"
#include "render/Device.h"
#include "render/Font.h"
#include "render/SpriteList.h"
#include "ui/FormDesc.h"
#include "ui/KMForm.h"

#include <string>
#include <vector>

class CKMStatic;
class CKMScroller;
class CKMProgressbar;

class CFormLoader
{
public:
    explicit CFormLoader(CRefPtr<CDevice> device);
    ~CFormLoader();
    CFormLoader(const CFormLoader&) = delete;
    CFormLoader& operator=(const CFormLoader&) = delete;

    // Reads, checks and scales the description; nonzero on success, else the
    // reason is in errorText. The interface passes the screen's top-left
    // corner (-512, 384).
    int LoadForm(const char* path, float originX, float originY);
    // Makes the form in the sprite list and text set, with the text depth;
    // the font list must hold at least one font. Always 1.
    int CreateForm(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet,
                   const std::vector<CRefPtr<CFont>>& fontList, int depth);
    // Builds widgets until one with an INTERRUPT number is made (hasWidget 1,
    // lastWidget and lastInterrupt hold it) or the elements run out (hasWidget
    // 0). 0 on a bad element, with errorText set.
    int CreateNextElement(int* hasWidget);

    CRefPtr<CDevice> device;
    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CTextSet> textSet;
    CFormDesc description;
    CRefPtr<CKMForm> form;
    int elementIndex = -1;
    CRefPtr<CKMWindow> lastWidget;
    int lastInterrupt = 0;
    std::vector<CRefPtr<CFont>> fonts;
    std::vector<float> fontScales;
    std::string errorText;
    int textBoxFlag = 1;

private:
    CRefPtr<CTexture> Texture(const std::string& name) const;
    CRefPtr<CKMWindow> Build(const CFormElementDesc& e, bool* ok);
    // Text, shadow and the normal picture: every static, button and checkbox.
    void SetUpStatic(CKMStatic& as, const CFormElementDesc& e);
    void SetUpScroller(CKMScroller& scroller, const CFormElementDesc& e);
    void SetUpProgressbar(CKMProgressbar& bar, const CFormElementDesc& e);
};
