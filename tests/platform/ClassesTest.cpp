#include "platform/Classes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

template <typename E, typename F>
std::string messageOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "no exception";
}

std::vector<std::string> linesOf(const TStrings& list)
{
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

using Lines = std::vector<std::string>;

}  // namespace

// ---- TList -------------------------------------------------------------------

TEST(List, EditsKeepOrderAndIndexErrorsChangeNothing)
{
    int a = 1, b = 2, c = 3, d = 4;
    TList list;
    list.Add(&a);
    list.Add(&c);
    list.Insert(1, &b);
    list.Insert(3, &d);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Capacity(), 4);
    list.Add(&a);
    EXPECT_EQ(list.Capacity(), 8);  // grows by 4 while small
    list.Delete(4);

    list.Move(0, 3);  // b c d a
    list.Exchange(0, 1);  // c b d a
    EXPECT_EQ(list[0], &c);
    EXPECT_EQ(list[1], &b);
    EXPECT_EQ(list[3], &a);
    EXPECT_EQ(list.Remove(&d), 2);
    EXPECT_EQ(list.Remove(&d), -1);

    EXPECT_EQ(messageOf<EListError>([&] { list.Items(3); }), "List index out of bounds (3)");
    EXPECT_EQ(messageOf<EListError>([&] { list.Insert(4, &d); }), "List index out of bounds (4)");
    EXPECT_EQ(messageOf<EListError>([&] { list.Move(0, 3); }), "List index out of bounds (3)");
    EXPECT_EQ(messageOf<EListError>([&] { list.Delete(-1); }), "List index out of bounds (-1)");
    EXPECT_THROW(list.Exchange(0, 5), EListError);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], &c);
    EXPECT_EQ(list[1], &b);
    EXPECT_EQ(list[2], &a);

    list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
    EXPECT_EQ(list[0], &a);
    EXPECT_EQ(list[2], &c);
}

// ---- TStringList ---------------------------------------------------------------

TEST(StringList, TextJoinsWithCrLfAndSplitsAtAnyLineBreak)
{
    TStringList list;
    list.SetText("uno\r\ndos\nTres\rcuatro");
    EXPECT_EQ(linesOf(list), (Lines{"uno", "dos", "Tres", "cuatro"}));
    EXPECT_EQ(list.Text(), "uno\r\ndos\r\nTres\r\ncuatro\r\n");

    TStringList copy;
    copy.SetText(list.Text());
    EXPECT_TRUE(copy.Equals(&list));

    // A final line break adds no line; empty lines in between survive.
    list.SetText("a\r\n\r\n\nb\r\n");
    EXPECT_EQ(linesOf(list), (Lines{"a", "", "", "b"}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), "");
    list.SetText("ca\xF1\xF3n");
    EXPECT_EQ(list.Text(), "ca\xF1\xF3n\r\n");
}

TEST(StringList, CommaTextQuotesWhatItMustAndReadsItBack)
{
    TStringList list;
    list.Add("plain");
    list.Add("two words");
    list.Add("");
    list.Add("say \"hi\"");
    list.Add("a,b");
    EXPECT_EQ(list.CommaText(), "plain,\"two words\",\"\",\"say \"\"hi\"\"\",\"a,b\"");

    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(linesOf(back), linesOf(list));

    // Unquoted blanks separate items too; a trailing comma adds an empty one.
    back.SetCommaText("  x y,,z,");
    EXPECT_EQ(linesOf(back), (Lines{"x", "y", "", "z", ""}));

    TStringList single;
    single.Add("");
    EXPECT_EQ(single.CommaText(), "\"\"");
}

