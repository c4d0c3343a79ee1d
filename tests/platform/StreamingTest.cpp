#include "platform/Streaming.h"

#include "platform/Bitmap.h"
#include "platform/Controls.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

enum TShape { shCircle, shSquare, shTriangle };
enum TSide { sdLeft, sdRight, sdTop };
using TSides = TSet<TSide>;

const TIdentList shapeIdents = {{"shCircle", shCircle}, {"shSquare", shSquare}, {"shTriangle", shTriangle}};
const TIdentList sideIdents = {{"sdLeft", sdLeft}, {"sdRight", sdRight}, {"sdTop", sdTop}};

class TPart : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    AnsiString ClassName() const override { return "TPart"; }
    AnsiString Label;
    int Size = 1;
};

// An item that holds items of its own kind, for collections inside collections.
class TNestedPart : public TCollectionItem {
public:
    explicit TNestedPart(TCollection* collection)
        : TCollectionItem(collection), parts(std::make_unique<TOwnedCollection>(this, ItemClassOf<TNestedPart>()))
    {
    }
    AnsiString ClassName() const override { return "TNestedPart"; }
    std::unique_ptr<TOwnedCollection> parts;
};

// A control with one property of every kind.
class TSample : public TCustomControl {
public:
    explicit TSample(TComponent* owner)
        : TCustomControl(owner), parts(std::make_unique<TOwnedCollection>(this, ItemClassOf<TPart>()))
    {
    }
    AnsiString ClassName() const override { return "TSample"; }

    int Count = 0;
    bool Flag = false;
    TShape Shape = shCircle;
    TSides Sides;
    TColor Tint = clWindow;
    AnsiString Text;
    double Ratio = 0;
    AnsiString Blob;
    TFont font;
    TStringList lines;
    std::unique_ptr<TOwnedCollection> parts;
    std::unique_ptr<TOwnedCollection> nested = std::make_unique<TOwnedCollection>(this, ItemClassOf<TNestedPart>());
    TSample* Buddy = nullptr;
    TNotifyEvent OnPing;
    std::function<void(int)> OnNumber;
};

class TTestForm : public TForm {
public:
    using TForm::TForm;
    void samplePing(TObject*) { ++pings; }
    void sampleNumber(int n) { lastNumber = n; }
    TSample* first = nullptr;
    TSample* second = nullptr;
    int pings = 0;
    int lastNumber = 0;
};

class TLoadCounter : public TSample {
public:
    using TSample::TSample;
    void Loaded() override
    {
        TSample::Loaded();
        ++loadedCalls;
    }
    static inline int loadedCalls = 0;
};

void registerTestClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterPublishedClass<TPart>("TPart", "TCollectionItem")
        .String("Label", [](TPart* p) { return p->Label; }, [](TPart* p, const AnsiString& v) { p->Label = v; })
        .Integer("Size", [](TPart* p) { return p->Size; }, [](TPart* p, int v) { p->Size = v; }, 1);
    RegisterPublishedClass<TNestedPart>("TNestedPart", "TCollectionItem")
        .Collection<TNestedPart>("Parts", [](TNestedPart* p) { return p->parts.get(); });
    RegisterPublishedClass<TSample>("TSample", "TCustomControl")
        .Integer("Count", [](TSample* s) { return s->Count; }, [](TSample* s, int v) { s->Count = v; })
        .Boolean("Flag", [](TSample* s) { return s->Flag; }, [](TSample* s, bool v) { s->Flag = v; })
        .Enumeration("Shape", [](TSample* s) { return s->Shape; }, [](TSample* s, TShape v) { s->Shape = v; },
                     shapeIdents, std::optional(shCircle))
        .Set("Sides", [](TSample* s) { return s->Sides; }, [](TSample* s, TSides v) { s->Sides = v; }, sideIdents,
             std::optional(TSides()))
        .Colour("Tint", [](TSample* s) { return s->Tint; }, [](TSample* s, TColor v) { s->Tint = v; }, clWindow)
        .String("Text", [](TSample* s) { return s->Text; }, [](TSample* s, const AnsiString& v) { s->Text = v; })
        .Float("Ratio", [](TSample* s) { return s->Ratio; }, [](TSample* s, double v) { s->Ratio = v; })
        .Binary("Blob", [](TSample* s) { return s->Blob; }, [](TSample* s, const AnsiString& v) { s->Blob = v; })
        .Object<TFont>("SampleFont", [](TSample* s) { return &s->font; })
        .Object<TStrings>("Lines", [](TSample* s) { return &s->lines; })
        .Collection<TPart>("Parts", [](TSample* s) { return s->parts.get(); })
        .Collection<TNestedPart>("Nested", [](TSample* s) { return s->nested.get(); })
        .Component<TSample>("Buddy", [](TSample* s) { return s->Buddy; }, [](TSample* s, TSample* v) { s->Buddy = v; })
        .Event("OnPing", &TSample::OnPing)
        .Event("OnNumber", &TSample::OnNumber);
    RegisterPublishedClass<TLoadCounter>("TLoadCounter", "TSample");
    RegisterPublishedClass<TTestForm>("TTestForm", "TForm")
        .Field("first", &TTestForm::first)
        .Field("second", &TTestForm::second)
        .Handler("samplePing", &TTestForm::samplePing)
        .Handler("sampleNumber", &TTestForm::sampleNumber);
}

