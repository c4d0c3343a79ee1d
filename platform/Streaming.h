// Form descriptions: the framework's component text, read into component trees and
// written back, driven by a registry of classes and their published properties.
//
//   object Form1: TForm1                 a component: its name and class
//     Caption = 'Form1'                  a published property
//     Font.Name = 'MS Sans Serif'        a property of a nested persistent object
//     object grid: TVarnGrid             a child, owned by the root, parented by its container
//       Columns = <                      a collection
//         item
//           FieldName = 'a'
//         end>
//       OnRowNeedData = gridRowNeedData  an event bound to a handler of the form class
//     end
//   end
//
// Values: 'text' with #nnn character codes and + between pieces, integers (also $hex),
// floats, identifiers (True, False, enumerators, colours such as clBtnFace, cursors,
// charsets), sets [fsBold, fsItalic], string lists ('a' 'b'), binary data { 0A1B }.
//
// Reading first parses the whole text and checks every class, property and value
// against the registry, so most bad input changes nothing. Anything that still fails
// while the tree is built destroys the components this read created. Every error is an
// exception whose message starts with "Line <n>: ".
//
// Classes are registered with RegisterPublishedClass<T>(name, parentName) and a chain
// of property declarations; a property equal to its declared default is not written.
// A form class registers its fields and handler methods the same way:
//
//   RegisterPublishedClass<TForm1>("TForm1", "TForm")
//       .Field("grid", &TForm1::grid)
//       .Handler("gridRowNeedData", &TForm1::gridRowNeedData);
//   ...
//   TForm1::TForm1(TComponent* owner) : TForm(owner) { ReadComponentFile("Unit1.form", this); }
#pragma once

#include "platform/Classes.h"
#include "platform/SysUtils.h"
#include "platform/win/Types.h"

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

class TControl;
class TFont;

class EFilerError : public Exception { using Exception::Exception; };
class EReadError : public EFilerError { using EFilerError::EFilerError; };
class EWriteError : public EFilerError { using EFilerError::EFilerError; };
class EClassNotFound : public EFilerError { using EFilerError::EFilerError; };
// Text that is not component text at all (syntax).
class EParserError : public EFilerError { using EFilerError::EFilerError; };

// ---- Reading and writing ------------------------------------------------------------

// Reads the text's object into Root (the root's own class name in the text is not
// checked): Root takes the object's name and properties; child objects are created
// with Root as owner and their enclosing control as parent; events bind to handlers
// registered for Root's class; fields registered for Root's class point at the
// children of their names. Loaded() runs for Root and every child at the end.
void ReadComponentText(const AnsiString& Text, TComponent* Root);
// The same with the text of a file.
void ReadComponentFile(const AnsiString& FileName, TComponent* Root);
// Creates a component of the text's class, owned by Owner, and reads the text into it.
TComponent* CreateComponentFromText(const AnsiString& Text, TComponent* Owner);
// Checks that Text is well-formed component text; raises EParserError otherwise.
void CheckComponentText(const AnsiString& Text);

// The component text of Component and of the children it owns, properties at their
// declared defaults left out. Raises EWriteError for a child of an unregistered class.
AnsiString WriteComponentText(TComponent* Component);

// A published value of Instance in the text form (Path may be dotted: "Font.Name"),
// and setting one from that form. Raise EReadError for an unknown path or a bad value.
AnsiString GetPropText(TPersistent* Instance, const AnsiString& Path);
void SetPropText(TPersistent* Instance, const AnsiString& Path, const AnsiString& Value);
// Binds the event Event of Component to the handler HandlerName of Component's owner
// (the form), and remembers the name for writing.
void SetEventHandler(TComponent* Component, const AnsiString& Event, const AnsiString& HandlerName);
// The handler name an event was bound to by reading or SetEventHandler; empty when none.
AnsiString GetEventHandlerName(TPersistent* Instance, const AnsiString& Event);

// ---- The registry ---------------------------------------------------------------------

enum TPropKind {
    pkInteger, pkBoolean, pkEnumeration, pkSet, pkColor, pkString, pkFloat,
    pkObject, pkCollection, pkStrings, pkComponent, pkEvent, pkBinary
};

// A property value: ordinals (integers, booleans, enumerators, set bits, colours) in
// ordinal, floats in real, texts, identifiers and binary bytes in text.
struct TPropValue {
    int64_t ordinal = 0;
    double real = 0;
    AnsiString text;
    friend bool operator==(const TPropValue&, const TPropValue&) = default;
};

// Identifier names of ordinal values: an enumeration's names in value order, a set's
// element names, colour or cursor identifiers.
using TIdentList = std::vector<std::pair<AnsiString, int64_t>>;

