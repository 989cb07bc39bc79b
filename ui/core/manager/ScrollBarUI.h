#pragma once
// CScrollBarUI: a scroll bar keeping an integer position in 0..range, made of five parts: an
// arrow button at each end (button1 at the left or top, button2 at the right or bottom), a
// thumb whose length shows the visible share and whose place shows the position, a rail
// decoration centred on the thumb, and the background.
//
// A bar owned by a container (CContainerUI::EnableScrollBars) forwards its line, page and drag
// actions to the owner's scroll operations, and the owner sets its range and position during
// layout. A bar standing alone in a skin ("ScrollBar") moves its own position and tells the
// notifiers with "scroll".
//
// Input: a press starts the repeat timer (local id 10, 50 ms). Arrow buttons and the track step
// once at the press and again on every tick from the sixth on; a thumb drag works out the new
// position on every mouse move and applies it on the next tick.

#include <windows.h>

#include <cstdint>

#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    // The parts that carry images, and the states each part has an image for.
    enum class EPart { Background, Button1, Button2, Thumb, Rail };
    enum class EImageState { Normal, Hot, Pushed, Disabled };

    static constexpr UINT kRepeatTimerId = 10;
    static constexpr UINT kRepeatInterval = 50;     // ms
    static constexpr int kRepeatDelayTicks = 5;     // ticks without a step after a press

    CScrollBarUI();  // a vertical bar 16 pixels wide

    LPCWSTR ClassName() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;
    void Place(const RECT& rect, bool invalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void RequestFocus() override;
    void ProcessEvent(TControlEvent& event) override;
    void ApplyAttribute(LPCWSTR name, LPCWSTR value) override;
    void Paint(HDC hDC, const RECT& dirty) override;

    CContainerUI* Owner() const { return m_pOwner; }
    void SetOwner(CContainerUI* owner);  // not owned
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int Range() const { return m_nRange; }
    void SetRange(int range);        // at least 0; the position follows
    int Position() const { return m_nScrollPos; }
    void SetPosition(int position);  // clamped to 0..range
    int LineSize() const { return m_nLineSize; }
    void SetLineSize(int size) { m_nLineSize = size; }  // arrow step without an owner
    // How far the thumb can travel along the bar. Two button lengths are always taken off, also
    // for a hidden button.
    int TrackLength() const;

    bool IsButton1Shown() const { return m_bShowButton1; }
    void SetShowButton1(bool show);
    bool IsButton2Shown() const { return m_bShowButton2; }
    void SetShowButton2(bool show);

    // Fills drawn under the images of the arrow buttons and the thumb (ARGB, 0: none).
    DWORD Button1Color() const { return m_button1.color; }
    void SetButton1Color(DWORD color);
    DWORD Button2Color() const { return m_button2.color; }
    void SetButton2Color(DWORD color);
    DWORD ThumbColor() const { return m_thumb.color; }
    void SetThumbColor(DWORD color);

    // The image description of one part in one state; a new description is read at the next
    // paint.
    LPCWSTR Image(EPart part, EImageState state) const;
    void SetImage(EPart part, EImageState state, LPCWSTR description);

    // Where Place put the parts (window client coordinates); the thumb is all 0 when the bar is
    // too short for one.
    RECT Button1Rect() const { return m_button1.rect; }
    RECT Button2Rect() const { return m_button2.rect; }
    RECT ThumbRect() const { return m_thumb.rect; }
    // State bits (kStateHot, kStatePushed, kStateCaptured, kStateDisabled) of the parts.
    UINT Button1State() const { return m_button1.state; }
    UINT Button2State() const { return m_button2.state; }
    UINT ThumbState() const { return m_thumb.state; }

protected:
    struct TStateImages {
        TImageSpec normal;
        TImageSpec hot;
        TImageSpec pushed;
        TImageSpec disabled;
    };
    // An arrow button or the thumb.
    struct TBarPart {
        RECT rect = {0, 0, 0, 0};
        UINT state = 0;
        DWORD color = 0;
        TStateImages images;
    };

    TStateImages* PartImages(EPart part);
    static TImageSpec& StateImage(TStateImages& images, EImageState state);
    // Places the bar again where it is (its relative place when it floats), so that the parts
    // follow a new range, position or button setting.
    void PlaceAgain();
    void SetPartColor(TBarPart& part, DWORD color);
    bool ApplyImageAttribute(LPCWSTR name, LPCWSTR value);

    // Input.
    void PassOn(TControlEvent& event);
    void OnPress(POINT pt);
    void OnRelease();
    void OnMouseMove(POINT pt);
    void OnRepeatTick();
    void OnMouseEnter(POINT pt);
    void OnMouseLeave();
    // Without an owner the bar moves its own position by delta; with one it calls the owner's
    // scroll operation for its orientation.
    void StepBy(int64_t delta, void (CContainerUI::*horizontal)(),
                void (CContainerUI::*vertical)());
    void LineBack();
    void LineForward();
    void PageToward(POINT pt);
    void NotifyScroll();
    LONG Along(POINT pt) const { return m_bHorizontal ? pt.x : pt.y; }

    // Painting.
    void PaintPart(HDC hDC, TBarPart& part);
    void PaintRail(HDC hDC);
    // Draws the image of the state (disabled, else pushed, else hot), falling back to the
    // normal image; dest (relative to itemRect) replaces the images' own, when given.
    void DrawStateImage(HDC hDC, TStateImages& images, UINT state, const RECT* dest);
    bool DrawImageAt(HDC hDC, TImageSpec& spec, const RECT* dest);

    bool m_bHorizontal = false;
    int m_nRange = 100;
    int m_nScrollPos = 0;
    int m_nLineSize = 8;
    CContainerUI* m_pOwner = nullptr;  // not owned
    POINT m_ptDragOrigin = {0, 0};
    int m_nDragStartPos = 0;
    int m_nDragDelta = 0;
    int m_nRepeatCount = 0;
    TStateImages m_bkImages;
    bool m_bShowButton1 = true;
    TBarPart m_button1;
    bool m_bShowButton2 = true;
    TBarPart m_button2;
    TBarPart m_thumb;
    TStateImages m_railImages;

private:
    static const CAttributeTable<CScrollBarUI>& Attributes();
};

}  // namespace SkinUI
