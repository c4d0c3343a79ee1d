// Reading component text into a component tree.
//
// Call flow: ReadComponentText -> parseComponentText (syntax) -> checkObject (every
// class, property path and value against the registry, nothing touched yet) ->
// buildObject (names, parents, fields, property values, children) -> component
// references resolved -> Loaded() for every component read. A failure in the build
// destroys the components it created and clears the fields pointing at them.
#include "platform/ComponentText.h"
#include "platform/Streaming.h"

#include "platform/Controls.h"

#include <fstream>
#include <limits>
#include <sstream>

using namespace varn::detail;

namespace {

[[noreturn]] void readError(int line, const AnsiString& message)
{
    throw EReadError(Sprintf("Line %d: %s", line, message.c_str()));
}

AnsiString describe(const TTextValue& v)
{
    switch (v.kind) {
    case TTextValue::Integer: return Sprintf("%lld", static_cast<long long>(v.integer));
    case TTextValue::Float: return "a number";
    case TTextValue::String: return quoteString(v.text);
    case TTextValue::Ident: return v.text;
    case TTextValue::Set: return "a set";
    case TTextValue::List: return "a list";
    case TTextValue::Collection: return "a collection";
    case TTextValue::Binary: return "binary data";
    }
    return "a value";
}

[[noreturn]] void invalidValue(const TTextValue& v, const TPropInfo& p)
{
    readError(v.line, "Invalid value " + describe(v) + " for property '" + p.name + "'");
}

const int64_t* findIdent(const TIdentList* idents, const AnsiString& name)
{
    if (idents)
        for (auto& [ident, value] : *idents)
            if (AnsiSameText(ident, name))
                return &value;
    return nullptr;
}

// The text of the rest of a read: the root and its class (for handlers and fields),
// what was created and what is loading, and component references to resolve.
struct TReadContext {
    TComponent* root = nullptr;
    const TClassInfo* rootClass = nullptr;
    std::vector<TComponent*> created;
    std::vector<TComponent*> loading;
    std::vector<std::pair<const TFieldInfo*, TPersistent*>> fieldsSet;
    struct Reference {
        TPersistent* instance;
        const TPropInfo* property;
        AnsiString name;
        int line;
    };
    std::vector<Reference> references;
};

const TFieldInfo* findField(const TClassInfo* cls, const AnsiString& name)
{
    for (const TClassInfo* c = cls; c; c = c->Parent())
        for (const TFieldInfo& f : c->fields)
            if (AnsiSameText(f.name, name))
                return &f;
    return nullptr;
}

// Converts a written value to the property's value; ordinal kinds only and texts,
// floats and binary data. The line of the value is in every error.
TPropValue convertValue(const TPropInfo& p, const TTextValue& v)
{
    TPropValue out;
    switch (p.kind) {
    case pkInteger:
    case pkColor:
        if (v.kind == TTextValue::Integer) {
            // Colours are 32-bit patterns and may be written unsigned ($80000005).
            int64_t low = std::numeric_limits<int32_t>::min();
            int64_t high = p.kind == pkColor ? std::numeric_limits<uint32_t>::max()
                                             : std::numeric_limits<int32_t>::max();
            if (v.integer < low || v.integer > high)
                readError(v.line, Sprintf("Value %lld out of range for property '%s'",
                                          static_cast<long long>(v.integer), p.name.c_str()));
            out.ordinal = static_cast<int32_t>(static_cast<uint32_t>(v.integer));
            return out;
        }
        if (v.kind == TTextValue::Ident)
            if (const int64_t* value = findIdent(p.idents, v.text)) {
                out.ordinal = *value;
                return out;
            }
        invalidValue(v, p);
    case pkBoolean:
    case pkEnumeration:
        if (v.kind == TTextValue::Ident)
            if (const int64_t* value = findIdent(p.idents, v.text)) {
                out.ordinal = *value;
                return out;
            }
        invalidValue(v, p);
    case pkSet:
        if (v.kind != TTextValue::Set)
            invalidValue(v, p);
        for (const AnsiString& name : v.idents) {
            const int64_t* value = findIdent(p.idents, name);
            if (!value)
                readError(v.line, "Invalid set element " + name + " for property '" + p.name + "'");
            out.ordinal |= int64_t(1) << *value;
        }
        return out;
    case pkString:
        if (v.kind != TTextValue::String)
            invalidValue(v, p);
        out.text = v.text;
        return out;
    case pkFloat:
        if (v.kind == TTextValue::Float)
            out.real = v.real;
        else if (v.kind == TTextValue::Integer)
            out.real = static_cast<double>(v.integer);
        else
            invalidValue(v, p);
        return out;
    case pkBinary:
        if (v.kind != TTextValue::Binary)
            invalidValue(v, p);
        out.text = v.text;
        return out;
    default:
        invalidValue(v, p);
    }
}

// A property that takes no value of its own, such as Font, may still take a string
// list when its class is a list of texts (ComboTexts = ( ... )).
const TPropInfo* listTarget(const TPropInfo* p, const TClassInfo* objectClass, const TTextValue& v)
{
    if (p->kind == pkObject && v.kind == TTextValue::List && objectClass) {
        const TPropInfo* items = objectClass->FindProperty("Strings");
        if (items && items->kind == pkStrings)
            return items;
    }
    return nullptr;
}

// ---- Checking -------------------------------------------------------------------------

class TChecker {
public:
    explicit TChecker(const TReadContext& context) : context(context) {}

