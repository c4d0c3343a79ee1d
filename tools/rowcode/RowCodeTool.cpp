#include "tools/rowcode/RowCodeTool.h"

#include "grid/VarnGridProperties.h"
#include "platform/ComponentText.h"
#include "platform/Streaming.h"

#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

namespace varn::rowcode {

namespace {

using varn::detail::TTextObject;
using varn::detail::TTextValue;

// A parsed value written back in component-text form, so that the framework's
// own property setting reads and checks it.
AnsiString valueText(const TTextValue& value)
{
    switch (value.kind) {
    case TTextValue::Integer:
        return IntToStr(value.integer);
    case TTextValue::Float: {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", value.real);
        return buffer;
    }
    case TTextValue::String:
        return varn::detail::quoteString(value.text);
    case TTextValue::Ident:
        return value.text;
    case TTextValue::Set: {
        AnsiString text = "[";
        for (size_t i = 0; i < value.idents.size(); ++i)
            text += (i ? ", " : "") + value.idents[i];
        return text + "]";
    }
    case TTextValue::List: {
        AnsiString text = "(";
        for (size_t i = 0; i < value.list.size(); ++i)
            text += (i ? " " : "") + valueText(value.list[i]);
        return text + ")";
    }
    case TTextValue::Collection: {
        AnsiString text = "<";
        for (const auto& item : value.items) {
            text += " item";
            for (const auto& property : item.properties)
                text += " " + property.path + " = " + valueText(property.value);
            text += " end";
        }
        return text + ">";
    }
    case TTextValue::Binary: {
        AnsiString text = "{";
        for (unsigned char byte : value.text) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", byte);
            text += hex;
        }
        return text + "}";
    }
    }
    return AnsiString();
}

const TTextObject* findObject(const TTextObject& node, const AnsiString& name)
{
    if (AnsiSameText(node.name, name))
        return &node;
    for (const TTextObject& child : node.children)
        if (const TTextObject* found = findObject(child, name))
            return found;
    return nullptr;
}

const char usage[] = "usage: varn-rowcode [--columns] FORM-FILE GRID-NAME\n";

}  // namespace

std::unique_ptr<TVarnGrid> loadGrid(const AnsiString& formText, const AnsiString& gridName)
{
    TTextObject root;
    try {
        root = varn::detail::parseComponentText(formText);
    } catch (const Exception& e) {
        throw ERowCodeError("not a form description: " + e.Message());
    }
    const TTextObject* node = findObject(root, gridName);
    if (!node)
        throw ERowCodeError("no component named '" + gridName + "'");
    const TClassInfo* cls = FindClassInfo(node->className);
    if (!cls || !cls->InheritsFrom("TVarnGrid"))
        throw ERowCodeError("'" + node->name + "' is a " + node->className + ", not a grid");

    auto grid = std::make_unique<TVarnGrid>(nullptr);
    grid->SetName(node->name);
    for (const auto& property : node->properties) {
        if (!AnsiSameText(property.path, "Columns"))
            continue;
        try {
            SetPropText(grid.get(), "Columns", valueText(property.value));
        } catch (const Exception& e) {
            throw ERowCodeError(Sprintf("line %d: ", property.line) + e.Message());
        }
    }
    return grid;
}

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    bool columns = false;
    std::vector<AnsiString> names;
    for (int i = 1; i < argc; ++i) {
        AnsiString arg = argv[i];
        if (arg == "--columns")
            columns = true;
        else if (arg == "--help" || arg == "-h") {
            out << usage << "Prints the row class of the grid GRID-NAME stored in FORM-FILE,\n"
                            "or its column text with --columns.\n";
            return 0;
        } else
            names.push_back(arg);
    }
    if (names.size() != 2) {
        err << usage;
        return 2;
    }
    const AnsiString& fileName = names[0];
    std::ifstream file(fileName, std::ios::binary);
    if (!file) {
        err << "varn-rowcode: cannot open " << fileName << "\n";
        return 1;
    }
    std::ostringstream text;
    text << file.rdbuf();
    try {
        std::unique_ptr<TVarnGrid> grid = loadGrid(text.str(), names[1]);
        AnsiString result = columns ? grid->Columns()->ToString() : grid->RowCodeText();
        out.write(result.data(), static_cast<std::streamsize>(result.size()));
        out.flush();
        return out ? 0 : 1;
    } catch (const Exception& e) {
        err << "varn-rowcode: " << fileName << ": " << e.Message() << "\n";
        return 1;
    }
}

}  // namespace varn::rowcode
