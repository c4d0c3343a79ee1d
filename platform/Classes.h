// The framework's object model: TObject, TList, TStrings/TStringList, TPersistent,
// TComponent with ownership and notifications, TCollection/TCollectionItem.
#pragma once

#include "platform/SysUtils.h"
#include "platform/win/Types.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <unordered_map>
#include <vector>

class TObject;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;

using TNotifyEvent = std::function<void(TObject* Sender)>;

// A set of enumerators (at most 64) with the framework's set operations:
// Contains, << to include, >> to exclude, + union, - difference, * intersection.
template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items)
    {
        for (E item : items)
            bits |= bit(item);
    }

    constexpr bool Contains(E item) const { return (bits & bit(item)) != 0; }
    constexpr bool Empty() const { return bits == 0; }
    constexpr TSet& operator<<(E item) { bits |= bit(item); return *this; }
    constexpr TSet& operator>>(E item) { bits &= ~bit(item); return *this; }
    constexpr TSet operator+(TSet other) const { return fromBits(bits | other.bits); }
    constexpr TSet operator-(TSet other) const { return fromBits(bits & ~other.bits); }
    constexpr TSet operator*(TSet other) const { return fromBits(bits & other.bits); }
    constexpr uint64_t ToInt() const { return bits; }
    static constexpr TSet fromBits(uint64_t value) { TSet s; s.bits = value; return s; }
    friend constexpr bool operator==(TSet, TSet) = default;

private:
    static constexpr uint64_t bit(E item) { return uint64_t(1) << static_cast<unsigned>(item); }
    uint64_t bits = 0;
};

// Raised for invalid component names and ownership errors.
class EComponentError : public Exception { using Exception::Exception; };

// ---- TObject ---------------------------------------------------------------

// The root of every framework-like class. ClassName gives the framework class
// name for messages; each class overrides it.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    virtual AnsiString ClassName() const { return "TObject"; }
    // Called by the framework once an object is fully constructed where it
    // creates objects itself (collection items made by TCollection::Add).
    virtual void AfterConstruction() {}
};

// ---- TList -----------------------------------------------------------------

using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

// A list of untyped pointers; it owns nothing it points to.
class TList : public TObject {
public:
    AnsiString ClassName() const override { return "TList"; }

    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    int Remove(void* Item);  // index the item had, or -1
    void* Extract(void* Item);  // removes and returns the item, nullptr when absent
    int IndexOf(void* Item) const;
    void* Items(int Index) const;
    void Put(int Index, void* Item);
    void*& operator[](int Index);
    void* operator[](int Index) const { return Items(Index); }
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }
    int Count() const { return static_cast<int>(items.size()); }
    void SetCount(int NewCount);  // new slots are nullptr
    int Capacity() const { return capacity; }
    void SetCapacity(int NewCapacity);
    void Clear();
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    void Pack();  // removes the nullptr entries
    void Sort(const TListSortCompare& Compare);  // stable

private:
    void checkIndex(int index) const;
    void grow();

    std::vector<void*> items;
    int capacity = 0;  // grows as the framework's list does, so callers see the same figures
};

// ---- TPersistent -----------------------------------------------------------

// An object that can copy its state from another (Assign) and that form
// descriptions can store.
class TPersistent : public TObject {
public:
    AnsiString ClassName() const override { return "TPersistent"; }

    // Copies Source into this object; the default asks Source to assign itself
    // to this one, and raises EConvertError when neither knows the other.
    virtual void Assign(TPersistent* Source);
    // The object that owns this one for naming and storing, if any.
    virtual TPersistent* GetOwner() { return nullptr; }

protected:
    virtual void AssignTo(TPersistent* Dest);
    // Raises EConvertError "Cannot assign a <Source> to a <this>".
    [[noreturn]] void AssignError(TPersistent* Source);
};

// ---- TStrings / TStringList -------------------------------------------------

// An abstract list of texts, each with an associated object (not owned).
// Descendants store the texts; the operations on the whole list live here.
class TStrings : public TPersistent {
public:
    AnsiString ClassName() const override { return "TStrings"; }

