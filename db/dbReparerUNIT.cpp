#include "db/dbReparerUNIT.h"

#include "controls/VarnButton.h"
#include "controls/VarnButtonProperties.h"
#include "controls/VarnFrame.h"
#include "controls/VarnFrameProperties.h"
#include "db/sDBQuery.h"
#include "platform/ListBox.h"
#include "platform/StdCtrls.h"
#include "platform/Streaming.h"
#include "platform/SysUtils.h"

#include <vector>

TdbReparerFORM* dbReparerFORM = nullptr;

namespace {

void registerReparerForm()
{
    static const bool registered = [] {
        RegisterPublishedClass<TdbReparerFORM>("TdbReparerFORM", "TForm")
            .Field("theList", &TdbReparerFORM::theList)
            .Field("Panel1", &TdbReparerFORM::Panel1)
            .Field("theLabel", &TdbReparerFORM::theLabel)
            .Field("btStart", &TdbReparerFORM::btStart)
            .Handler("FormActivate", &TdbReparerFORM::FormActivate)
            .Handler("btStartClick", &TdbReparerFORM::btStartClick);
        return true;
    }();
    (void)registered;
}

struct TableEntry {
    AnsiString name;
    bool baseTable = true;  // false: a view, which the server checks but cannot repair
};

// What CHECK TABLE or REPAIR TABLE answered: the final status row and the first
// error row.
struct ServerVerdict {
    bool answered = false;
    AnsiString status;
    AnsiString error;

    bool healthy() const
    {
        return answered && error.empty() && (status == "OK" || status == "Table is already up to date");
    }
};

// The server pads the numbers of some messages with runs of spaces.
AnsiString singleSpaced(const AnsiString& text)
{
    AnsiString result;
    for (char c : text)
        if (c != ' ' || result.empty() || result.back() != ' ')
            result += c;
    return result;
}

bool sameText(const AnsiString& a, const char* b) { return AnsiSameText(a, b); }

ServerVerdict runMaintenance(sDB_connection* connection, const AnsiString& statement)
{
    sDB_query query(connection);
    query.exec(statement);
    ServerVerdict verdict;
    const int typeColumn = query.findField("Msg_type");
    const int textColumn = query.findField("Msg_text");
    if (typeColumn < 0 || textColumn < 0)
        return verdict;
    verdict.answered = true;
    for (query.first(); !query.eof(); query.next()) {
        const AnsiString type = query.getString(typeColumn);
        const AnsiString text = query.getString(textColumn);
        if (sameText(type, "status"))
            verdict.status = singleSpaced(text);
        else if (sameText(type, "error") && verdict.error.empty())
            verdict.error = singleSpaced(text);
    }
    return verdict;
}

AnsiString currentSchema(sDB_connection* connection)
{
    sDB_query query(connection);
    query.exec("SELECT DATABASE()");
    return query.eof() ? AnsiString() : query.getValue(0);
}

std::vector<TableEntry> schemaTables(sDB_connection* connection, const AnsiString& schema)
{
    std::vector<TableEntry> tables;
    sDB_query query(connection);
    query.exec("SHOW FULL TABLES FROM " + sDB_quoteIdentifier(schema));
    for (query.first(); !query.eof(); query.next())
        tables.push_back({query.getValue(0), query.getValue(1) == "BASE TABLE"});
    return tables;
}


}  // namespace

AnsiString sDB_quoteIdentifier(const AnsiString& name)
{
    AnsiString quoted = "`";
    for (char c : name) {
        quoted += c;
        if (c == '`')
            quoted += '`';
    }
    return quoted + "`";
}

TdbReparerFORM::TdbReparerFORM(TComponent* Owner) : TForm(Owner)
{
    registerReparerForm();
    ReadComponentText(dbReparerFormText, this);
}

void TdbReparerFORM::FormActivate(TObject*)
{
    // A message box of a running check activates the window again; and coming back
    // to the window after a check keeps its results in view.
    if (running || showingResults)
        return;
    theList->Items()->Clear();
    sDB_connection* db = connection ? connection : sDB_defaultConnection;
    if (!db || !db->mysql) {
        theLabel->SetCaption("Sin conexi\xF3n");
        btStart->SetEnabled(false);
        return;
    }
    const AnsiString schema = currentSchema(db);
    if (schema.empty()) {
        theLabel->SetCaption("Sin base de datos");
        btStart->SetEnabled(false);
        return;
    }
    btStart->SetEnabled(true);
    const std::vector<TableEntry> tables = schemaTables(db, schema);
    for (const TableEntry& table : tables)
        theList->Items()->Add(table.name);
    theLabel->SetCaption(std::to_string(tables.size()) + (tables.size() == 1 ? " tabla en " : " tablas en ") + schema);
}

// Each table is checked; a base table the check finds faulty is repaired and
// checked again by the repair itself. Nothing else touches the data.
void TdbReparerFORM::btStartClick(TObject*)
{
    sDB_connection* db = connection ? connection : sDB_defaultConnection;
    if (!db || !db->mysql)
        return;
    const AnsiString schema = currentSchema(db);
    if (schema.empty())
        return;
    running = true;
    btStart->SetEnabled(false);
    theLabel->SetCaption("Comprobando...");
    theLabel->Repaint();
    theList->Items()->Clear();

    int healthy = 0;
    int repaired = 0;
    int faulty = 0;
    for (const TableEntry& table : schemaTables(db, schema)) {
        const AnsiString target = sDB_quoteIdentifier(schema) + "." + sDB_quoteIdentifier(table.name);
        const ServerVerdict check = runMaintenance(db, "CHECK TABLE " + target);
        if (check.healthy()) {
            ++healthy;
            theList->Items()->Add(table.name + ": OK");
            continue;
        }
        ServerVerdict repair;
        if (table.baseTable && check.answered) {
            repair = runMaintenance(db, "REPAIR TABLE " + target);
            if (repair.healthy()) {
                ++repaired;
                theList->Items()->Add(table.name + ": reparada");
                theList->Items()->Add("  " + (check.error.empty() ? check.status : check.error));
                continue;
            }
        }
        ++faulty;
        theList->Items()->Add(table.name + ": error");
        AnsiString reason = !repair.error.empty() ? repair.error : !check.error.empty() ? check.error : check.status;
        if (!check.answered)
            reason = "sin respuesta del servidor";
        theList->Items()->Add("  " + reason);
    }
    // Short enough for the label's 145 pixels.
    theLabel->SetCaption(std::to_string(healthy) + " OK, " + std::to_string(repaired) + " rep., " +
                         std::to_string(faulty) + " error");
    btStart->SetEnabled(true);
    running = false;
    showingResults = true;
}
