// Paragraphs of a rich-text document laid out with Pango at a resolution and a
// width: the field lays out for its window, EM_FORMATRANGE for the page it renders.
#pragma once

#include "platform/win/RichText.h"

#include <pango/pango.h>

#include <vector>

namespace varn::detail {

class RichParagraphLayout {
public:
    // The paragraph's text [start, end) (its '\r' left out) in width pixels at
    // pixelsPerInch; autoColor text is drawn in the cairo source colour.
    RichParagraphLayout(const RichDocument& document, int paragraph, int start, int end, int width, int pixelsPerInch);
    ~RichParagraphLayout();
    RichParagraphLayout(RichParagraphLayout&& other) noexcept;
    RichParagraphLayout& operator=(RichParagraphLayout&& other) noexcept;
    RichParagraphLayout(const RichParagraphLayout&) = delete;

    PangoLayout* layout() const { return pango; }
    int start() const { return first; }
    int end() const { return last; }
    int left() const { return x; }  // pixels from the left of the text area to the layout
    int height() const { return pixelHeight; }
    // The text before it grew or shrank by delta characters.
    void shift(int delta)
    {
        first += delta;
        last += delta;
    }
    int byteOf(int position) const;  // position in the document
    int positionOf(int byteIndex) const;

private:
    PangoLayout* pango = nullptr;
    int first = 0;
    int last = 0;
    int x = 0;
    int pixelHeight = 0;
    std::vector<int> bytes;  // UTF-8 offset of each character, and of the end
};

}  // namespace varn::detail