    // Storage, implemented by descendants.
    virtual AnsiString Get(int Index) const = 0;
    virtual TObject* GetObject(int Index) const;
    virtual void Put(int Index, const AnsiString& S);
    virtual void PutObject(int Index, TObject* AObject);
    virtual int GetCount() const = 0;
    virtual void Insert(int Index, const AnsiString& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    virtual int Add(const AnsiString& S);
    virtual int AddObject(const AnsiString& S, TObject* AObject);
    void InsertObject(int Index, const AnsiString& S, TObject* AObject);
    void AddStrings(TStrings* Strings);
    void Append(const AnsiString& S) { Add(S); }
    virtual int IndexOf(const AnsiString& S) const;
    int IndexOfName(const AnsiString& Name) const;
    int IndexOfObject(TObject* AObject) const;
    virtual void Exchange(int Index1, int Index2);
    virtual void Move(int CurIndex, int NewIndex);
    bool Equals(TStrings* Strings) const;
    void Assign(TPersistent* Source) override;

    AnsiString Strings(int Index) const { return Get(Index); }
    AnsiString operator[](int Index) const { return Get(Index); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    int Count() const { return GetCount(); }

    // Every line followed by CR LF; setting splits at CR LF, LF or CR.
    virtual AnsiString Text() const;
    virtual void SetText(const AnsiString& Value);
    // Items separated by Delimiter; items that are empty or hold blanks, control
    // characters, the delimiter or the quote character are quoted with QuoteChar.
    AnsiString DelimitedText() const;
    void SetDelimitedText(const AnsiString& Value);
    AnsiString CommaText() const;
    void SetCommaText(const AnsiString& Value);
    // name=value lines.
    AnsiString Names(int Index) const;
    AnsiString Values(const AnsiString& Name) const;
    void SetValue(const AnsiString& Name, const AnsiString& Value);  // an empty value deletes the line
    AnsiString ValueFromIndex(int Index) const;

    void BeginUpdate();
    void EndUpdate();

    char Delimiter = ',';
    char QuoteChar = '"';
    char NameValueSeparator = '=';

protected:
    // <0, 0, >0; case-insensitive by the locale unless a descendant says otherwise.
    virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2) const;
    // Called when the first BeginUpdate starts (true) and the last EndUpdate ends (false).
    virtual void SetUpdateState(bool Updating);
    int UpdateCount() const { return updateCount; }
    [[noreturn]] void Error(const char* Message, int Data) const;

private:
    AnsiString joinDelimited(char delimiter, char quoteChar) const;
    void splitDelimited(const AnsiString& value, char delimiter, char quoteChar);

    int updateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Horizontal alignment of text, shared by every control that places text.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The framework's list of texts: optionally sorted, with the duplicate rule of
// Duplicates applying to sorted lists, and change events.
class TStringList : public TStrings {
public:
    AnsiString ClassName() const override { return "TStringList"; }

    AnsiString Get(int Index) const override;
    TObject* GetObject(int Index) const override;
    void Put(int Index, const AnsiString& S) override;
    void PutObject(int Index, TObject* AObject) override;
    int GetCount() const override { return static_cast<int>(items.size()); }
    void Insert(int Index, const AnsiString& S) override;
    void Delete(int Index) override;
    void Clear() override;
    int Add(const AnsiString& S) override;
    int AddObject(const AnsiString& S, TObject* AObject) override;
    int IndexOf(const AnsiString& S) const override;
    void Exchange(int Index1, int Index2) override;
    void Move(int CurIndex, int NewIndex) override;  // not on a sorted list

    // Binary search of a sorted list: true when found; Index is where S is or would go.
    bool Find(const AnsiString& S, int& Index) const;
    void Sort();  // stable

    bool Sorted() const { return sorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return duplicates; }
    void SetDuplicates(TDuplicates Value) { duplicates = Value; }
    bool CaseSensitive() const { return caseSensitive; }
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;    // after every change, or once at the end of an update
    TNotifyEvent OnChanging;  // before every change, or once at the start of an update

protected:
    int CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;
    void SetUpdateState(bool Updating) override;
    void Changing();
    void Changed();

private:
    struct Item {
        AnsiString text;
        TObject* object = nullptr;
    };
    void insertItem(int index, const AnsiString& text, TObject* object);
    void checkIndex(int index) const;

    std::vector<Item> items;
    bool sorted = false;
    bool caseSensitive = false;
    TDuplicates duplicates = dupIgnore;
};

// ---- TComponent --------------------------------------------------------------

enum TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning, csUpdating };
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

// A named object with an owner. The owner deletes its components when it is
// destroyed (last created first); a component deleted earlier leaves its owner.
// The owner's components hear of every component inserted into or removed from
// the owner through Notification, so peers can forget a destroyed component.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    AnsiString ClassName() const override { return "TComponent"; }