TEST(StringList, ValuesByName)
{
    TStringList list;
    list.Add("Host=localhost");
    list.Add("plain line");
    list.Add("Port=3306");
    EXPECT_EQ(list.Names(0), "Host");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.Values("port"), "3306");
    EXPECT_EQ(list.Values("missing"), "");

    list.SetValue("Port", "3307");
    list.SetValue("User", "root");
    EXPECT_EQ(list.Strings(2), "Port=3307");
    EXPECT_EQ(list.Strings(3), "User=root");
    list.SetValue("Host", "");
    EXPECT_EQ(linesOf(list), (Lines{"plain line", "Port=3307", "User=root"}));
    EXPECT_EQ(list.ValueFromIndex(2), "root");
}

TEST(StringList, IndexErrorsAndRefusedOperationsChangeNothing)
{
    TObject tag;
    TStringList list;
    list.Add("a");
    list.AddObject("b", &tag);

    EXPECT_EQ(messageOf<EStringListError>([&] { list.Strings(2); }), "List index out of bounds (2)");
    EXPECT_EQ(messageOf<EStringListError>([&] { list.Delete(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(messageOf<EStringListError>([&] { list.Insert(3, "x"); }), "List index out of bounds (3)");
    EXPECT_EQ(messageOf<EStringListError>([&] { list.Put(5, "x"); }), "List index out of bounds (5)");
    EXPECT_THROW(list.Move(0, 2), EStringListError);
    EXPECT_THROW(list.Move(2, 0), EStringListError);
    EXPECT_THROW(list.Exchange(0, 2), EStringListError);
    EXPECT_EQ(linesOf(list), (Lines{"a", "b"}));
    EXPECT_EQ(list.Objects(1), &tag);

    // Assigning a list to itself keeps its lines.
    list.Assign(&list);
    EXPECT_EQ(linesOf(list), (Lines{"a", "b"}));

    TComponent component(nullptr);
    EXPECT_EQ(messageOf<EConvertError>([&] { list.Assign(&component); }),
              "Cannot assign a TComponent to a TStringList");
    EXPECT_EQ(messageOf<EConvertError>([&] { list.Assign(nullptr); }), "Cannot assign a nil to a TStringList");
    EXPECT_EQ(linesOf(list), (Lines{"a", "b"}));
}

TEST(StringList, SortedListFindsIgnoringCaseAndAppliesDuplicates)
{
    TStringList list;
    list.Add("pera");
    list.Add("Manzana");
    list.Add("\xE1rbol");  // árbol sorts with the a's
    list.Add("zorro");
    list.SetSorted(true);
    EXPECT_EQ(linesOf(list), (Lines{"\xE1rbol", "Manzana", "pera", "zorro"}));
    EXPECT_EQ(list.IndexOf("MANZANA"), 1);
    EXPECT_EQ(list.IndexOf("kiwi"), -1);

    EXPECT_EQ(list.Add("PERA"), 2);  // dupIgnore: the existing line's index
    EXPECT_EQ(list.Count(), 4);
    list.SetDuplicates(dupError);
    EXPECT_EQ(messageOf<EStringListError>([&] { list.Add("pera"); }), "String list does not allow duplicates");
    EXPECT_EQ(messageOf<EStringListError>([&] { list.Insert(0, "a"); }), "Operation not allowed on sorted list");
    EXPECT_EQ(messageOf<EStringListError>([&] { list.Move(0, 3); }), "Operation not allowed on sorted list");
    EXPECT_EQ(list.Count(), 4);
    list.SetDuplicates(dupAccept);
    EXPECT_EQ(list.Add("Pera"), 2);
    EXPECT_EQ(list.Add("kiwi"), 1);
    EXPECT_EQ(list.Count(), 6);

    // Unsorted lists search ignoring case too, from the start.
    TStringList plain;
    plain.SetCommaText("uno,DOS,dos");
    EXPECT_EQ(plain.IndexOf("dos"), 1);
}

TEST(StringList, ChangeEventsFireOncePerUpdate)
{
    TStringList list;
    int changes = 0;
    list.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changes;
    };
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(changes, 2);
    list.SetText("x\r\ny\r\nz");
    EXPECT_EQ(changes, 3);

    list.BeginUpdate();
    list.BeginUpdate();
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(changes, 3);
    list.EndUpdate();
    EXPECT_EQ(changes, 4);
    list.EndUpdate();  // unmatched: ignored, later changes still report
    list.Add("w");
    EXPECT_EQ(changes, 5);

    TStringList copy;
    copy.Assign(&list);
    EXPECT_EQ(linesOf(copy), (Lines{"y", "z", "w"}));
}

// ---- TComponent ---------------------------------------------------------------

namespace {

// Records its destruction and the notifications it hears into a shared log.
class TLogged : public TComponent {
public:
    TLogged(TComponent* owner, const AnsiString& name, std::vector<std::string>& log)
        : TComponent(owner), log(log)
    {
        SetName(name);
    }
    // As a form does: its components go before its own members.
    ~TLogged() override
    {
        Destroying();
        DestroyComponents();
        log.push_back("delete " + Name());
    }

    TComponent* peer = nullptr;  // a pointer this component must forget when the peer goes

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == peer) {
            log.push_back(Name() + " forgets peer");
            peer = nullptr;
        }
    }

private:
    std::vector<std::string>& log;
};

}  // namespace

TEST(Component, OwnerDeletesComponentsLastFirstAndDeletedOnesLeaveTheOwner)
{
    std::vector<std::string> log;
    auto* form = new TLogged(nullptr, "Form", log);
    auto* panel = new TLogged(form, "Panel", log);
    auto* grid = new TLogged(form, "Grid", log);
    auto* label = new TLogged(form, "Label", log);
    auto* inner = new TLogged(panel, "Inner", log);
    (void)inner;
    ASSERT_EQ(form->ComponentCount(), 3);
    EXPECT_EQ(form->Components(1), grid);
    EXPECT_EQ(grid->Owner(), form);
    EXPECT_EQ(label->ComponentIndex(), 2);

    // Panel holds a pointer to Label; Grid goes first by itself.
    panel->peer = label;
    delete grid;
    EXPECT_EQ(form->ComponentCount(), 2);
    EXPECT_EQ(form->FindComponent("grid"), nullptr);
    EXPECT_EQ(messageOf<EListError>([&] { form->Components(2); }), "List index out of bounds (2)");

    delete form;
    EXPECT_EQ(log, (std::vector<std::string>{"delete Grid", "Panel forgets peer", "delete Label", "delete Inner",
                                             "delete Panel", "delete Form"}));
}

TEST(Component, NamesAreUniquePerOwnerAndOwnershipMoves)
{
    TComponent form(nullptr);
    auto* edit = new TComponent(&form);
    edit->SetName("Edit1");
    auto* other = new TComponent(&form);
    EXPECT_EQ(messageOf<EComponentError>([&] { other->SetName("EDIT1"); }),
              "A component named EDIT1 already exists");
    EXPECT_EQ(messageOf<EComponentError>([&] { other->SetName("1st"); }), "'1st' is not a valid component name");
    EXPECT_EQ(other->Name(), "");
    EXPECT_EQ(form.FindComponent("edit1"), edit);
    // Renaming (letter case too) and deleting keep the lookup by name in step.
    edit->SetName("Edit2");
    EXPECT_EQ(form.FindComponent("edit1"), nullptr);
    other->SetName("edit1");
    EXPECT_EQ(form.FindComponent("EDIT1"), other);
    other->SetName("EDIT1");
    EXPECT_EQ(form.FindComponent("edit1"), other);
    delete other;
    EXPECT_EQ(form.FindComponent("edit1"), nullptr);
    edit->SetName("Edit1");

    // Moving a component to another owner takes it out of the first one, so
    // it is deleted exactly once.
    auto* dialog = new TComponent(nullptr);
    dialog->InsertComponent(edit);
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_EQ(form.FindComponent("edit1"), nullptr);
    EXPECT_EQ(dialog->FindComponent("EDIT1"), edit);
    EXPECT_EQ(edit->Owner(), dialog);
    auto* clash = new TComponent(nullptr);
    clash->SetName("edit1");
    EXPECT_THROW(dialog->InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->Owner(), nullptr);
    delete clash;
    delete dialog;
    EXPECT_EQ(form.ComponentCount(), 0);
}

namespace {

// Logs what it hears as "<name> hears +<inserted>" or "-<removed>"; onHear may act
// in the middle of a notification pass.
class TListener : public TComponent {
public:
    TListener(const AnsiString& name, std::vector<std::string>& log) : TComponent(nullptr), log(log) { SetName(name); }
    std::function<void(TComponent*, TOperation)> onHear;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        log.push_back(Name() + " hears " + (operation == opInsert ? "+" : "-") + component->Name());
        if (onHear)
            onHear(component, operation);
    }

private:
    std::vector<std::string>& log;
};

TListener* addListener(TComponent& owner, const AnsiString& name, std::vector<std::string>& log)
{
    auto* listener = new TListener(name, log);
    owner.InsertComponent(listener);
    return listener;
}

}  // namespace