    void checkObject(const TTextObject& node, const TClassInfo* cls)
    {
        for (const TTextProperty& p : node.properties)
            checkProperty(cls, p);
        for (const TTextObject& child : node.children) {
            const TClassInfo* childClass = nullptr;
            if (child.kind == TTextObject::Inherited) {
                TComponent* existing = context.root->FindComponent(child.name);
                if (!existing)
                    readError(child.line, "Ancestor for '" + child.name + "' not found");
                childClass = ClassInfoOf(existing);
                if (!childClass)
                    readError(child.line, "Class " + existing->ClassName() + " not registered");
            } else {
                childClass = FindClassInfo(child.className);
                if (!childClass)
                    throw EClassNotFound(Sprintf("Line %d: Class %s not found", child.line, child.className.c_str()));
                if (!childClass->create)
                    readError(child.line, "Class " + child.className + " cannot be created");
            }
            checkObject(child, childClass);
        }
    }

    void checkProperty(const TClassInfo* cls, const TTextProperty& tp)
    {
        const TClassInfo* objectClass = nullptr;
        const TPropInfo* p = resolve(cls, tp, &objectClass);
        checkValue(p, objectClass, tp.value);
    }

    // The property a dotted path names; objectClass receives the class of the
    // property's object when it has one.
    static const TPropInfo* resolve(const TClassInfo* cls, const TTextProperty& tp, const TClassInfo** objectClass)
    {
        size_t start = 0;
        for (;;) {
            size_t dot = tp.path.find('.', start);
            AnsiString segment = tp.path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start);
            const TPropInfo* p = cls ? cls->FindProperty(segment) : nullptr;
            if (!p)
                readError(tp.line, "Unknown property '" + tp.path + "'");
            const TClassInfo* next = nullptr;
            if (p->kind == pkObject || p->kind == pkCollection || p->kind == pkComponent) {
                next = FindClassInfo(p->objectType);
            }
            if (dot == AnsiString::npos) {
                *objectClass = next;
                return p;
            }
            if (p->kind != pkObject)
                readError(tp.line, "Property '" + tp.path.substr(0, dot) + "' has no properties of its own");
            if (!next)
                readError(tp.line, "Class of property '" + tp.path.substr(0, dot) + "' not registered");
            cls = next;
            start = dot + 1;
        }
    }

    void checkValue(const TPropInfo* p, const TClassInfo* objectClass, const TTextValue& v)
    {
        switch (p->kind) {
        case pkObject:
            if (const TPropInfo* items = listTarget(p, objectClass, v))
                return checkValue(items, nullptr, v);
            readError(v.line, "Property '" + p->name + "' takes no value; set its properties");
        case pkCollection:
            if (v.kind != TTextValue::Collection)
                invalidValue(v, *p);
            if (!objectClass)
                readError(v.line, "Item class of property '" + p->name + "' not registered");
            for (const TTextItem& item : v.items)
                for (const TTextProperty& tp : item.properties)
                    checkProperty(objectClass, tp);
            return;
        case pkStrings:
            if (v.kind != TTextValue::List)
                invalidValue(v, *p);
            for (const TTextValue& entry : v.list)
                if (entry.kind != TTextValue::String)
                    readError(entry.line, "String expected in the list of '" + p->name + "'");
            return;
        case pkComponent:
            if (v.kind != TTextValue::Ident)
                invalidValue(v, *p);
            return;
        case pkEvent: {
            if (v.kind != TTextValue::Ident)
                invalidValue(v, *p);
            if (AnsiSameText(v.text, "nil"))
                return;
            const THandlerInfo* h = context.rootClass ? context.rootClass->FindHandler(v.text) : nullptr;
            if (!h)
                readError(v.line, "Handler '" + v.text + "' not found for event '" + p->name + "'");
            if (h->eventType != p->eventType)
                readError(v.line, "Handler '" + v.text + "' does not fit event '" + p->name + "'");
            return;
        }
        default:
            if (!p->set)
                readError(v.line, "Property '" + p->name + "' is read-only");
            convertValue(*p, v);
        }
    }

private:
    const TReadContext& context;
};

