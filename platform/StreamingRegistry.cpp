// The registry of published classes, the identifier tables and the side store for
// values, fonts and handler names that components keep outside their own members.
#include "platform/Streaming.h"

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"

#include <map>
#include <memory>
#include <unordered_map>

namespace varn::detail {
void registerPlatformClasses();  // PlatformProperties.cpp
}

namespace {

AnsiString upper(const AnsiString& text)
{
    return UpperCase(text);
}

struct TRegistry {
    std::vector<std::unique_ptr<TClassInfo>> classes;
    std::map<AnsiString, TClassInfo*> byName;  // upper-cased names
    std::unordered_map<std::type_index, TClassInfo*> byType;
};

TRegistry& storage()
{
    static TRegistry* registry = new TRegistry;  // lives for the program: static objects read forms too
    return *registry;
}

// The platform's classes join on first use; registrations made meanwhile (from the
// platform's own list) see the flag already set.
void ensurePlatformClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    varn::detail::registerPlatformClasses();
}

// Values and handler names kept per component. It hears of every component it
// keeps something for being destroyed, and drops the entry.
class TSideStore : public TComponent {
public:
    TSideStore() : TComponent(nullptr) {}

    struct Entry {
        std::map<AnsiString, TPropValue> values;
        std::map<AnsiString, AnsiString> handlers;
    };

    Entry* find(TPersistent* instance)
    {
        auto it = entries.find(instance);
        return it == entries.end() ? nullptr : &it->second;
    }
    Entry& entry(TComponent* component)
    {
        auto [it, inserted] = entries.try_emplace(component);
        if (inserted)
            FreeNotification(component);
        return it->second;
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        if (Operation == opRemove)
            entries.erase(AComponent);
        TComponent::Notification(AComponent, Operation);
    }

private:
    std::unordered_map<TPersistent*, Entry> entries;
};

TSideStore& sideStore()
{
    static TSideStore* store = new TSideStore;  // never destroyed: forms may outlive static objects
    return *store;
}

}  // namespace

// ---- Registry ---------------------------------------------------------------------------

TClassInfo& varn::detail::registerClassInfo(const AnsiString& name, const AnsiString& parentName,
                                            std::type_index type)
{
    ensurePlatformClasses();
    TRegistry& r = storage();
    auto info = std::make_unique<TClassInfo>();
    info->name = name;
    info->parentName = parentName;
    info->type = type;
    TClassInfo* raw = info.get();
    auto old = r.byName.find(upper(name));
    if (old != r.byName.end()) {
        // Replace in place so that pointers held elsewhere stay valid.
        *old->second = std::move(*info);
        raw = old->second;
    } else {
        r.classes.push_back(std::move(info));
        r.byName[upper(name)] = raw;
    }
    r.byType[type] = raw;
    return *raw;
}

const TClassInfo* FindClassInfo(const AnsiString& ClassName)
{
    ensurePlatformClasses();
    auto& byName = storage().byName;
    auto it = byName.find(upper(ClassName));
    return it == byName.end() ? nullptr : it->second;
}

const TClassInfo* FindClassInfo(const std::type_index& Type)
{
    ensurePlatformClasses();
    auto& byType = storage().byType;
    auto it = byType.find(Type);
    return it == byType.end() ? nullptr : it->second;
}

const TClassInfo* ClassInfoOf(const TPersistent* Instance)
{
    if (!Instance)
        return nullptr;
    if (const TClassInfo* info = FindClassInfo(std::type_index(typeid(*Instance))))
        return info;
    return FindClassInfo(Instance->ClassName());
}

const TClassInfo* TClassInfo::Parent() const
{
    return parentName.empty() ? nullptr : FindClassInfo(parentName);
}

