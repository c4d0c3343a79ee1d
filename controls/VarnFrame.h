// The framed panel TVarnFrame and the label TVarnLabel: containers and captions
// that write their text across, downwards or upwards.
#pragma once

#include "platform/Classes.h"
#include "platform/ExtCtrls.h"
#include "platform/Graphics.h"
#include "platform/StdCtrls.h"

#include <memory>

class TStringList;

// Vertical placement of a text; tvaOver puts a frame's text over its top edge
// like a group caption (elsewhere it counts as top).
enum TVAlignment { tvaTopJustify, tvaCenter, tvaBottomJustify, tvaOver };
// Horizontal text, or turned a quarter so that it runs downwards or upwards.
enum TTextDirection { ttdLeftToRight, ttdUpToBottom, ttdBottomToUp };

// A one-pixel frame whose sides switch on and off, around a text and child controls.
// The text is Text (the control's caption). Giving the frame the focus focuses
// its first focusable child with TabStop.
class TVarnFrame : public TCustomPanel {
public:
    explicit TVarnFrame(TComponent* AOwner);
    ~TVarnFrame() override;
    AnsiString ClassName() const override { return "TVarnFrame"; }

    TColor ColorFrame() const { return FColorFrame; }
    void SetColorFrame(TColor Value);
    // The sides by index: 0 left, 1 right, 2 top, 3 bottom.
    bool getDrawFrame(int Index) const;
    void setDrawFrame(int Index, bool Value);
    bool DrawLeft() const { return getDrawFrame(0); }
    void SetDrawLeft(bool Value) { setDrawFrame(0, Value); }
    bool DrawRight() const { return getDrawFrame(1); }
    void SetDrawRight(bool Value) { setDrawFrame(1, Value); }
    bool DrawTop() const { return getDrawFrame(2); }
    void SetDrawTop(bool Value) { setDrawFrame(2, Value); }
    bool DrawBottom() const { return getDrawFrame(3); }
    void SetDrawBottom(bool Value) { setDrawFrame(3, Value); }
    bool HideFrame() const { return FHideFrame; }
    void SetHideFrame(bool Value);

    TAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TAlignment Value);
    TVAlignment TextVAlignment() const { return FTextVAlignment; }
    void SetTextVAlignment(TVAlignment Value);
    TTextDirection TextDirection() const { return FTextDirection; }
    void SetTextDirection(TTextDirection Value);
    AnsiString Text() const { return GetText(); }
    TColor TextColor() const { return FTextColor; }
    void SetTextColor(TColor Value);
    TFontStyles TextStyles() const { return FTextStyles; }
    void SetTextStyles(TFontStyles Value);
    // Word wrap of horizontal text.
    bool TextWrap() const { return FTextWrap; }
    void SetTextWrap(bool Value);
    // Text as a list of lines; changing the list changes Text.
    TStrings* Lines();
    void SetLines(TStrings* Value);

    // With tvaOver the top is 10 pixels lower: children are laid out below the caption.
    TRect GetClientRect() override;

    TNotifyEvent OnTextClick;        // left button released over textRect
    TNotifyEvent OnTextDoubleClick;  // left double click over textRect

    // Framework events the frame publishes; the framework starts no drag yet.
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;

    TPoint clickPoint;  // pointer position of the last left release or double click, client coordinates
    TRect textRect;     // text area of the last paint; clicks count inside it

protected:
    void WndProc(TMessage& Message) override;
    void Paint() override;
    // Draws again the caption labels that child edit boxes paint on the frame,
    // which the frame's own painting has just covered.
    void printChildLabels();

private:
    void changed();
    // The font of horizontal text: Font with TextColor and TextStyles.
    void selectTextFont(TCanvas* canvas);
    void drawText(TCanvas* canvas);
    void drawRotatedText(TCanvas* canvas);
    void textPointerEvent(const TNotifyEvent& event);
    TWinControl* firstTabStopChild() const;

    TColor FColorFrame = clBlack;
    bool FDrawFrame[4] = {true, true, true, true};
    bool FHideFrame = false;
    TAlignment FTextAlignment = taLeftJustify;
    TVAlignment FTextVAlignment = tvaTopJustify;
    TTextDirection FTextDirection = ttdLeftToRight;
    TColor FTextColor = clWindowText;
    TFontStyles FTextStyles;
    bool FTextWrap = false;
    std::unique_ptr<TStringList> FLines;  // filled from Text when read
};

// A label with a vertical alignment and a text direction. For vertical text
// Alignment acts along the text and TextVAlignment across it, "top" being the
// side the letters' tops face. It always paints its background (Transparent,
// Layout and WordWrap do not apply).
class TVarnLabel : public TCustomLabel {
public:
    explicit TVarnLabel(TComponent* AOwner);
    AnsiString ClassName() const override { return "TVarnLabel"; }

    TVAlignment TextVAlignment() const { return FTextVAlignment; }
    void SetTextVAlignment(TVAlignment Value);
    TTextDirection TextDirection() const { return FTextDirection; }
    void SetTextDirection(TTextDirection Value);

protected:
    void Paint() override;
    // With AutoSize and no Align, the label takes the text's size, turned with it.
    void AdjustBounds() override;

private:
    // The caption's unrotated extent in the label's font.
    TSize captionExtent();

    TVAlignment FTextVAlignment = tvaTopJustify;
    TTextDirection FTextDirection = ttdLeftToRight;
};
