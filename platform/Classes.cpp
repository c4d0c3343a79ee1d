#include "platform/Classes.h"

#include <algorithm>

namespace {

bool isIdentifier(const AnsiString& text)
{
    if (text.empty())
        return false;
    auto isAlpha = [](unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!isAlpha(text[0]))
        return false;
    return std::all_of(text.begin() + 1, text.end(),
                       [&](unsigned char c) { return isAlpha(c) || (c >= '0' && c <= '9'); });
}

// Component names compare without regard to ASCII letter case; the owner's index
// of names holds this form of each.
AnsiString nameKey(const AnsiString& name) { return UpperCase(name); }

// Removes one entry, searched from the end, where the latest links and components
// are (they mostly go first).
void eraseLast(std::vector<TComponent*>& list, TComponent* item)
{
    auto it = std::find(list.rbegin(), list.rend(), item);
    if (it != list.rend())
        list.erase(std::next(it).base());
}

}  // namespace

// ---- TList -----------------------------------------------------------------

void TList::checkIndex(int index) const
{
    if (index < 0 || index >= Count())
        ListIndexError(index);
}

void TList::grow()
{
    int delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    SetCapacity(capacity + delta);
}

int TList::Add(void* Item)
{
    if (Count() == capacity)
        grow();
    items.push_back(Item);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item)
{
    if (Index < 0 || Index > Count())
        ListIndexError(Index);
    if (Count() == capacity)
        grow();
    items.insert(items.begin() + Index, Item);
}

void TList::Delete(int Index)
{
    checkIndex(Index);
    items.erase(items.begin() + Index);
}