class Streaming : public ::testing::Test {
protected:
    void SetUp() override { registerTestClasses(); }
    TTestForm* newForm() { return ui.createForm<TTestForm>(); }
    varn::test::UiHarness ui;
};

const char* sampleText = R"(object Main: TTestForm
  Caption = 'Ca'#241'on '#39'x'#39 +
    ' y'
  ClientHeight = 200
  ClientWidth = 300
  Font.Name = 'Arial'
  Font.Style = [fsBold, fsItalic]
  object first: TSample
    Left = 4
    Top = 5
    Width = 120
    Height = 60
    Count = $10
    Flag = True
    Shape = shTriangle
    Sides = [sdLeft, sdTop]
    Tint = clBtnFace
    Text = ''
    Ratio = 2.5E1
    Blob = {
      00FF10
      7A}
    SampleFont.Color = 255
    Lines.Strings = (
      'one'
      #9'two')
    Parts = <
      item
        Label = 'a'
      end
      item [1]
        Label = 'b'
        Size = -3
      end>
    Buddy = second
    OnPing = samplePing
    OnNumber = sampleNumber
    object second: TSample
      Align = alClient
      Tint = -2147483633
    end
  end
end
)";

TEST_F(Streaming, ReadsEveryValueKindIntoTheTree)
{
    TTestForm* form = newForm();
    ReadComponentText(sampleText, form);

    EXPECT_EQ(form->Name(), "Main");
    EXPECT_EQ(form->Caption(), "Ca\xF1on 'x' y");
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->Font()->Name(), "Arial");
    EXPECT_EQ(form->Font()->Style(), (TFontStyles{fsBold, fsItalic}));

    ASSERT_NE(form->first, nullptr);
    ASSERT_NE(form->second, nullptr);
    TSample* s = form->first;
    EXPECT_EQ(s->Owner(), form);
    EXPECT_EQ(s->Parent(), form);
    EXPECT_EQ(form->second->Parent(), s);
    EXPECT_EQ(form->second->Owner(), form);
    EXPECT_EQ(s->BoundsRect(), TRect(4, 5, 124, 65));
    EXPECT_EQ(s->Count, 16);
    EXPECT_TRUE(s->Flag);
    EXPECT_EQ(s->Shape, shTriangle);
    EXPECT_EQ(s->Sides, (TSides{sdLeft, sdTop}));
    EXPECT_EQ(s->Tint, clBtnFace);
    EXPECT_EQ(form->second->Tint, clBtnFace);
    EXPECT_DOUBLE_EQ(s->Ratio, 25.0);
    EXPECT_EQ(s->Blob, AnsiString("\x00\xFF\x10\x7A", 4));
    EXPECT_EQ(s->font.Color(), 255);
    ASSERT_EQ(s->lines.Count(), 2);
    EXPECT_EQ(s->lines[1], "\ttwo");
    ASSERT_EQ(s->parts->Count(), 2);
    EXPECT_EQ(static_cast<TPart*>(s->parts->Items(1))->Label, "b");
    EXPECT_EQ(static_cast<TPart*>(s->parts->Items(1))->Size, -3);
    EXPECT_EQ(static_cast<TPart*>(s->parts->Items(0))->Size, 1);
    EXPECT_EQ(s->Buddy, form->second);
    EXPECT_EQ(form->second->Align(), alClient);
    EXPECT_FALSE(s->ComponentState().Contains(csLoading));

    ASSERT_TRUE(s->OnPing);
    s->OnPing(s);
    s->OnNumber(7);
    EXPECT_EQ(form->pings, 1);
    EXPECT_EQ(form->lastNumber, 7);
    EXPECT_EQ(GetPropText(s, "OnNumber"), "sampleNumber");
}

