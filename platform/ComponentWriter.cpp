// Writing a component tree as component text. A property is written when it is
// stored and differs from its declared default; objects write their properties with
// dotted names, collections as < item ... end >, lists of texts as ( ... ).
#include "platform/ComponentText.h"
#include "platform/Streaming.h"

#include "platform/Controls.h"

#include <charconv>

using namespace varn::detail;

namespace {

const AnsiString* identOf(const TIdentList* idents, int64_t value)
{
    if (idents)
        for (auto& [name, v] : *idents)
            if (v == value)
                return &name;
    return nullptr;
}

AnsiString hexBytes(const AnsiString& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    AnsiString out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

AnsiString formatFloat(double value)
{
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    AnsiString text(buffer, ec == std::errc() ? end : buffer);
    // Keep it a float to the reader: "1100" would come back as an integer token,
    // which reads the same, but "1e+20" and "1.5" already are floats.
    if (text.find_first_of(".eE") == AnsiString::npos && text.find_first_not_of("-0123456789") == AnsiString::npos)
        text += ".0";
    return text;
}

// A simple value in its written form.
AnsiString formatValue(const TPropInfo& p, const TPropValue& v)
{
    switch (p.kind) {
    case pkInteger:
    case pkColor:
    case pkBoolean:
    case pkEnumeration:
        if (const AnsiString* name = identOf(p.idents, v.ordinal))
            return *name;
        return Sprintf("%lld", static_cast<long long>(v.ordinal));
    case pkSet: {
        AnsiString out = "[";
        for (int bit = 0; bit < 64; ++bit) {
            if (!(v.ordinal & (int64_t(1) << bit)))
                continue;
            const AnsiString* name = identOf(p.idents, bit);
            if (out.size() > 1)
                out += ", ";
            out += name ? *name : Sprintf("%d", bit);
        }
        return out + "]";
    }
    case pkString:
        return quoteString(v.text);
    case pkFloat:
        return formatFloat(v.real);
    case pkBinary:
        return "{" + hexBytes(v.text) + "}";
    default:
        return AnsiString();
    }
}

class TWriter {
public:
    explicit TWriter(TComponent* root) : root(root) {}

    AnsiString write()
    {
        writeComponent(root, 0);
        return out;
    }

private:
    void line(int indent, const AnsiString& text)
    {
        out.append(static_cast<size_t>(indent) * 2, ' ');
        out += text;
        out += '\n';
    }

    // One more object or collection open around what is written next; deeper than
    // the reader takes is refused rather than written.
    class TNestingLevel {
    public:
        TNestingLevel(int& depth, const AnsiString& what) : depth(depth)
        {
            if (depth >= maxNestingDepth)
                throw EWriteError(Sprintf("Cannot write %s: objects and collections nested deeper than %d levels",
                                          what.c_str(), maxNestingDepth));
            ++depth;
        }
        ~TNestingLevel() { --depth; }
        TNestingLevel(const TNestingLevel&) = delete;
        TNestingLevel& operator=(const TNestingLevel&) = delete;

    private:
        int& depth;
    };

    void writeComponent(TComponent* component, int indent)
    {
        TNestingLevel level(depth, "'" + component->Name() + "'");
        const TClassInfo* cls = ClassInfoOf(component);
        if (!cls)
            throw EWriteError("Class " + component->ClassName() + " is not registered for writing");
        if (component->Name().empty())
            line(indent, "object " + cls->name);
        else
            line(indent, "object " + component->Name() + ": " + cls->name);
        writeProperties(component, cls, AnsiString(), indent + 1);
        for (TComponent* child : children(component))
            writeComponent(child, indent + 1);
        line(indent, "end");
    }

    // The root writes the components it owns that no control or other component of it
    // holds (non-visual ones, controls without a parent), every component what its
    // GetChildren lists (menu items), then every container its child controls that the
    // root owns; the controls' own parts (owned by them) stay out.
    std::vector<TComponent*> children(TComponent* component)
    {
        std::vector<TComponent*> result;
        if (component == root)
            for (int i = 0; i < root->ComponentCount(); ++i) {
                TComponent* c = root->Components(i);
                auto* control = dynamic_cast<TControl*>(c);
                if (control ? !control->Parent() : !c->GetParentComponent())
                    result.push_back(c);
            }
        component->GetChildren([&](TComponent* c) { result.push_back(c); }, root);
        if (auto* container = dynamic_cast<TWinControl*>(component))
            for (int i = 0; i < container->ControlCount(); ++i) {
                TControl* c = container->Controls(i);
                if (c->Owner() == root)
                    result.push_back(c);
            }
        return result;
    }

    void writeProperties(TPersistent* instance, const TClassInfo* cls, const AnsiString& prefix, int indent)
    {
        for (const TPropInfo* p : cls->AllProperties()) {
            if (p->stored && !p->stored(instance))
                continue;
            AnsiString name = prefix + p->name;
            switch (p->kind) {
            case pkObject: {
                TPersistent* object = p->getObject(instance);
                if (const TClassInfo* objectClass = ClassInfoOf(object))
                    writeProperties(object, objectClass, name + ".", indent);
                break;
            }
            case pkCollection:
                writeCollection(dynamic_cast<TCollection*>(p->getObject(instance)), name, indent);
                break;
            case pkStrings:
                writeStrings(dynamic_cast<TStrings*>(p->getObject(instance)), name, indent);
                break;
            case pkComponent: {
                auto* target = dynamic_cast<TComponent*>(p->getObject(instance));
                if (target && !target->Name().empty())
                    line(indent, name + " = " + target->Name());
                break;
            }
            case pkEvent: {
                AnsiString handler = GetEventHandlerName(instance, p->name);
                if (p->assigned(instance) && !handler.empty())
                    line(indent, name + " = " + handler);
                break;
            }
            case pkBinary: {
                TPropValue v = p->get(instance);
                if (v.text.empty())
                    break;
                AnsiString hex = hexBytes(v.text);
                line(indent, name + " = {");
                for (size_t at = 0; at < hex.size(); at += 64)
                    line(indent + 1, hex.substr(at, 64) + (at + 64 >= hex.size() ? "}" : ""));
                break;
            }
            default: {
                TPropValue v = p->get(instance);
                if (p->defaultValue && *p->defaultValue == v)
                    break;
                line(indent, name + " = " + formatValue(*p, v));
            }
            }
        }
    }

    void writeCollection(TCollection* collection, const AnsiString& name, int indent)
    {
        if (!collection || collection->Count() == 0)
            return;
        TNestingLevel level(depth, "'" + name + "'");
        line(indent, name + " = <");
        for (int i = 0; i < collection->Count(); ++i) {
            TCollectionItem* item = collection->Items(i);
            line(indent + 1, "item");
            if (const TClassInfo* itemClass = ClassInfoOf(item))
                writeProperties(item, itemClass, AnsiString(), indent + 2);
            line(indent + 1, "end");
        }
        out.insert(out.size() - 1, ">");  // "end>" closes the last item and the collection
    }

    void writeStrings(TStrings* strings, const AnsiString& name, int indent)
    {
        if (!strings || strings->Count() == 0)
            return;
        line(indent, name + " = (");
        for (int i = 0; i < strings->Count(); ++i)
            line(indent + 1, quoteString(strings->Strings(i)) + (i + 1 == strings->Count() ? ")" : ""));
    }

    TComponent* root;
    AnsiString out;
    int depth = 0;  // objects and collections being written
};

}  // namespace

AnsiString WriteComponentText(TComponent* Component)
{
    return TWriter(Component).write();
}

AnsiString GetPropText(TPersistent* Instance, const AnsiString& Path)
{
    TPersistent* target = Instance;
    size_t start = 0;
    for (;;) {
        const TClassInfo* cls = ClassInfoOf(target);
        size_t dot = Path.find('.', start);
        AnsiString segment = Path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start);
        const TPropInfo* p = cls ? cls->FindProperty(segment) : nullptr;
        if (!p)
            throw EReadError("Unknown property '" + Path + "'");
        if (dot != AnsiString::npos) {
            target = p->kind == pkObject ? p->getObject(target) : nullptr;
            if (!target)
                throw EReadError("Property '" + Path.substr(0, dot) + "' has no object");
            start = dot + 1;
            continue;
        }
        switch (p->kind) {
        case pkObject:
        case pkCollection:
            throw EReadError("Property '" + Path + "' has no value of its own");
        case pkStrings: {
            auto* strings = dynamic_cast<TStrings*>(p->getObject(target));
            AnsiString out = "(";
            for (int i = 0; i < strings->Count(); ++i)
                out += (i ? " " : "") + quoteString(strings->Strings(i));
            return out + ")";
        }
        case pkComponent: {
            auto* c = dynamic_cast<TComponent*>(p->getObject(target));
            return c ? c->Name() : AnsiString("nil");
        }
        case pkEvent: {
            AnsiString handler = GetEventHandlerName(target, p->name);
            return p->assigned(target) && !handler.empty() ? handler : AnsiString("nil");
        }
        default:
            return formatValue(*p, p->get(target));
        }
    }
}