int TList::Remove(void* Item)
{
    int index = IndexOf(Item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(void* Item)
{
    return Remove(Item) >= 0 ? Item : nullptr;
}

int TList::IndexOf(void* Item) const
{
    auto it = std::find(items.begin(), items.end(), Item);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void* TList::Items(int Index) const
{
    checkIndex(Index);
    return items[Index];
}

void TList::Put(int Index, void* Item)
{
    checkIndex(Index);
    items[Index] = Item;
}

void*& TList::operator[](int Index)
{
    checkIndex(Index);
    return items[Index];
}

void TList::SetCount(int NewCount)
{
    if (NewCount < 0)
        throw EListError(Sprintf("List count out of bounds (%d)", NewCount));
    if (NewCount > capacity)
        SetCapacity(NewCount);
    items.resize(NewCount, nullptr);
}

void TList::SetCapacity(int NewCapacity)
{
    if (NewCapacity < Count())
        throw EListError(Sprintf("List capacity out of bounds (%d)", NewCapacity));
    capacity = NewCapacity;
    if (NewCapacity == 0)
        std::vector<void*>().swap(items);
    else
        items.reserve(NewCapacity);
}

void TList::Clear()
{
    items.clear();
    SetCapacity(0);
}

void TList::Exchange(int Index1, int Index2)
{
    checkIndex(Index1);
    checkIndex(Index2);
    std::swap(items[Index1], items[Index2]);
}

void TList::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    checkIndex(CurIndex);
    checkIndex(NewIndex);
    void* item = items[CurIndex];
    items.erase(items.begin() + CurIndex);
    items.insert(items.begin() + NewIndex, item);
}

void TList::Pack()
{
    std::erase(items, nullptr);
}

void TList::Sort(const TListSortCompare& Compare)
{
    std::stable_sort(items.begin(), items.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

// ---- TPersistent -----------------------------------------------------------

void TPersistent::Assign(TPersistent* Source)
{
    if (!Source)
        AssignError(nullptr);
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest)
{
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source)
{
    AnsiString sourceName = Source ? Source->ClassName() : AnsiString("nil");
    throw EConvertError(Sprintf("Cannot assign a %s to a %s", sourceName.c_str(), ClassName().c_str()));
}

// ---- TStrings --------------------------------------------------------------

void TStrings::Error(const char* Message, int Data) const
{
    throw EStringListError(Sprintf(Message, Data));
}

TObject* TStrings::GetObject(int) const
{
    return nullptr;
}

void TStrings::Put(int Index, const AnsiString& S)
{
    TObject* object = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, object);
}

void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const AnsiString& S)
{
    int index = GetCount();
    Insert(index, S);
    return index;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject)
{
    int index = Add(S);
    PutObject(index, AObject);
    return index;
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::AddStrings(TStrings* Strings)
{
    BeginUpdate();
    try {
        // Read the count once so that adding a list to itself terminates.
        int count = Strings->GetCount();
        for (int i = 0; i < count; ++i)
            AddObject(Strings->Get(i), Strings->GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const
{
    return AnsiCompareText(S1, S2);
}

int TStrings::IndexOf(const AnsiString& S) const
{
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (CompareStrings(Get(i), S) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const AnsiString& Name) const
{
    for (int i = 0, n = GetCount(); i < n; ++i) {
        AnsiString line = Get(i);
        size_t separator = line.find(NameValueSeparator);
        if (separator != AnsiString::npos && CompareStrings(line.substr(0, separator), Name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const
{
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (GetObject(i) == AObject)
            return i;
    return -1;
}

void TStrings::Exchange(int Index1, int Index2)
{
    BeginUpdate();
    try {
        AnsiString text1 = Get(Index1);
        TObject* object1 = GetObject(Index1);
        Put(Index1, Get(Index2));
        PutObject(Index1, GetObject(Index2));
        Put(Index2, text1);
        PutObject(Index2, object1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    if (NewIndex < 0 || NewIndex >= GetCount())
        Error("List index out of bounds (%d)", NewIndex);
    BeginUpdate();
    try {
        AnsiString text = Get(CurIndex);
        TObject* object = GetObject(CurIndex);
        Delete(CurIndex);
        InsertObject(NewIndex, text, object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

bool TStrings::Equals(TStrings* Strings) const
{
    int count = GetCount();
    if (count != Strings->GetCount())
        return false;
    for (int i = 0; i < count; ++i)
        if (Get(i) != Strings->Get(i))
            return false;
    return true;
}

void TStrings::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TStrings*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    // Assigning a list to itself would clear it first and lose every line.
    if (source == this)
        return;
    BeginUpdate();
    try {
        Clear();
        Delimiter = source->Delimiter;
        QuoteChar = source->QuoteChar;
        NameValueSeparator = source->NameValueSeparator;
        AddStrings(source);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

AnsiString TStrings::Text() const
{
    AnsiString result;
    for (int i = 0, n = GetCount(); i < n; ++i) {
        result += Get(i);
        result += "\r\n";
    }
    return result;
}

void TStrings::SetText(const AnsiString& Value)
{
    BeginUpdate();
    try {
        Clear();
        size_t start = 0;
        while (start < Value.size()) {
            size_t end = Value.find_first_of("\r\n", start);
            if (end == AnsiString::npos) {
                Add(Value.substr(start));
                break;
            }
            Add(Value.substr(start, end - start));
            start = end + 1;
            if (Value[end] == '\r' && start < Value.size() && Value[start] == '\n')
                ++start;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

AnsiString TStrings::DelimitedText() const
{
    return joinDelimited(Delimiter, QuoteChar);
}

void TStrings::SetDelimitedText(const AnsiString& Value)
{
    splitDelimited(Value, Delimiter, QuoteChar);
}

AnsiString TStrings::CommaText() const
{
    return joinDelimited(',', '"');
}

void TStrings::SetCommaText(const AnsiString& Value)
{
    splitDelimited(Value, ',', '"');
}

AnsiString TStrings::joinDelimited(char delimiter, char quoteChar) const
{
    int count = GetCount();
    if (count == 1 && Get(0).empty())
        return AnsiString(2, quoteChar);
    AnsiString result;
    for (int i = 0; i < count; ++i) {
        AnsiString item = Get(i);
        bool quote = item.empty() || std::any_of(item.begin(), item.end(), [&](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == quoteChar || c == delimiter;
        });
        if (i > 0)
            result += delimiter;
        if (!quote) {
            result += item;
            continue;
        }
        result += quoteChar;
        for (char c : item) {
            if (c == quoteChar)
                result += quoteChar;
            result += c;
        }
        result += quoteChar;
    }
    return result;
}

// Items are separated by the delimiter or by blanks; a quoted item may hold
// both, with the quote character doubled inside. A trailing delimiter adds an
// empty item.
void TStrings::splitDelimited(const AnsiString& value, char delimiter, char quoteChar)
{
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t length = value.size();
    size_t p = 0;
    auto skipBlanks = [&] {
        while (p < length && isBlank(value[p]))
            ++p;
    };
    BeginUpdate();
    try {
        Clear();
        skipBlanks();
        while (p < length) {
            AnsiString item;
            if (value[p] == quoteChar) {
                ++p;
                while (p < length) {
                    if (value[p] == quoteChar) {
                        if (p + 1 < length && value[p + 1] == quoteChar) {
                            item += quoteChar;
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    item += value[p++];
                }
            } else {
                size_t start = p;
                while (p < length && !isBlank(value[p]) && value[p] != delimiter)
                    ++p;
                item = value.substr(start, p - start);
            }
            Add(item);
            skipBlanks();
            if (p < length && value[p] == delimiter) {
                if (p + 1 == length)
                    Add("");
                ++p;
                skipBlanks();
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

AnsiString TStrings::Names(int Index) const
{
    AnsiString line = Get(Index);
    size_t separator = line.find(NameValueSeparator);
    return separator == AnsiString::npos ? AnsiString() : line.substr(0, separator);
}

AnsiString TStrings::Values(const AnsiString& Name) const
{
    int index = IndexOfName(Name);
    return index < 0 ? AnsiString() : ValueFromIndex(index);
}

void TStrings::SetValue(const AnsiString& Name, const AnsiString& Value)
{
    int index = IndexOfName(Name);
    if (Value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    AnsiString line = Name + NameValueSeparator + Value;
    if (index < 0)
        Add(line);
    else
        Put(index, line);
}

AnsiString TStrings::ValueFromIndex(int Index) const
{
    AnsiString line = Get(Index);
    size_t separator = line.find(NameValueSeparator);
    return separator == AnsiString::npos ? AnsiString() : line.substr(separator + 1);
}

void TStrings::BeginUpdate()
{
    if (updateCount++ == 0)
        SetUpdateState(true);
}

void TStrings::EndUpdate()
{
    // An unmatched EndUpdate would leave the count negative and silence every
    // later change notice.
    if (updateCount == 0)
        return;
    if (--updateCount == 0)
        SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

// ---- TStringList -----------------------------------------------------------

void TStringList::checkIndex(int index) const
{
    if (index < 0 || index >= GetCount())
        Error("List index out of bounds (%d)", index);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

void TStringList::SetUpdateState(bool Updating)
{
    // Called while the count is still (or already) nonzero, so fire directly.
    if (Updating) {
        if (OnChanging)
            OnChanging(this);
    } else if (OnChange) {
        OnChange(this);
    }
}

AnsiString TStringList::Get(int Index) const
{
    checkIndex(Index);
    return items[Index].text;
}

TObject* TStringList::GetObject(int Index) const
{
    checkIndex(Index);
    return items[Index].object;
}

void TStringList::Put(int Index, const AnsiString& S)
{
    if (sorted)
        Error("Operation not allowed on sorted list", 0);
    checkIndex(Index);
    Changing();
    items[Index].text = S;
    Changed();
}

void TStringList::PutObject(int Index, TObject* AObject)
{
    checkIndex(Index);
    Changing();
    items[Index].object = AObject;
    Changed();
}

void TStringList::insertItem(int index, const AnsiString& text, TObject* object)
{
    Changing();
    items.insert(items.begin() + index, Item{text, object});
    Changed();
}

void TStringList::Insert(int Index, const AnsiString& S)
{
    if (sorted)
        Error("Operation not allowed on sorted list", 0);
    if (Index < 0 || Index > GetCount())
        Error("List index out of bounds (%d)", Index);
    insertItem(Index, S, nullptr);
}

void TStringList::Delete(int Index)
{
    checkIndex(Index);
    Changing();
    items.erase(items.begin() + Index);
    Changed();
}

void TStringList::Clear()
{
    if (items.empty())
        return;
    Changing();
    items.clear();
    Changed();
}

int TStringList::Add(const AnsiString& S)
{
    return AddObject(S, nullptr);
}

int TStringList::AddObject(const AnsiString& S, TObject* AObject)
{
    int index = GetCount();
    if (sorted && Find(S, index)) {
        if (duplicates == dupIgnore)
            return index;
        if (duplicates == dupError)
            Error("String list does not allow duplicates", 0);
    }
    insertItem(index, S, AObject);
    return index;
}

int TStringList::IndexOf(const AnsiString& S) const
{
    if (!sorted)
        return TStrings::IndexOf(S);
    int index = 0;
    return Find(S, index) ? index : -1;
}

void TStringList::Exchange(int Index1, int Index2)
{
    checkIndex(Index1);
    checkIndex(Index2);
    Changing();
    std::swap(items[Index1], items[Index2]);
    Changed();
}

void TStringList::Move(int CurIndex, int NewIndex)
{
    // Refuse before deleting: the reinsertion would fail and lose the line.
    if (sorted && CurIndex != NewIndex)
        Error("Operation not allowed on sorted list", 0);
    TStrings::Move(CurIndex, NewIndex);
}

bool TStringList::Find(const AnsiString& S, int& Index) const
{
    // The first position whose text is not less than S.
    int low = 0, high = GetCount();
    while (low < high) {
        int middle = low + (high - low) / 2;
        if (CompareStrings(items[middle].text, S) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    Index = low;
    return low < GetCount() && CompareStrings(items[low].text, S) == 0;
}

void TStringList::Sort()
{
    Changing();
    std::stable_sort(items.begin(), items.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
    Changed();
}

void TStringList::SetSorted(bool Value)
{
    if (Value == sorted)
        return;
    if (Value)
        Sort();
    sorted = Value;
}

void TStringList::SetCaseSensitive(bool Value)
{
    if (Value == caseSensitive)
        return;
    caseSensitive = Value;
    if (sorted)
        Sort();
}

int TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const
{
    return caseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

// ---- TComponent --------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

// Destruction: mark csDestroying, tell linked peers, delete the owned
// components (last first), then leave the owner, whose other components hear of it.
TComponent::~TComponent()
{
    Destroying();
    while (!freeNotifies.empty()) {
        TComponent* peer = freeNotifies.back();
        freeNotifies.pop_back();
        eraseLast(peer->freeNotifies, this);
        peer->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner)
        owner->RemoveComponent(this);
}

void TComponent::Destroying()
{
    if (state.Contains(csDestroying))
        return;
    state << csDestroying;
    for (TComponent* component : components)
        component->Destroying();
}

void TComponent::DestroyComponents()
{
    while (!components.empty()) {
        TComponent* component = components.back();
        RemoveComponent(component);
        delete component;
    }
}

TComponent* TComponent::Components(int Index) const
{
    if (Index < 0 || Index >= ComponentCount())
        ListIndexError(Index);
    return components[Index];
}

int TComponent::ComponentIndex() const
{
    if (!owner)
        return -1;
    auto it = std::find(owner->components.begin(), owner->components.end(), this);
    return static_cast<int>(it - owner->components.begin());
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const
{
    if (AName.empty())
        return nullptr;
    auto it = namedComponents.find(nameKey(AName));
    return it == namedComponents.end() ? nullptr : it->second;
}

void TComponent::validateRename(TComponent* component, const AnsiString& newName) const
{
    if (newName.empty())
        return;
    TComponent* existing = FindComponent(newName);
    if (existing && existing != component)
        throw EComponentError(Sprintf("A component named %s already exists", newName.c_str()));
}

void TComponent::SetName(const AnsiString& NewName)
{
    if (NewName == name)
        return;
    if (!NewName.empty() && !isIdentifier(NewName))
        throw EComponentError(Sprintf("'%s' is not a valid component name", NewName.c_str()));
    if (owner) {
        owner->validateRename(this, NewName);
        if (!name.empty())
            owner->namedComponents.erase(nameKey(name));
        if (!NewName.empty())
            owner->namedComponents[nameKey(NewName)] = this;
    }
    name = NewName;
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->owner == this)
        return;
    validateRename(AComponent, AComponent->name);
    // A component has one owner: being in two lists would delete it twice.
    if (AComponent->owner)
        AComponent->owner->RemoveComponent(AComponent);
    components.push_back(AComponent);
    if (!AComponent->name.empty())
        namedComponents[nameKey(AComponent->name)] = AComponent;
    AComponent->owner = this;
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->owner != this)
        return;
    removeFromList(AComponent);
    AComponent->owner = nullptr;
    Notification(AComponent, opRemove);
}

// A Notification walk over the components, last first: those at indexes below
// `remaining` are still to be told.
struct TComponent::NotificationPass {
    size_t remaining;
    NotificationPass* outer;
};

// Components mostly leave last first (an owner deletes them so), hence the search
// from the end.
void TComponent::removeFromList(TComponent* component)
{
    auto it = std::find(components.rbegin(), components.rend(), component);
    if (it == components.rend())
        return;
    size_t index = static_cast<size_t>(components.rend() - it) - 1;
    components.erase(components.begin() + static_cast<std::ptrdiff_t>(index));
    if (!component->name.empty())
        namedComponents.erase(nameKey(component->name));
    // Walks in progress keep their place: the entries below this one moved down.
    for (NotificationPass* pass = notificationPasses; pass; pass = pass->outer)
        if (index < pass->remaining)
            --pass->remaining;
}

// Handlers may delete or insert components while the walk runs: one that left the
// list is never told (removeFromList moves the walk's place), and one inserted
// meanwhile joins the end, beyond the walk, and is not told either.
void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent && !freeNotifies.empty())
        RemoveFreeNotification(AComponent);
    if (components.empty())
        return;
    NotificationPass pass{components.size(), notificationPasses};
    notificationPasses = &pass;
    struct Unlink {
        TComponent* owner;
        ~Unlink() { owner->notificationPasses = owner->notificationPasses->outer; }
    } unlink{this};
    while (pass.remaining > 0) {
        --pass.remaining;
        components[pass.remaining]->Notification(AComponent, Operation);
    }
}

void TComponent::Loaded()
{
    state >> csLoading;
}

void TComponent::SetDesigning(bool Value, bool SetChildren)
{
    if (Value)
        state << csDesigning;
    else
        state >> csDesigning;
    if (SetChildren)
        for (TComponent* component : components)
            component->SetDesigning(Value, true);
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this)
        return;
    // Links are kept on both sides, so the shorter list tells whether one exists
    // (one component may be linked to thousands).
    bool linked = freeNotifies.size() <= AComponent->freeNotifies.size()
                      ? std::find(freeNotifies.begin(), freeNotifies.end(), AComponent) != freeNotifies.end()
                      : std::find(AComponent->freeNotifies.begin(), AComponent->freeNotifies.end(), this) !=
                            AComponent->freeNotifies.end();
    if (linked)
        return;
    freeNotifies.push_back(AComponent);
    AComponent->freeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    // Links are kept on both sides, so an empty list on either side means no link
    // (a component being destroyed has dropped its links before its owner's
    // notification pass tells every sibling).
    if (!AComponent || freeNotifies.empty() || AComponent->freeNotifies.empty())
        return;
    eraseLast(freeNotifies, AComponent);
    eraseLast(AComponent->freeNotifies, this);
}

// ---- TCollectionItem -----------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection)
{
    if (Collection)
        Collection->insertItem(this);
}

TCollectionItem::~TCollectionItem()
{
    if (collection)
        collection->removeItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value)
{
    if (Value == collection)
        return;
    if (collection)
        collection->removeItem(this);
    if (Value) {
        Value->insertItem(this);
        Value->Notify(this, cnAdded);
        Value->Changed();
    }
}

int TCollectionItem::Index() const
{
    if (!collection)
        return -1;
    const auto& list = collection->items;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TCollectionItem::SetIndex(int Value)
{
    int current = Index();
    if (current < 0 || current == Value)
        return;
    auto& list = collection->items;
    if (Value < 0 || Value >= static_cast<int>(list.size()))
        ListIndexError(Value);
    list.erase(list.begin() + current);
    list.insert(list.begin() + Value, this);
    Changed(true);
}

AnsiString TCollectionItem::GetDisplayName() const
{
    return ClassName();
}

void TCollectionItem::SetDisplayName(const AnsiString&)
{
    Changed(false);
}

TPersistent* TCollectionItem::GetOwner()
{
    return collection;
}

void TCollectionItem::Changed(bool AllItems)
{
    if (collection && collection->updateCount == 0)
        collection->Update(AllItems ? nullptr : this);
}

// ---- TCollection ---------------------------------------------------------------

TCollection::TCollection(TCollectionItemClass ItemClass) : itemClass(std::move(ItemClass)) {}

TCollection::~TCollection()
{
    // No change notices while going: the descendant that would hear them is gone.
    updateCount = 1;
    while (!items.empty())
        delete items.back();
}

void TCollection::insertItem(TCollectionItem* item)
{
    items.push_back(item);
    item->collection = this;
    item->id = nextID++;
}

void TCollection::removeItem(TCollectionItem* item)
{
    Notify(item, cnExtracting);
    std::erase(items, item);
    item->collection = nullptr;
    Changed();
}

TCollectionItem* TCollection::Add()
{
    TCollectionItem* item = itemClass(this);
    if (!item->collection)  // a factory that did not pass the collection on
        insertItem(item);
    try {
        item->AfterConstruction();
    } catch (...) {
        delete item;
        throw;
    }
    Notify(item, cnAdded);
    Changed();
    return item;
}

TCollectionItem* TCollection::Insert(int Index)
{
    if (Index < 0 || Index > Count())
        ListIndexError(Index);
    BeginUpdate();
    TCollectionItem* item = nullptr;
    try {
        item = Add();
        item->SetIndex(Index);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

void TCollection::Delete(int Index)
{
    TCollectionItem* item = Items(Index);
    Notify(item, cnDeleting);
    delete item;
}

void TCollection::Clear()
{
    if (items.empty())
        return;
    BeginUpdate();
    while (!items.empty())
        delete items.back();
    EndUpdate();
}

TCollectionItem* TCollection::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    return items[Index];
}

TCollectionItem* TCollection::FindItemID(int ID) const
{
    for (TCollectionItem* item : items)
        if (item->id == ID)
            return item;
    return nullptr;
}

void TCollection::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TCollection*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    // Assigning a collection to itself would clear it first and lose every item.
    if (source == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* item : source->items)
            Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::EndUpdate()
{
    if (updateCount == 0)
        return;
    if (--updateCount == 0)
        Changed();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed()
{
    if (updateCount == 0)
        Update(nullptr);
}