TEST(Component, ANotificationPassTellsEachComponentOnceAndNoneThatLeftOrJoinedDuringIt)
{
    std::vector<std::string> log;
    TComponent form(nullptr);
    TListener* a = addListener(form, "A", log);
    TListener* b = addListener(form, "B", log);
    TListener* c = addListener(form, "C", log);
    addListener(form, "D", log);
    TListener* e = addListener(form, "E", log);
    // Hearing of New, C deletes one sibling the pass has yet to reach (B) and one it
    // has passed (E), and adds another (Late); each of those makes a pass of its own.
    c->onHear = [&](TComponent* component, TOperation operation) {
        if (operation != opInsert || component->Name() != "New")
            return;
        delete b;
        delete e;
        addListener(form, "Late", log);
    };
    log.clear();
    addListener(form, "New", log);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "New hears +New", "E hears +New", "D hears +New", "C hears +New",
                       "New hears -B", "E hears -B", "D hears -B", "C hears -B", "A hears -B",
                       "New hears -E", "D hears -E", "C hears -E", "A hears -E",
                       "Late hears +Late", "New hears +Late", "D hears +Late", "C hears +Late", "A hears +Late",
                       "A hears +New"}));
    EXPECT_EQ(form.ComponentCount(), 5);
    EXPECT_EQ(form.Components(0), a);
    EXPECT_EQ(form.FindComponent("b"), nullptr);
    EXPECT_EQ(form.FindComponent("late")->ComponentIndex(), 4);
}