// ---- Building ---------------------------------------------------------------------------

class TBuilder {
public:
    explicit TBuilder(TReadContext& context) : context(context) {}

    void buildObject(TComponent* component, const TTextObject& node)
    {
        for (const TTextProperty& p : node.properties)
            applyProperty(component, p);
        for (const TTextObject& childNode : node.children) {
            TComponent* child = nullptr;
            try {
                if (childNode.kind == TTextObject::Inherited) {
                    child = context.root->FindComponent(childNode.name);
                } else {
                    child = FindClassInfo(childNode.className)->create(context.root);
                    context.created.push_back(child);
                    if (!childNode.name.empty())
                        child->SetName(childNode.name);
                }
                child->BeginLoading();
                context.loading.push_back(child);
                if (const TFieldInfo* field = findField(context.rootClass, childNode.name)) {
                    if (!field->assign(context.root, child))
                        readError(childNode.line, "Field '" + field->name + "' does not fit class " + childNode.className);
                    context.fieldsSet.emplace_back(field, context.root);
                }
                auto* control = dynamic_cast<TControl*>(child);
                auto* container = dynamic_cast<TWinControl*>(component);
                if (control && container && control->Parent() != container)
                    control->SetParent(container);
                else if (!control)
                    child->SetParentComponent(component);
            } catch (const EFilerError&) {
                throw;
            } catch (const Exception& e) {
                readError(childNode.line, e.Message());
            }
            buildObject(child, childNode);
        }
    }

    void applyProperty(TPersistent* instance, const TTextProperty& tp)
    {
        try {
            setProperty(instance, tp);
        } catch (const EFilerError&) {
            throw;
        } catch (const Exception& e) {
            readError(tp.line, e.Message());
        } catch (const std::exception& e) {
            readError(tp.line, e.what());
        }
    }

    void resolveReferences()
    {
        for (auto& r : context.references) {
            TComponent* target = nullptr;
            if (!AnsiSameText(r.name, "nil")) {
                target = context.root->FindComponent(r.name);
                if (!target && AnsiSameText(context.root->Name(), r.name))
                    target = context.root;
                if (!target)
                    readError(r.line, "Component '" + r.name + "' not found for property '" + r.property->name + "'");
            }
            try {
                r.property->setComponent(r.instance, target);
            } catch (const Exception&) {
                readError(r.line, "Component '" + r.name + "' does not fit property '" + r.property->name + "'");
            }
        }
    }

private:
    void setProperty(TPersistent* instance, const TTextProperty& tp)
    {
        // Walk the dotted path through the objects themselves: their classes may be
        // descendants of the declared ones.
        TPersistent* target = instance;
        size_t start = 0;
        const TPropInfo* p = nullptr;
        for (;;) {
            const TClassInfo* cls = ClassInfoOf(target);
            size_t dot = tp.path.find('.', start);
            AnsiString segment = tp.path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start);
            p = cls ? cls->FindProperty(segment) : nullptr;
            if (!p)
                readError(tp.line, "Unknown property '" + tp.path + "'");
            if (dot == AnsiString::npos)
                break;
            target = p->kind == pkObject ? p->getObject(target) : nullptr;
            if (!target)
                readError(tp.line, "Property '" + tp.path.substr(0, dot) + "' has no object");
            start = dot + 1;
        }
        setValue(target, p, tp.value, tp.path);
    }

    void setValue(TPersistent* target, const TPropInfo* p, const TTextValue& v, const AnsiString& path)
    {
        switch (p->kind) {
        case pkObject: {
            TPersistent* object = p->getObject(target);
            const TClassInfo* objectClass = ClassInfoOf(object);
            const TPropInfo* items = object ? listTarget(p, objectClass, v) : nullptr;
            if (!items)
                readError(v.line, "Property '" + path + "' takes no value; set its properties");
            return setValue(object, items, v, path);
        }
        case pkCollection: {
            auto* collection = dynamic_cast<TCollection*>(p->getObject(target));
            if (!collection)
                readError(v.line, "Property '" + path + "' has no collection");
            collection->BeginUpdate();
            try {
                collection->Clear();
                for (const TTextItem& item : v.items) {
                    TCollectionItem* added = collection->Add();
                    for (const TTextProperty& tp : item.properties)
                        applyProperty(added, tp);
                }
            } catch (...) {
                collection->EndUpdate();
                throw;
            }
            collection->EndUpdate();
            return;
        }
        case pkStrings: {
            auto* strings = dynamic_cast<TStrings*>(p->getObject(target));
            strings->BeginUpdate();
            strings->Clear();
            for (const TTextValue& entry : v.list)
                strings->Add(entry.text);
            strings->EndUpdate();
            return;
        }
        case pkComponent:
            context.references.push_back({target, p, v.text, v.line});
            return;
        case pkEvent: {
            if (AnsiSameText(v.text, "nil")) {
                p->bind(target, nullptr);
                rememberHandlerName(target, p->name, AnsiString());
                return;
            }
            const THandlerInfo* h = context.rootClass ? context.rootClass->FindHandler(v.text) : nullptr;
            if (!h || h->eventType != p->eventType)
                readError(v.line, "Handler '" + v.text + "' does not fit event '" + p->name + "'");
            std::any handler = h->make(context.root);
            p->bind(target, &handler);
            rememberHandlerName(target, p->name, h->name);
            return;
        }
        default:
            if (!p->set)
                readError(v.line, "Property '" + p->name + "' is read-only");
            p->set(target, convertValue(*p, v));
        }
    }

    TReadContext& context;
};