TEST_F(Streaming, WritesOnlyWhatDiffersFromTheDeclaredDefaults)
{
    TTestForm* form = newForm();
    auto* s = new TSample(form);
    s->SetName("plain");
    s->SetParent(form);
    s->SetBounds(1, 2, 30, 40);
    AnsiString text = WriteComponentText(form);
    // Bounds and tab order have no declared default, nor has a font's face and size.
    EXPECT_NE(text.find("  object plain: TSample\n    Left = 1\n    Top = 2\n    Width = 30\n    Height = 40\n"
                        "    TabOrder = 0\n    SampleFont.Charset = DEFAULT_CHARSET\n"),
              AnsiString::npos)
        << text;
    EXPECT_NE(text.find("    SampleFont.Style = []\n  end\n"), AnsiString::npos) << text;
    // The form always stores its client size, font and text metrics; the font
    // itself is the default one.
    EXPECT_NE(text.find("  Font.Charset = DEFAULT_CHARSET\n  Font.Color = clWindowText\n  Font.Height = -11\n"
                        "  Font.Name = 'MS Sans Serif'\n  Font.Style = []\n"),
              AnsiString::npos)
        << text;
    EXPECT_NE(text.find("  OldCreateOrder = False\n"), AnsiString::npos);
    EXPECT_NE(text.find("  PixelsPerInch = 96\n  TextHeight = 13\n  object plain"), AnsiString::npos) << text;
    EXPECT_EQ(text.find("\n  Width = "), AnsiString::npos) << "a form writes its client size, not Width";
    EXPECT_EQ(text.find("Visible"), AnsiString::npos);
    EXPECT_EQ(text.find("Parts"), AnsiString::npos);
}

TEST_F(Streaming, RoundTripGivesTheSameTreeAndText)
{
    TTestForm* form = newForm();
    ReadComponentText(sampleText, form);
    form->first->Text = AnsiString("line\r\nwith 'quotes' and \xE1", 25);
    form->first->Ratio = 0.1;
    AnsiString written = WriteComponentText(form);

    TTestForm* copy = newForm();
    ReadComponentText(written, copy);
    AnsiString rewritten = WriteComponentText(copy);
    EXPECT_EQ(rewritten.substr(0, rewritten.find('\n')), "object Main_1: TTestForm")
        << "a second form of the same name gets a unique one";
    EXPECT_EQ(rewritten.substr(rewritten.find('\n')), written.substr(written.find('\n')));
    EXPECT_EQ(copy->first->Text, form->first->Text);
    EXPECT_DOUBLE_EQ(copy->first->Ratio, 0.1);
    EXPECT_EQ(copy->first->Buddy, copy->second);
    EXPECT_EQ(copy->first->Blob, form->first->Blob);
    copy->first->OnNumber(3);
    EXPECT_EQ(copy->lastNumber, 3);
    EXPECT_EQ(form->lastNumber, 0) << "handlers bind to the form that was read";
}

