// The Pango side of the window system's text, for code that lays out text itself
// (the rich-text field): the context every DC measures with and the font
// description a face resolves to, Windows face names mapped as for any DC.
#pragma once

#include "platform/win/Gdi.h"

#include <pango/pango.h>

namespace varn::detail {

PangoContext* textContext();
// The caller frees it (pango_font_description_free).
PangoFontDescription* newFontDescription(const TFontSpec& face, double pixels);

}  // namespace varn::detail