struct TPropInfo {
    AnsiString name;
    TPropKind kind = pkInteger;
    const TIdentList* idents = nullptr;  // names of ordinal values, if any
    std::optional<TPropValue> defaultValue;  // none: always written
    std::type_index objectType = typeid(void);  // pkObject, pkCollection (item), pkComponent
    std::type_index eventType = typeid(void);   // pkEvent: the std::function type

    std::function<TPropValue(TPersistent*)> get;
    std::function<void(TPersistent*, const TPropValue&)> set;  // null: read-only
    std::function<TPersistent*(TPersistent*)> getObject;      // object, collection, component
    std::function<void(TPersistent*, TComponent*)> setComponent;
    std::function<bool(TPersistent*)> stored;  // null: stored
    std::function<bool(TPersistent*)> assigned;                    // events
    std::function<void(TPersistent*, const std::any*)> bind;       // events; null any clears
};

// A handler method of a form class: makes the std::function bound to a form instance.
struct THandlerInfo {
    AnsiString name;
    std::type_index eventType = typeid(void);
    std::function<std::any(TPersistent* form)> make;
};

// A published field of a form class: set to the child component of its name.
struct TFieldInfo {
    AnsiString name;
    std::function<bool(TPersistent* form, TComponent* component)> assign;  // false: wrong class
    std::function<void(TPersistent* form)> clear;
};

struct TClassInfo {
    AnsiString name;
    AnsiString parentName;
    std::type_index type = typeid(void);
    std::function<TComponent*(TComponent* owner)> create;  // null: not creatable by name
    std::vector<TPropInfo> properties;  // declaration order
    std::vector<AnsiString> hidden;     // inherited properties this class does not publish
    std::vector<THandlerInfo> handlers;
    std::vector<TFieldInfo> fields;

    const TClassInfo* Parent() const;
    // The published property of this class or an ancestor (letter case ignored).
    const TPropInfo* FindProperty(const AnsiString& Name) const;
    // Every published property, ancestors' first, in declaration order.
    std::vector<const TPropInfo*> AllProperties() const;
    const THandlerInfo* FindHandler(const AnsiString& Name) const;
    bool InheritsFrom(const AnsiString& Name) const;
};

// Lookups; both return null for what is not registered. An instance is looked up by
// its dynamic type first, then by ClassName().
const TClassInfo* FindClassInfo(const AnsiString& ClassName);
const TClassInfo* FindClassInfo(const std::type_index& Type);
const TClassInfo* ClassInfoOf(const TPersistent* Instance);

namespace varn::detail {
TClassInfo& registerClassInfo(const AnsiString& name, const AnsiString& parentName, std::type_index type);
// Side store for published values a class keeps outside its own members.
TPropValue keptValue(TPersistent* instance, const AnsiString& name, const TPropValue& initial);
void setKeptValue(TPersistent* instance, const AnsiString& name, const TPropValue& value);
void rememberHandlerName(TPersistent* instance, const AnsiString& event, const AnsiString& handler);

template <typename V>
int64_t toOrdinal(V value)
{
    if constexpr (requires { value.ToInt(); })
        return static_cast<int64_t>(value.ToInt());
    else
        return static_cast<int64_t>(value);
}

template <typename V>
V fromOrdinal(int64_t value)
{
    if constexpr (requires { V::fromBits(0); })
        return V::fromBits(static_cast<uint64_t>(value));
    else
        return static_cast<V>(value);
}
}  // namespace varn::detail

// Identifier tables shared by registrations.
const TIdentList& ColorIdents();
const TIdentList& CursorIdents();
const TIdentList& CharsetIdents();
const TIdentList& BooleanIdents();
const TIdentList& AlignmentIdents();
// A control's BorderStyle: bsNone or bsSingle.
const TIdentList& ControlBorderStyleIdents();
// A control's Align.
const TIdentList& AlignIdents();
const TIdentList& FontStyleIdents();
const TIdentList& AnchorIdents();
const TIdentList& DragKindIdents();
const TIdentList& DragModeIdents();

// Declares the published properties of class T. Getters and setters are member
// function pointers or callables taking T*; defaults are declared values (what the
// writer leaves out), independent of what the constructor sets.
template <typename T>
class TClassRegistrar {
public:
    explicit TClassRegistrar(TClassInfo& info) : info(info) {}