// Gives the root the name of the text, made unique among its owner's components the
// way a second instance of a form gets "Form1_1".
void nameRoot(TComponent* root, const AnsiString& name)
{
    if (name.empty() || name == root->Name())
        return;
    AnsiString unique = name;
    if (TComponent* owner = root->Owner())
        for (int n = 1; owner->FindComponent(unique) && owner->FindComponent(unique) != root; ++n)
            unique = Sprintf("%s_%d", name.c_str(), n);
    root->SetName(unique);
}

void readInto(const TTextObject& node, TComponent* root)
{
    TReadContext context;
    context.root = root;
    context.rootClass = ClassInfoOf(root);
    if (!context.rootClass)
        readError(node.line, "Class " + root->ClassName() + " not registered");

    TChecker(context).checkObject(node, context.rootClass);

    AnsiString oldName = root->Name();
    TBuilder builder(context);
    try {
        try {
            nameRoot(root, node.name);
        } catch (const Exception& e) {
            readError(node.line, e.Message());
        }
        root->BeginLoading();
        context.loading.push_back(root);
        builder.buildObject(root, node);
        builder.resolveReferences();
    } catch (...) {
        for (auto& [field, form] : context.fieldsSet)
            field->clear(form);
        for (auto it = context.created.rbegin(); it != context.created.rend(); ++it) {
            std::erase(context.loading, *it);
            delete *it;
        }
        // What existed before keeps its state but leaves the loading state, without
        // the work of a class's own Loaded on half-read values.
        for (TComponent* c : context.loading)
            c->TComponent::Loaded();
        if (root->Name() != oldName)
            try {
                root->SetName(oldName);
            } catch (const Exception&) {
            }
        throw;
    }
    for (TComponent* c : context.loading)
        c->Loaded();
}

}  // namespace

// ---- Public entry points -------------------------------------------------------------------

void ReadComponentText(const AnsiString& Text, TComponent* Root)
{
    readInto(parseComponentText(Text), Root);
}

void ReadComponentFile(const AnsiString& FileName, TComponent* Root)
{
    std::ifstream file(AnsiToUtf8(FileName), std::ios::binary);
    if (!file)
        throw EFilerError("Cannot open file \"" + FileName + "\"");
    std::ostringstream text;
    text << file.rdbuf();
    ReadComponentText(text.str(), Root);
}

TComponent* CreateComponentFromText(const AnsiString& Text, TComponent* Owner)
{
    TTextObject node = parseComponentText(Text);
    const TClassInfo* cls = FindClassInfo(node.className);
    if (!cls)
        throw EClassNotFound(Sprintf("Line %d: Class %s not found", node.line, node.className.c_str()));
    if (!cls->create)
        readError(node.line, "Class " + node.className + " cannot be created");
    TComponent* component = cls->create(Owner);
    try {
        readInto(node, component);
    } catch (...) {
        delete component;
        throw;
    }
    return component;
}

void CheckComponentText(const AnsiString& Text)
{
    parseComponentText(Text);
}

void SetPropText(TPersistent* Instance, const AnsiString& Path, const AnsiString& Value)
{
    TTextProperty tp;
    tp.path = Path;
    tp.line = 1;
    tp.value = parseValueText(Value);
    TReadContext context;
    // Handlers and referenced components belong to the form: the owner, or the
    // instance itself when it is the form.
    context.root = dynamic_cast<TComponent*>(Instance);
    if (context.root && ClassInfoOf(context.root->Owner()))
        context.root = context.root->Owner();
    context.rootClass = ClassInfoOf(context.root);
    TBuilder builder(context);
    builder.applyProperty(Instance, tp);
    if (context.root)
        builder.resolveReferences();
}

void SetEventHandler(TComponent* Component, const AnsiString& Event, const AnsiString& HandlerName)
{
    SetPropText(Component, Event, HandlerName.empty() ? AnsiString("nil") : HandlerName);
}
