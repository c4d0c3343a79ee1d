// The repair window "Reparar DB": checks every table of the connected schema with
// the server's own CHECK TABLE, repairs with REPAIR TABLE the ones that report a
// fault, and lists what the server answered.
#pragma once

#include "db/sDBConnection.h"
#include "platform/Forms.h"

class TLabel;
class TListBox;
class TVarnButton;
class TVarnFrame;

class TdbReparerFORM : public TForm {
public:
    // Builds the window from its stored form description (dbReparerFormText).
    explicit TdbReparerFORM(TComponent* Owner);
    AnsiString ClassName() const override { return "TdbReparerFORM"; }

    TListBox* theList = nullptr;
    TVarnFrame* Panel1 = nullptr;
    TLabel* theLabel = nullptr;
    TVarnButton* btStart = nullptr;

    // Lists the tables of the connected schema and says how many there are, unless
    // the results of a check are on show.
    void FormActivate(TObject* Sender);
    // Checks every table, repairs those the check finds faulty, and lists each
    // table's result; theLabel sums up.
    void btStartClick(TObject* Sender);

    // The connection whose schema is checked; null: the layer's default connection.
    sDB_connection* connection = nullptr;

private:
    bool running = false;         // btStartClick is at work
    bool showingResults = false;  // theList holds the results of a check
};

extern TdbReparerFORM* dbReparerFORM;

// The stored form description of the window.
extern const char* const dbReparerFormText;

// A name as an SQL identifier: in backquotes, a backquote inside doubled.
AnsiString sDB_quoteIdentifier(const AnsiString& name);