TEST_F(Streaming, ErrorsNameTheLineAndTheProblem)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"object F: TTestForm\n  Foo = 1\nend\n", "Line 2: Unknown property 'Foo'"},
        {"object F: TTestForm\n  object a: TNothing\n  end\nend\n", "Line 2: Class TNothing not found"},
        {"object F: TTestForm\n  Font.Bar = 1\nend\n", "Line 2: Unknown property 'Font.Bar'"},
        {"object F: TTestForm\n  object a: TSample\n    Shape = shOval\n  end\nend\n",
         "Line 3: Invalid value shOval for property 'Shape'"},
        {"object F: TTestForm\n  object a: TSample\n    Count = 'x'\n  end\nend\n",
         "Line 3: Invalid value 'x' for property 'Count'"},
        {"object F: TTestForm\n  object a: TSample\n    Count = 4294967296\n  end\nend\n",
         "Line 3: Value 4294967296 out of range for property 'Count'"},
        {"object F: TTestForm\n  object a: TSample\n    Sides = [sdLeft, sdBack]\n  end\nend\n",
         "Line 3: Invalid set element sdBack for property 'Sides'"},
        {"object F: TTestForm\n  object a: TSample\n    OnPing = nobody\n  end\nend\n",
         "Line 3: Handler 'nobody' not found for event 'OnPing'"},
        {"object F: TTestForm\n  object a: TSample\n    OnPing = sampleNumber\n  end\nend\n",
         "Line 3: Handler 'sampleNumber' does not fit event 'OnPing'"},
        {"object F: TTestForm\n  object a: TSample\n    Buddy = ghost\n  end\nend\n",
         "Line 3: Component 'ghost' not found for property 'Buddy'"},
        {"object F: TTestForm\n  object a: TSample\n    Blob = {0F1}\n  end\nend\n",
         "Line 3: Invalid binary value: odd number of digits"},
        {"object F: TTestForm\n  Caption = 'open\nend\n", "Line 2: Unterminated string"},
        {"object F: TTestForm\n  Left 3\nend\n", "Line 2: '=' expected but '3' found"},
        {"object F: TTestForm\n  object a: TSample\n    Left = 1\n", "Line 4: Unexpected end of file, Property name or 'end' expected"},
        {"object F: TTestForm\n  object a: TSample\n  end\n  object a: TSample\n  end\nend\n",
         "Line 4: A component named a already exists"},
    };
    for (const Case& c : cases) {
        TTestForm* form = newForm();
        try {
            ReadComponentText(c.text, form);
            ADD_FAILURE() << "no error for:\n" << c.text;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message) << c.text;
        }
    }
}

TEST_F(Streaming, AFailedReadLeavesNothingHalfBuilt)
{
    TTestForm* form = newForm();
    form->SetName("Before");
    // The duplicate name is only found while building: the first children exist by then.
    const char* text = "object After: TTestForm\n"
                       "  object first: TLoadCounter\n"
                       "    object inner: TSample\n"
                       "    end\n"
                       "  end\n"
                       "  object second: TSample\n"
                       "    OnPing = samplePing\n"
                       "  end\n"
                       "  object first: TSample\n"
                       "  end\n"
                       "end\n";
    TLoadCounter::loadedCalls = 0;
    EXPECT_THROW(ReadComponentText(text, form), EReadError);
    EXPECT_EQ(form->ComponentCount(), 0);
    EXPECT_EQ(form->ControlCount(), 0);
    EXPECT_EQ(form->first, nullptr);
    EXPECT_EQ(form->second, nullptr);
    EXPECT_EQ(form->Name(), "Before");
    EXPECT_FALSE(form->ComponentState().Contains(csLoading));
    EXPECT_EQ(TLoadCounter::loadedCalls, 0);

    // A bad value is found before anything is touched, the root's own values included.
    form->SetCaption("kept");
    EXPECT_THROW(ReadComponentText("object F: TTestForm\n  Caption = 'new'\n  object a: TSample\n"
                                   "    Flag = Maybe\n  end\nend\n",
                                   form),
                 EReadError);
    EXPECT_EQ(form->Caption(), "kept");
    EXPECT_EQ(form->ComponentCount(), 0);
}

