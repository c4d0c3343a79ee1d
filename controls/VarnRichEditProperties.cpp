// Published properties of the rich-text box: Align, BorderStyle (bsSingle),
// ReadOnly (false), ScrollBars (ssNone), TabOrder, TabStop (true) and Visible
// (true), besides the bounds and Tag, all as the memo declares them (and in its
// order); everything else the memo publishes is hidden. The content is not
// published: the program sets it.
#include "controls/VarnRichEditProperties.h"

#include "controls/VarnRichEdit.h"
#include "platform/Streaming.h"

namespace {

void registerVarnRichEdit()
{
    RegisterPublishedClass<TVarnRichEdit>("TVarnRichEdit", "TCustomMemo")
        .Hide({"Cursor", "Enabled", "Font", "Hint", "ParentColor", "ParentFont", "PopupMenu", "OnClick",
               "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnMouseWheel", "OnMouseEnter",
               "OnMouseLeave", "OnResize", "BorderWidth", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress",
               "OnKeyUp", "AutoSelect", "CharCase", "Color", "HideSelection", "MaxLength", "OEMConvert",
               "PasswordChar", "OnChange", "Lines", "WantReturns", "WantTabs", "WordWrap"});
}

}  // namespace

bool varn::detail::registerVarnRichEditClass()
{
    static const bool done = [] {
        registerVarnRichEdit();
        return true;
    }();
    return done;
}