    const AnsiString& Name() const { return name; }
    // Raises EComponentError for a name that is not an identifier or that
    // another component of the same owner already has (letter case ignored).
    virtual void SetName(const AnsiString& NewName);
    TComponent* Owner() const { return owner; }
    TPersistent* GetOwner() override { return owner; }
    int ComponentCount() const { return static_cast<int>(components.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    TComponent* FindComponent(const AnsiString& AName) const;  // direct components only
    void InsertComponent(TComponent* AComponent);  // takes it over from its old owner
    void RemoveComponent(TComponent* AComponent);  // the caller then owns it

    TComponentState ComponentState() const { return state; }
    // Marks the component as being read from a form description; Loaded ends it.
    void BeginLoading() { state << csLoading; }
    // Called once all properties are read; clears csLoading.
    virtual void Loaded();
    void SetDesigning(bool Value, bool SetChildren = true);

    // Asks to hear (through Notification) when AComponent is destroyed, also
    // when it has another owner. The link is dropped when either side goes.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    int Tag = 0;

    // Components nested in another one in a form description without being controls
    // (menu items in their menu): reading hands each such child to SetParentComponent
    // with the component it is nested in, and writing nests under a component what its
    // GetChildren lists (children owned by Root).
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent*) {}
    virtual void GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

protected:
    // Tells this component and its own components of AComponent's insertion or
    // removal. Overrides call the inherited one. opInsert arrives from the new
    // component's constructor and opRemove from its destructor, so handlers only
    // compare the pointer with the ones they hold.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Marks this component and its components csDestroying. Destructors of
    // descendants may call it early.
    void Destroying();
    // Deletes the owned components now; descendants whose components must go
    // before their own members call Destroying() and then this in their destructor.
    void DestroyComponents();

private:
    struct NotificationPass;

    void removeFromList(TComponent* component);
    void validateRename(TComponent* component, const AnsiString& newName) const;

    AnsiString name;
    TComponent* owner = nullptr;
    std::vector<TComponent*> components;     // owned, in creation order
    std::unordered_map<AnsiString, TComponent*> namedComponents;  // the named ones by upper-cased name
    NotificationPass* notificationPasses = nullptr;  // walks over components in progress, innermost first
    std::vector<TComponent*> freeNotifies;   // peers linked by FreeNotification, both ways
    TComponentState state;
};

// ---- TCollection -------------------------------------------------------------

// Creates an item of a collection's item class; the item joins the collection
// in its constructor.
using TCollectionItemClass = std::function<TCollectionItem*(TCollection* Collection)>;

template <typename T>
TCollectionItemClass ItemClassOf()
{
    return [](TCollection* collection) -> TCollectionItem* { return new T(collection); };
}

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// An item of a collection, owned by it. Changes are reported with Changed,
// which calls the collection's Update hook.
class TCollectionItem : public TPersistent {
public:
    // Joins Collection (if any) at the end, without a change notice: create items
    // through TCollection::Add or Insert, which announce them once constructed.
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;  // leaves its collection, which announces the change
    AnsiString ClassName() const override { return "TCollectionItem"; }

    TCollection* Collection() const { return collection; }
    void SetCollection(TCollection* Value);  // moves the item to another collection
    int Index() const;  // -1 without a collection
    // Moves the item to position Value; raises EListError, changing nothing,
    // when Value is out of range.
    virtual void SetIndex(int Value);
    int ID() const { return id; }
    virtual AnsiString GetDisplayName() const;  // default: the class name
    virtual void SetDisplayName(const AnsiString& Value);
    AnsiString DisplayName() const { return GetDisplayName(); }
    TPersistent* GetOwner() override;

protected:
    // Reports a change of this item (AllItems false) or of the whole collection.
    // Nothing is reported while the collection is inside BeginUpdate/EndUpdate.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* collection = nullptr;
    int id = 0;
};

// An owned, ordered list of items of one class. Update(item) is the change hook:
// it is called with the item when one item changed and with nullptr when the
// whole collection changed (add, delete, clear, move), once per outermost
// BeginUpdate/EndUpdate pair when changes are batched.
class TCollection : public TPersistent {
public:
    explicit TCollection(TCollectionItemClass ItemClass);
    ~TCollection() override;
    AnsiString ClassName() const override { return "TCollection"; }

    TCollectionItem* Add();
    // Adds an item at Index (0..Count); raises EListError, adding nothing, otherwise.
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int Count() const { return static_cast<int>(items.size()); }
    TCollectionItem* Items(int Index) const;
    void SetItem(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }
    TCollectionItem* FindItemID(int ID) const;
    TPersistent* Owner() { return GetOwner(); }
    const TCollectionItemClass& ItemClass() const { return itemClass; }
    void Assign(TPersistent* Source) override;

    virtual void BeginUpdate() { ++updateCount; }
    virtual void EndUpdate();
    int UpdateCount() const { return updateCount; }

    // The change hook; does nothing here. Public so that item classes can
    // report a change straight to their collection.
    virtual void Update(TCollectionItem* Item);

protected:
    // Tells of an item added, about to leave or about to be deleted.
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
    // Reports a change of the whole collection unless an update is running.
    void Changed();

private:
    friend class TCollectionItem;
    void insertItem(TCollectionItem* item);
    void removeItem(TCollectionItem* item);

    TCollectionItemClass itemClass;
    std::vector<TCollectionItem*> items;  // owned; an item leaves the list in its destructor
    int updateCount = 0;
    int nextID = 0;
};

// A collection whose owner (for naming and storing) is a component or another
// persistent object, such as a grid's columns.
class TOwnedCollection : public TCollection {
public:
    TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
        : TCollection(std::move(ItemClass)), owner(AOwner) {}
    AnsiString ClassName() const override { return "TOwnedCollection"; }
    TPersistent* GetOwner() override { return owner; }

private:
    TPersistent* owner;  // not owned
};