TEST_F(Streaming, CreatesFromTextAndReadsIntoExistingComponents)
{
    TTestForm* form = newForm();
    TComponent* made = CreateComponentFromText("object made: TLoadCounter\n  Count = 3\nend\n", form);
    ASSERT_NE(dynamic_cast<TLoadCounter*>(made), nullptr);
    EXPECT_EQ(made->Owner(), form);
    EXPECT_EQ(static_cast<TSample*>(made)->Count, 3);
    EXPECT_THROW(CreateComponentFromText("object x: TMissing\nend\n", form), EClassNotFound);
    EXPECT_THROW(CheckComponentText("object x: TSample\n  Count = \nend\n"), EParserError);

    // "inherited" reads into a component that already exists.
    ReadComponentText("object F: TTestForm\n  inherited made: TLoadCounter\n    Count = 9\n  end\nend\n", form);
    EXPECT_EQ(static_cast<TSample*>(made)->Count, 9);
    EXPECT_EQ(form->ComponentCount(), 1);

    SetPropText(made, "Sides", "[sdRight]");
    EXPECT_EQ(GetPropText(made, "Sides"), "[sdRight]");
    SetEventHandler(static_cast<TSample*>(made), "OnPing", "samplePing");
    static_cast<TSample*>(made)->OnPing(nullptr);
    EXPECT_EQ(form->pings, 1);
    EXPECT_NE(WriteComponentText(form).find("OnPing = samplePing"), AnsiString::npos);
}

TEST_F(Streaming, BitmapDataCarriesItsByteCount)
{
    TBitmap source;
    source.SetSize(3, 2);
    source.Canvas()->SetPixels(0, 0, clRed);
    AnsiString hex = GetPropText(&source, "Data");
    TBitmap copy;
    SetPropText(&copy, "Data", hex);
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.pixel(0, 0), clRed);
    // A count larger than the data is refused instead of read past the end.
    EXPECT_THROW(SetPropText(&copy, "Data", "{FFFF0000424D}"), EReadError);
    SetPropText(&copy, "Data", "{}");
    EXPECT_EQ(copy.Width(), 0);
}

// The form with `panels` panels inside one another, each aligned to its parent's
// client area.
AnsiString nestedPanels(int panels)
{
    AnsiString text = "object F: TTestForm\n";
    for (int i = 0; i < panels; ++i)
        text += Sprintf("object p%d: TPanel\nAlign = alClient\n", i);
    for (int i = 0; i <= panels; ++i)
        text += "end\n";
    return text;
}

// A sample whose Nested collection holds `levels` collections inside one another.
AnsiString nestedCollections(int levels)
{
    AnsiString text = "object F: TTestForm\nobject s: TSample\nNested = <\n";
    for (int i = 1; i < levels; ++i)
        text += "item\nParts = <\n";
    text += "item\n";
    for (int i = 0; i < levels; ++i)
        text += "end>\n";  // closes an item and its collection
    return text + "end\nend\n";
}

AnsiString parseError(const AnsiString& text)
{
    try {
        CheckComponentText(text);
    } catch (const EParserError& e) {
        return e.Message();
    }
    return "no error";
}