TEST(Component, StateAndFreeNotificationAcrossOwners)
{
    TComponent form(nullptr);
    auto* child = new TComponent(&form);
    form.SetDesigning(true);
    EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
    child->BeginLoading();
    EXPECT_TRUE(child->ComponentState().Contains(csLoading));
    child->Loaded();
    EXPECT_EQ(child->ComponentState(), TComponentState{csDesigning});

    std::vector<std::string> log;
    TLogged watcher(nullptr, "Watcher", log);
    auto* menu = new TComponent(nullptr);
    watcher.peer = menu;
    watcher.FreeNotification(menu);
    delete menu;
    EXPECT_EQ(watcher.peer, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"Watcher forgets peer"}));

    // A watcher that goes first drops the link: the later deletion must not reach it.
    auto* popup = new TComponent(nullptr);
    {
        std::vector<std::string> log2;
        TLogged shortLived(nullptr, "Short", log2);
        shortLived.FreeNotification(popup);
    }
    delete popup;
}

// ---- TCollection ---------------------------------------------------------------

namespace {

class TColumnItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    AnsiString ClassName() const override { return "TColumnItem"; }
    void AfterConstruction() override { width = 50; }
    void Assign(TPersistent* source) override
    {
        if (auto* column = dynamic_cast<TColumnItem*>(source)) {
            width = column->width;
            return;
        }
        TCollectionItem::Assign(source);
    }
    void SetWidth(int value)
    {
        if (value == width)
            return;
        width = value;
        Changed(false);
    }
    int width = 0;
};

