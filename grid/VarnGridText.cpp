// The grid's column text (ColData) and the source text of its row class (RowCode).
#include "grid/VarnGrid.h"

#include "platform/SysUtils.h"
#include "utils/Cnvtools.h"
#include "utils/XmlReader.h"

void TVGTextPropertyList::Refill(const AnsiString& text)
{
    refilling = true;
    try {
        SetText(text);
    } catch (...) {
        refilling = false;
        throw;
    }
    refilling = false;
}

void TVGTextPropertyList::SetUpdateState(bool Updating)
{
    TStringList::SetUpdateState(Updating);
    if (!Updating && !refilling && onWritten)
        onWritten(this);
}

std::unique_ptr<TStringList> TVarnGrid::GenerateColData() const
{
    auto list = std::make_unique<TStringList>();
    list->SetText(FColumns->ToString());
    return list;
}

void TVarnGrid::SetColData(TStrings* list)
{
    AnsiString text = list ? list->Text() : AnsiString();
    if (text == FColumns->ToString())
        return;

    TXmlReader reader;
    reader.SetText(text);
    FColumns->Clear();
    while (reader.Next()) {
        if (!reader.HasAttributes() || reader.Name() != "TVGColumn")
            continue;
        TVGColumn* column = FColumns->Add();
        column->SetCaption(reader.Attribute("Caption"));
        column->SetFieldName(reader.Attribute("FieldName"));
        column->SetWidth(StrToInt(reader.Attribute("Width")));
    }
    OnUpdateColumns();
}

AnsiString TVarnGrid::RowCodeText() const
{
    static const char* const typePieces[] = {
        "\t\tTVarnDataCol_string   ",  // vgString
        "\t\tTVarnDataCol_date     ",  // vgDate
        "\t\tTVarnDataCol_time     ",  // vgTime
        "\t\tTVarnDataCol_boolean  ",  // vgBoolean
        "\t\tTVarnDataCol_integer  ",  // vgInteger
        "\t\tTVarnDataCol_float    ",  // vgFloat
        "\t\tTVarnDataCol_float    ",  // vgMoney: money is read and written as a float
    };
    const AnsiString name = Name();
    AnsiString text = "\tclass " + name + "_dataRow : public TVarnRow\r\n\t{\r\n";
    text += "\tpublic:\r\n";
    text += "\t\t" + name + "_dataRow( TVarnGrid*grid ) : TVarnRow( grid )";
    // The separator before the member initialisers only when there are members,
    // so that the class of a grid without columns compiles too.
    if (FColumns->Count() > 0)
        text += ", ";
    for (int i = 0; i < FColumns->Count(); ++i) {
        if (i > 0)
            text += ",";
        text += FColumns->Items(i)->FieldName() + "(this," + cnvIntToStr(i) + ")";
    }
    text += "\r\n\t\t{}\r\n";
    for (int i = 0; i < FColumns->Count(); ++i) {
        const TVGColumn* column = FColumns->Items(i);
        const VGDataType type = column->DataType() <= vgMoney ? column->DataType() : vgString;
        text += AnsiString(typePieces[type]) + column->FieldName() + ";\r\n";
    }
    return text + "\t};\r\n";
}

std::unique_ptr<TStringList> TVarnGrid::GenerateRowCode() const
{
    auto list = std::make_unique<TStringList>();
    list->SetText(RowCodeText());
    return list;
}

TStrings* TVarnGrid::ColDataList()
{
    if (!colDataList) {
        colDataList = std::make_unique<TVGTextPropertyList>();
        colDataList->onWritten = [this](TStrings* lines) { SetColData(lines); };
    }
    colDataList->Refill(FColumns->ToString());
    return colDataList.get();
}

TStrings* TVarnGrid::RowCodeList()
{
    // Read-only: lines written into it are replaced on the next read.
    if (!rowCodeList)
        rowCodeList = std::make_unique<TVGTextPropertyList>();
    rowCodeList->Refill(RowCodeText());
    return rowCodeList.get();
}