TEST_F(Streaming, NestingIsRefusedPastTwoHundredFiftySixLevels)
{
    // 256 levels, the form included: read, shown, painted, written and read back.
    TTestForm* form = newForm();
    ReadComponentText(nestedPanels(255), form);
    auto* deepest = dynamic_cast<TPanel*>(form->FindComponent("p254"));
    ASSERT_NE(deepest, nullptr);
    int levels = 1;
    for (TControl* c = deepest; c != form; c = c->Parent())
        ++levels;
    EXPECT_EQ(levels, 256);
    ui.show(form);
    EXPECT_TRUE(deepest->HandleAllocated());
    AnsiString written = WriteComponentText(form);
    TTestForm* copy = newForm();
    ReadComponentText(written, copy);
    AnsiString rewritten = WriteComponentText(copy);
    EXPECT_TRUE(rewritten.substr(rewritten.find('\n')) == written.substr(written.find('\n')));

    // Level 257 is refused at its line; so are the depths that used to exhaust the stack.
    EXPECT_EQ(parseError(nestedPanels(256)), "Line 512: Objects and collections nested deeper than 256 levels");
    EXPECT_EQ(parseError(nestedPanels(24000)), "Line 512: Objects and collections nested deeper than 256 levels");

    // Collections count as levels too: the form, the sample and 254 collections read.
    TTestForm* items = newForm();
    ReadComponentText(nestedCollections(254), items);
    auto* sample = dynamic_cast<TSample*>(items->FindComponent("s"));
    ASSERT_NE(sample, nullptr);
    TCollection* collection = sample->nested.get();
    for (int i = 1; i <= 254; ++i) {
        ASSERT_EQ(collection->Count(), 1) << i;
        collection = static_cast<TNestedPart*>(collection->Items(0))->parts.get();
    }
    EXPECT_EQ(collection->Count(), 0);
    written = WriteComponentText(items);
    TTestForm* itemsCopy = newForm();
    ReadComponentText(written, itemsCopy);
    rewritten = WriteComponentText(itemsCopy);
    EXPECT_TRUE(rewritten.substr(rewritten.find('\n')) == written.substr(written.find('\n')));
    EXPECT_EQ(parseError(nestedCollections(255)), "Line 511: Objects and collections nested deeper than 256 levels");
    EXPECT_EQ(parseError(nestedCollections(14700)), "Line 511: Objects and collections nested deeper than 256 levels");
    AnsiString deep = nestedCollections(300);
    EXPECT_THROW(SetPropText(sample, "Nested", deep.substr(deep.find('<'))), EParserError);
}

TEST_F(Streaming, TheWriterRefusesTreesTooDeepToReadBack)
{
    TTestForm* form = newForm();
    TWinControl* parent = form;
    for (int i = 0; i < 256; ++i) {
        auto* panel = new TPanel(form);
        panel->SetName(Sprintf("p%d", i));
        panel->SetParent(parent);
        parent = panel;
    }
    try {
        WriteComponentText(form);
        ADD_FAILURE() << "written";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Cannot write 'p255': objects and collections nested deeper than 256 levels");
    }
    delete parent;  // 256 levels, the form included, are written
    EXPECT_NO_THROW(CheckComponentText(WriteComponentText(form)));

    auto* s = new TSample(form);
    s->SetParent(form);
    TCollection* collection = s->nested.get();
    for (int i = 0; i < 255; ++i)
        collection = static_cast<TNestedPart*>(collection->Add())->parts.get();
    EXPECT_THROW(WriteComponentText(form), EWriteError);
}

TEST_F(Streaming, HexNumbersAreSixtyFourBitPatternsWithASign)
{
    // The lowest 64-bit value, written negated; the sanitizer build stops on any overflow.
    std::ifstream file(std::filesystem::path(__FILE__).parent_path().parent_path() / "repro" /
                       "crash-ubsan-negate-int64-min.txt");
    std::stringstream reproducer;
    reproducer << file.rdbuf();
    ASSERT_EQ(reproducer.str().substr(0, 18), "-$8000000000000000");
    EXPECT_THROW(CheckComponentText(reproducer.str()), EParserError);

    TTestForm* form = newForm();
    auto* s = new TSample(form);
    SetPropText(s, "Ratio", "-$8000000000000000");
    EXPECT_EQ(s->Ratio, -9223372036854775808.0);
    SetPropText(s, "Ratio", "$7FFFFFFFFFFFFFFF");
    EXPECT_EQ(s->Ratio, 9223372036854775807.0);
    SetPropText(s, "Count", "-$80000000");
    EXPECT_EQ(s->Count, -2147483647 - 1);
    SetPropText(s, "Count", "-$1");
    EXPECT_EQ(s->Count, -1);
    try {
        SetPropText(s, "Count", "-$8000000000000000");
        ADD_FAILURE() << "read";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Line 1: Value -9223372036854775808 out of range for property 'Count'");
    }
    EXPECT_THROW(SetPropText(s, "Count", "-$10000000000000000"), EParserError);
}