    template <typename G, typename S>
    TClassRegistrar& Integer(const char* name, G get, S set, std::optional<int64_t> def = 0,
                             const TIdentList* idents = nullptr)
    {
        return ordinal<G, S>(name, pkInteger, get, set, def, idents);
    }
    template <typename G, typename S>
    TClassRegistrar& Boolean(const char* name, G get, S set, std::optional<bool> def = false)
    {
        std::optional<int64_t> d;
        if (def)
            d = *def ? 1 : 0;
        return ordinal<G, S>(name, pkBoolean, get, set, d, &BooleanIdents());
    }
    // Names is the enumeration's identifiers in value order (kept alive by the caller,
    // usually a static TIdentList).
    template <typename G, typename S, typename E>
    TClassRegistrar& Enumeration(const char* name, G get, S set, const TIdentList& names, std::optional<E> def)
    {
        std::optional<int64_t> d;
        if (def)
            d = static_cast<int64_t>(*def);
        return ordinal<G, S>(name, pkEnumeration, get, set, d, &names);
    }
    template <typename G, typename S, typename V>
    TClassRegistrar& Set(const char* name, G get, S set, const TIdentList& elements, std::optional<V> def)
    {
        std::optional<int64_t> d;
        if (def)
            d = varn::detail::toOrdinal(*def);
        return ordinal<G, S>(name, pkSet, get, set, d, &elements);
    }
    template <typename G, typename S>
    TClassRegistrar& Colour(const char* name, G get, S set, std::optional<int64_t> def)
    {
        return ordinal<G, S>(name, pkColor, get, set, def, &ColorIdents());
    }
    // A null def means no declared default: the text is always written.
    template <typename G, typename S>
    TClassRegistrar& String(const char* name, G get, S set, const char* def = "")
    {
        TPropInfo p = base(name, pkString);
        if (def)
            p.defaultValue = TPropValue{0, 0, def};
        p.get = [get](TPersistent* o) { return TPropValue{0, 0, AnsiString(std::invoke(get, self(o)))}; };
        p.set = setter<S>(set, [](const TPropValue& v) { return v.text; });
        return add(std::move(p));
    }
    template <typename G, typename S>
    TClassRegistrar& Float(const char* name, G get, S set, std::optional<double> def = 0.0)
    {
        TPropInfo p = base(name, pkFloat);
        if (def)
            p.defaultValue = TPropValue{0, *def, {}};
        p.get = [get](TPersistent* o) { return TPropValue{0, static_cast<double>(std::invoke(get, self(o))), {}}; };
        p.set = setter<S>(set, [](const TPropValue& v) { return v.real; });
        return add(std::move(p));
    }
    // Binary data as a byte string.
    template <typename G, typename S>
    TClassRegistrar& Binary(const char* name, G get, S set)
    {
        TPropInfo p = base(name, pkBinary);
        p.defaultValue = TPropValue{};
        p.get = [get](TPersistent* o) { return TPropValue{0, 0, AnsiString(std::invoke(get, self(o)))}; };
        p.set = setter<S>(set, [](const TPropValue& v) { return v.text; });
        return add(std::move(p));
    }
    // A persistent object the instance owns (a font, a font attribute); its own
    // properties are written with dotted names. A TStrings object is written as a
    // string list (Name.Strings = ( ... )).
    template <typename C, typename G>
    TClassRegistrar& Object(const char* name, G get)
    {
        TPropInfo p = base(name, pkObject);
        p.objectType = typeid(C);
        p.getObject = [get](TPersistent* o) -> TPersistent* { return std::invoke(get, self(o)); };
        return add(std::move(p));
    }
    // An owned collection whose items are of class Item.
    template <typename Item, typename G>
    TClassRegistrar& Collection(const char* name, G get)
    {
        TPropInfo p = base(name, pkCollection);
        p.objectType = typeid(Item);
        p.getObject = [get](TPersistent* o) -> TPersistent* { return std::invoke(get, self(o)); };
        return add(std::move(p));
    }
    // The lines of a TStrings class itself, written as Name = ( 'a' 'b' ).
    TClassRegistrar& StringItems(const char* name)
    {
        static_assert(std::is_base_of_v<TStrings, T>);
        TPropInfo p = base(name, pkStrings);
        p.getObject = [](TPersistent* o) { return o; };
        return add(std::move(p));
    }
    // A reference to another component of the form, written by name.
    template <typename C, typename G, typename S>
    TClassRegistrar& Component(const char* name, G get, S set)
    {
        TPropInfo p = base(name, pkComponent);
        p.objectType = typeid(C);
        p.getObject = [get](TPersistent* o) -> TPersistent* { return std::invoke(get, self(o)); };
        p.setComponent = [set](TPersistent* o, TComponent* c) {
            C* typed = dynamic_cast<C*>(c);
            if (c && !typed)
                throw EReadError("Invalid property value");
            std::invoke(set, self(o), typed);
        };
        return add(std::move(p));
    }
    // An event member (a std::function) bound by handler name.
    template <typename F, typename C>
    TClassRegistrar& Event(const char* name, F C::*member)
    {
        static_assert(std::is_base_of_v<C, T>);
        TPropInfo p = base(name, pkEvent);
        p.eventType = typeid(F);
        p.assigned = [member](TPersistent* o) { return static_cast<bool>(self(o)->*member); };
        p.bind = [member](TPersistent* o, const std::any* handler) {
            self(o)->*member = handler ? std::any_cast<F>(*handler) : F();
        };
        return add(std::move(p));
    }
    // A value this class keeps in the registry's side store (for published values
    // whose class has no member for them yet). Initial is the value before any set.
    TClassRegistrar& Kept(const char* name, TPropKind kind, TPropValue initial, std::optional<TPropValue> def,
                          const TIdentList* idents = nullptr)
    {
        static_assert(std::is_base_of_v<TComponent, T>, "only components keep side values");
        TPropInfo p = base(name, kind);
        p.idents = idents;
        p.defaultValue = std::move(def);
        AnsiString key = name;
        p.get = [key, initial](TPersistent* o) { return varn::detail::keptValue(o, key, initial); };
        p.set = [key](TPersistent* o, const TPropValue& v) { varn::detail::setKeptValue(o, key, v); };
        return add(std::move(p));
    }