const TPropInfo* TClassInfo::FindProperty(const AnsiString& Name) const
{
    for (const TClassInfo* c = this; c; c = c->Parent()) {
        for (const TPropInfo& p : c->properties)
            if (AnsiSameText(p.name, Name))
                return &p;
        for (const AnsiString& h : c->hidden)
            if (AnsiSameText(h, Name))
                return nullptr;
    }
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProperties() const
{
    std::vector<const TClassInfo*> chain;  // this class first
    for (const TClassInfo* c = this; c; c = c->Parent())
        chain.push_back(c);
    auto shadowed = [&](size_t level, const AnsiString& name) {
        for (size_t j = 0; j < level; ++j) {
            for (const AnsiString& h : chain[j]->hidden)
                if (AnsiSameText(h, name))
                    return true;
            for (const TPropInfo& p : chain[j]->properties)
                if (AnsiSameText(p.name, name))
                    return true;
        }
        return false;
    };
    std::vector<const TPropInfo*> result;
    for (size_t level = chain.size(); level-- > 0;)
        for (const TPropInfo& p : chain[level]->properties)
            if (!shadowed(level, p.name))
                result.push_back(&p);
    return result;
}

const THandlerInfo* TClassInfo::FindHandler(const AnsiString& Name) const
{
    for (const TClassInfo* c = this; c; c = c->Parent())
        for (const THandlerInfo& h : c->handlers)
            if (AnsiSameText(h.name, Name))
                return &h;
    return nullptr;
}

bool TClassInfo::InheritsFrom(const AnsiString& Name) const
{
    for (const TClassInfo* c = this; c; c = c->Parent())
        if (AnsiSameText(c->name, Name))
            return true;
    return false;
}

// ---- Side store ---------------------------------------------------------------------------

TPropValue varn::detail::keptValue(TPersistent* instance, const AnsiString& name, const TPropValue& initial)
{
    if (auto* e = sideStore().find(instance)) {
        auto it = e->values.find(name);
        if (it != e->values.end())
            return it->second;
    }
    return initial;
}

void varn::detail::setKeptValue(TPersistent* instance, const AnsiString& name, const TPropValue& value)
{
    if (auto* component = dynamic_cast<TComponent*>(instance))
        sideStore().entry(component).values[name] = value;
}

void varn::detail::rememberHandlerName(TPersistent* instance, const AnsiString& event, const AnsiString& handler)
{
    // Only components are remembered: their entries go when they are destroyed.
    auto* component = dynamic_cast<TComponent*>(instance);
    if (!component)
        return;
    auto& handlers = sideStore().entry(component).handlers;
    if (handler.empty())
        handlers.erase(event);
    else
        handlers[event] = handler;
}

AnsiString GetEventHandlerName(TPersistent* Instance, const AnsiString& Event)
{
    if (auto* e = sideStore().find(Instance))
        for (auto& [event, handler] : e->handlers)
            if (AnsiSameText(event, Event))
                return handler;
    return AnsiString();
}

// ---- Identifier tables ----------------------------------------------------------------------

const TIdentList& BooleanIdents()
{
    static const TIdentList idents = {{"False", 0}, {"True", 1}};
    return idents;
}

const TIdentList& AlignmentIdents()
{
    static const TIdentList idents = {
        {"taLeftJustify", taLeftJustify}, {"taRightJustify", taRightJustify}, {"taCenter", taCenter}};
    return idents;
}

const TIdentList& ControlBorderStyleIdents()
{
    static const TIdentList idents = {{"bsNone", bsNone}, {"bsSingle", bsSingle}};
    return idents;
}

const TIdentList& AlignIdents()
{
    static const TIdentList idents = {{"alNone", alNone}, {"alTop", alTop}, {"alBottom", alBottom},
        {"alLeft", alLeft}, {"alRight", alRight}, {"alClient", alClient}, {"alCustom", alCustom}};
    return idents;
}

const TIdentList& FontStyleIdents()
{
    static const TIdentList idents = {{"fsBold", 0}, {"fsItalic", 1}, {"fsUnderline", 2}, {"fsStrikeOut", 3}};
    return idents;
}

const TIdentList& AnchorIdents()
{
    static const TIdentList idents = {{"akLeft", akLeft}, {"akTop", akTop}, {"akRight", akRight}, {"akBottom", akBottom}};
    return idents;
}

const TIdentList& DragKindIdents()
{
    static const TIdentList idents = {{"dkDrag", dkDrag}, {"dkDock", dkDock}};
    return idents;
}

const TIdentList& DragModeIdents()
{
    static const TIdentList idents = {{"dmManual", dmManual}, {"dmAutomatic", dmAutomatic}};
    return idents;
}

const TIdentList& ColorIdents()
{
    static const TIdentList idents = {
        {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
        {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
        {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
        {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
        {"clMoneyGreen", clMoneyGreen}, {"clSkyBlue", clSkyBlue}, {"clCream", clCream},
        {"clMedGray", clMedGray}, {"clLtGray", clLtGray}, {"clDkGray", clDkGray},
        {"clScrollBar", clScrollBar}, {"clBackground", clBackground}, {"clActiveCaption", clActiveCaption},
        {"clInactiveCaption", clInactiveCaption}, {"clMenu", clMenu}, {"clWindow", clWindow},
        {"clWindowFrame", clWindowFrame}, {"clMenuText", clMenuText}, {"clWindowText", clWindowText},
        {"clCaptionText", clCaptionText}, {"clActiveBorder", clActiveBorder},
        {"clInactiveBorder", clInactiveBorder}, {"clAppWorkSpace", clAppWorkSpace},
        {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText}, {"clBtnFace", clBtnFace},
        {"clBtnShadow", clBtnShadow}, {"clGrayText", clGrayText}, {"clBtnText", clBtnText},
        {"clInactiveCaptionText", clInactiveCaptionText}, {"clBtnHighlight", clBtnHighlight},
        {"cl3DDkShadow", sysColor(COLOR_3DDKSHADOW)}, {"cl3DLight", sysColor(COLOR_3DLIGHT)},
        {"clInfoText", clInfoText}, {"clInfoBk", clInfoBk}, {"clHotLight", clHotLight},
        {"clGradientActiveCaption", clGradientActiveCaption},
        {"clGradientInactiveCaption", clGradientInactiveCaption}, {"clMenuHighlight", clMenuHighlight},
        {"clMenuBar", clMenuBar}, {"clNone", clNone}, {"clDefault", clDefault},
    };
    return idents;
}

const TIdentList& CursorIdents()
{
    static const TIdentList idents = {
        {"crDefault", crDefault}, {"crNone", crNone}, {"crArrow", crArrow}, {"crCross", crCross},
        {"crIBeam", crIBeam}, {"crSizeNESW", crSizeNESW}, {"crSizeNS", crSizeNS}, {"crSizeNWSE", crSizeNWSE},
        {"crSizeWE", crSizeWE}, {"crUpArrow", crUpArrow}, {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
        {"crNoDrop", crNoDrop}, {"crHSplit", crHSplit}, {"crVSplit", crVSplit}, {"crNo", crNo},
        {"crAppStart", crAppStart}, {"crHelp", crHelp}, {"crHandPoint", crHandPoint}, {"crSizeAll", crSizeAll},
    };
    return idents;
}

const TIdentList& CharsetIdents()
{
    static const TIdentList idents = {
        {"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2}, {"MAC_CHARSET", 77},
        {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129}, {"JOHAB_CHARSET", 130}, {"GB2312_CHARSET", 134},
        {"CHINESEBIG5_CHARSET", 136}, {"GREEK_CHARSET", 161}, {"TURKISH_CHARSET", 162},
        {"VIETNAMESE_CHARSET", 163}, {"HEBREW_CHARSET", 177}, {"ARABIC_CHARSET", 178},
        {"BALTIC_CHARSET", 186}, {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},
        {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255},
    };
    return idents;
}