// Counts the destructions it hears of the components it is linked to.
class TDeathCounter : public TComponent {
public:
    TDeathCounter() : TComponent(nullptr) {}
    int heard = 0;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        heard += operation == opRemove;
    }
};

TEST_F(Streaming, EightThousandSiblingsAreReadAndDeleted)
{
    constexpr int count = 8000;
    AnsiString text = "object Big: TTestForm\n";
    for (int i = 1; i <= count; ++i)
        text += "  object S" + IntToStr(i) + ": TSample\n    Left = " + IntToStr(i % 100) + "\n    Top = " +
                IntToStr(i / 100) + "\n    OnPing = samplePing\n  end\n";
    text += "end\n";
    TTestForm* form = newForm();
    ReadComponentText(text, form);
    ASSERT_EQ(form->ComponentCount(), count);
    EXPECT_EQ(form->ControlCount(), count);
    EXPECT_EQ(form->FindComponent("s1")->ComponentIndex(), 0);
    EXPECT_EQ(form->FindComponent("S8000"), form->Components(count - 1));
    auto* sample = static_cast<TSample*>(form->FindComponent("S4321"));
    EXPECT_EQ(sample->Left(), 21);
    EXPECT_EQ(sample->Top(), 43);
    EXPECT_EQ(sample->Parent(), form);
    EXPECT_EQ(GetEventHandlerName(sample, "OnPing"), "samplePing");
    sample->OnPing(nullptr);
    EXPECT_EQ(form->pings, 1);

    // One component linked to every sibling hears each one go, exactly once.
    TDeathCounter counter;
    for (int i = 0; i < count; ++i)
        counter.FreeNotification(form->Components(i));
    delete form->FindComponent("S1");
    delete sample;
    EXPECT_EQ(counter.heard, 2);
    EXPECT_EQ(form->ComponentCount(), count - 2);
    EXPECT_EQ(form->ControlCount(), count - 2);
    EXPECT_EQ(form->FindComponent("S4321"), nullptr);
    EXPECT_EQ(form->Controls(0), form->FindComponent("S2"));
    delete form;
    EXPECT_EQ(counter.heard, count);
}

}  // namespace

TEST_F(Streaming, CharacterCodesAreThoseOfTheWesternCodePage)
{
    TTestForm* form = newForm();
    // #8364 is the euro sign, byte 0x80; codes up to 255 stay the bytes they name,
    // as earlier texts wrote them.
    SetPropText(form, "Caption", "'Precio: 12,50 '#8364");
    EXPECT_EQ(form->Caption(), "Precio: 12,50 \x80");
    EXPECT_EQ(GetPropText(form, "Caption"), "'Precio: 12,50 '#8364");
    SetPropText(form, "Caption", "#128#$20AC#338#$178#241#129");
    EXPECT_EQ(form->Caption(), "\x80\x80\x8C\x9F\xF1\x81");
    EXPECT_EQ(GetPropText(form, "Caption"), "#8364#8364#338#376#241#129");

    for (const char* outside : {"'x'#8365", "#$3A9", "#65535"}) {
        try {
            SetPropText(form, "Caption", outside);
            ADD_FAILURE() << "no error for " << outside;
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find("is not in the Windows-1252 code page"), AnsiString::npos) << e.Message();
        }
    }
    EXPECT_EQ(form->Caption(), "\x80\x80\x8C\x9F\xF1\x81") << "a refused text changes nothing";

    try {
        ReadComponentText("object F: TTestForm\n  Caption = 'a'#937\nend\n", newForm());
        ADD_FAILURE() << "no error for #937";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Line 2: Character #937 is not in the Windows-1252 code page");
    }
}