// Records every Update call: the item's width, or "all" for nullptr.
class TColumnList : public TOwnedCollection {
public:
    explicit TColumnList(TPersistent* owner) : TOwnedCollection(owner, ItemClassOf<TColumnItem>()) {}
    TColumnItem* column(int index) { return static_cast<TColumnItem*>(Items(index)); }
    std::vector<std::string> updates;

protected:
    void Update(TCollectionItem* item) override
    {
        updates.push_back(item ? std::to_string(static_cast<TColumnItem*>(item)->width) : "all");
    }
};

}  // namespace

TEST(Collection, UpdateHookNamesTheItemOrTheWholeCollection)
{
    TComponent grid(nullptr);
    TColumnList columns(&grid);
    EXPECT_EQ(columns.Owner(), &grid);

    auto* first = static_cast<TColumnItem*>(columns.Add());
    EXPECT_EQ(first->width, 50);  // constructed fully before the collection announces it
    EXPECT_EQ(first->Collection(), &columns);
    EXPECT_EQ(first->GetDisplayName(), "TColumnItem");
    first->SetWidth(130);
    auto* second = static_cast<TColumnItem*>(columns.Add());
    second->SetWidth(90);
    second->SetIndex(0);
    EXPECT_EQ(first->Index(), 1);
    columns.Delete(0);
    EXPECT_EQ(columns.updates, (std::vector<std::string>{"all", "130", "all", "90", "all", "all"}));

    // Batched: one whole-collection notice at the outermost EndUpdate.
    columns.updates.clear();
    columns.BeginUpdate();
    columns.BeginUpdate();
    columns.Add();
    first->SetWidth(10);
    columns.EndUpdate();
    EXPECT_TRUE(columns.updates.empty());
    columns.EndUpdate();
    EXPECT_EQ(columns.updates, (std::vector<std::string>{"all"}));
    columns.EndUpdate();  // unmatched: ignored, and later changes still report
    first->SetWidth(20);
    EXPECT_EQ(columns.updates, (std::vector<std::string>{"all", "20"}));

    // Deleting an item directly takes it out of the collection.
    columns.updates.clear();
    delete columns.Items(1);
    EXPECT_EQ(columns.Count(), 1);
    columns.Clear();
    EXPECT_EQ(columns.Count(), 0);
    EXPECT_EQ(columns.updates, (std::vector<std::string>{"all", "all"}));
}

TEST(Collection, IndexErrorsChangeNothingAndAssignCopies)
{
    TColumnList columns(nullptr);
    columns.Add();
    columns.column(0)->SetWidth(1);
    columns.Insert(0)->Assign(columns.column(1));
    columns.column(0)->SetWidth(0);
    columns.updates.clear();

    EXPECT_EQ(messageOf<EListError>([&] { columns.Insert(3); }), "List index out of bounds (3)");
    EXPECT_EQ(messageOf<EListError>([&] { columns.Delete(2); }), "List index out of bounds (2)");
    EXPECT_EQ(messageOf<EListError>([&] { columns.column(0)->SetIndex(2); }), "List index out of bounds (2)");
    EXPECT_EQ(columns.Count(), 2);
    EXPECT_EQ(columns.column(0)->width, 0);
    EXPECT_EQ(columns.column(1)->width, 1);
    EXPECT_TRUE(columns.updates.empty());

    TColumnList copy(nullptr);
    copy.Add();
    copy.Assign(&columns);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.column(1)->width, 1);
    EXPECT_EQ(copy.updates, (std::vector<std::string>{"all", "all"}));
    copy.Assign(&copy);  // to itself: keeps its items
    EXPECT_EQ(copy.Count(), 2);

    TStringList lines;
    EXPECT_EQ(messageOf<EConvertError>([&] { copy.column(0)->Assign(&lines); }),
              "Cannot assign a TStringList to a TColumnItem");
}