    // Modifiers of the property declared last.
    TClassRegistrar& NotStored()
    {
        info.properties.back().stored = [](TPersistent*) { return false; };
        return *this;
    }
    template <typename P>
    TClassRegistrar& StoredIf(P predicate)
    {
        info.properties.back().stored = [predicate](TPersistent* o) { return static_cast<bool>(predicate(self(o))); };
        return *this;
    }
    TClassRegistrar& ReadOnly()
    {
        info.properties.back().set = nullptr;
        return NotStored();
    }
    // An inherited property this class does not publish.
    TClassRegistrar& Hide(std::initializer_list<const char*> names)
    {
        for (const char* n : names)
            info.hidden.emplace_back(n);
        return *this;
    }

    // Form classes: a published field set to the child of that name, and a handler
    // method that events of the form's components bind to by name.
    template <typename C>
    TClassRegistrar& Field(const char* name, C* T::*member)
    {
        info.fields.push_back({name,
                               [member](TPersistent* form, TComponent* c) {
                                   C* typed = dynamic_cast<C*>(c);
                                   if (!typed)
                                       return false;
                                   self(form)->*member = typed;
                                   return true;
                               },
                               [member](TPersistent* form) { self(form)->*member = nullptr; }});
        return *this;
    }
    template <typename R, typename... A>
    TClassRegistrar& Handler(const char* name, R (T::*method)(A...))
    {
        using F = std::function<R(A...)>;
        info.handlers.push_back({name, typeid(F), [method](TPersistent* form) {
                                     T* target = self(form);
                                     return std::any(F([target, method](A... args) {
                                         return (target->*method)(std::forward<A>(args)...);
                                     }));
                                 }});
        return *this;
    }

private:
    static T* self(TPersistent* o) { return static_cast<T*>(o); }

    TPropInfo base(const char* name, TPropKind kind) const
    {
        TPropInfo p;
        p.name = name;
        p.kind = kind;
        return p;
    }
    TClassRegistrar& add(TPropInfo p)
    {
        info.properties.push_back(std::move(p));
        return *this;
    }
    template <typename S, typename Convert>
    static std::function<void(TPersistent*, const TPropValue&)> setter(S set, Convert convert)
    {
        if constexpr (std::is_null_pointer_v<S>)
            return nullptr;
        else
            return [set, convert](TPersistent* o, const TPropValue& v) { std::invoke(set, self(o), convert(v)); };
    }
    template <typename G, typename S>
    TClassRegistrar& ordinal(const char* name, TPropKind kind, G get, S set, std::optional<int64_t> def,
                             const TIdentList* idents)
    {
        TPropInfo p = base(name, kind);
        p.idents = idents;
        if (def)
            p.defaultValue = TPropValue{*def, 0, {}};
        p.get = [get](TPersistent* o) { return TPropValue{varn::detail::toOrdinal(std::invoke(get, self(o))), 0, {}}; };
        if constexpr (!std::is_null_pointer_v<S>) {
            using V = std::remove_cvref_t<decltype(std::invoke(get, std::declval<T*>()))>;
            p.set = [set](TPersistent* o, const TPropValue& v) {
                std::invoke(set, self(o), varn::detail::fromOrdinal<V>(v.ordinal));
            };
        }
        return add(std::move(p));
    }

    TClassInfo& info;
};

// Registers class T under Name as a descendant of ParentName (registered earlier or
// later). Components constructible from an owner can then be created by name.
// Registering a name again replaces the earlier entry.
template <typename T>
TClassRegistrar<T> RegisterPublishedClass(const AnsiString& Name, const AnsiString& ParentName)
{
    TClassInfo& info = varn::detail::registerClassInfo(Name, ParentName, typeid(T));
    if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*> &&
                  !std::is_abstract_v<T>)
        info.create = [](TComponent* owner) -> TComponent* { return new T(owner); };
    return TClassRegistrar<T>(info);
}
