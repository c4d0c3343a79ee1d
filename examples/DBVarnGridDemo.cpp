// varn-dbdemo: a database table in a TDBVarnGrid. A click on a column header
// orders the rows by that column (again: descending), the search box finds text
// in any column, and entering a row loads its record.
//
// Without connection options it starts a throwaway MariaDB server of its own
// (scripts/test-mysql, as the tests do), fills a sample table of customers and
// stops the server on exit. With options, or the usual MySQL environment
// variables, it uses that server; with --table it shows that table (which needs a
// text column named code), otherwise it creates the sample table there. Run
// varn-dbdemo --help for the options.
//
// Every search, ordering and row entered is also printed on standard output.
#include <VarnControls.h>

#include "platform/win/Backend.h"
#include "platform/win/BackingStore.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Options {
    sDB_connectionParams params;
    bool ownServer = true;    // no server given: start a throwaway one
    bool customDatabase = false;
    AnsiString table;         // empty: the sample table
    AnsiString where;
    int sampleRows = 3000;
    bool group = false;       // separator rows by city (sample table only)
    AnsiString screenshot;    // render headless into this PNG and end
};

const char* const sampleTable = "clientes";

void usage(FILE* out)
{
    std::fprintf(out,
                 "usage: varn-dbdemo [options]\n"
                 "  without a server option a throwaway MariaDB server is started and stopped on exit\n"
                 "  --socket PATH      Unix socket of a running server (or MYSQL_UNIX_PORT)\n"
                 "  --host HOST        server host (or MYSQL_HOST)\n"
                 "  --port N           TCP port (or MYSQL_TCP_PORT)\n"
                 "  --user USER        user (default: root)\n"
                 "  --password TEXT    password (or MYSQL_PWD)\n"
                 "  --database NAME    database (default: varn_demo, created for the sample table)\n"
                 "  --table NAME       show this table; it needs a text column named code\n"
                 "  --where SQL        condition of the selection, without the word where\n"
                 "  --rows N           rows of the sample table (default 3000)\n"
                 "  --group            separator rows by city in the sample table\n"
                 "  --screenshot FILE  render the window headless into FILE (PNG) and end\n");
}

bool parse(int argc, char** argv, Options& options)
{
    sDB_connectionParams& params = options.params;
    params.database = "varn_demo";
    params.password.clear();
    auto fromEnvironment = [&](const char* name, AnsiString& target) {
        if (const char* value = std::getenv(name); value && *value) {
            target = value;
            options.ownServer = false;
        }
    };
    fromEnvironment("MYSQL_HOST", params.host);
    fromEnvironment("MYSQL_UNIX_PORT", params.socket);
    if (const char* port = std::getenv("MYSQL_TCP_PORT"); port && *port) {
        params.port = static_cast<unsigned>(std::atoi(port));
        options.ownServer = false;
    }
    if (const char* password = std::getenv("MYSQL_PWD"))
        params.password = password;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            usage(stdout);
            std::exit(0);
        }
        if (option == "--group") {
            options.group = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "varn-dbdemo: %s needs a value\n", option.c_str());
            return false;
        }
        AnsiString value = Utf8ToAnsi(argv[++i]);
        if (option == "--socket")
            params.socket = value, options.ownServer = false;
        else if (option == "--host")
            params.host = value, options.ownServer = false;
        else if (option == "--port")
            params.port = static_cast<unsigned>(std::atoi(value.c_str())), options.ownServer = false;
        else if (option == "--user")
            params.user = value, options.ownServer = false;
        else if (option == "--password")
            params.password = value, options.ownServer = false;
        else if (option == "--database")
            params.database = value, options.customDatabase = true;
        else if (option == "--table")
            options.table = value;
        else if (option == "--where")
            options.where = value;
        else if (option == "--rows")
            options.sampleRows = std::max(1, std::atoi(value.c_str()));
        else if (option == "--screenshot")
            options.screenshot = value;
        else {
            std::fprintf(stderr, "varn-dbdemo: unknown option %s\n", option.c_str());
            usage(stderr);
            return false;
        }
    }
    return true;
}

// The throwaway server: started in a fresh directory under /tmp, stopped by the
// destructor, or by the signal handler when the program is interrupted or killed.
class ThrowawayServer {
public:
    bool start()
    {
        char pattern[] = "/tmp/varn-dbdemo-XXXXXX";
        if (!mkdtemp(pattern))
            return false;
        dir = pattern;
        socket = dir + "/mysqld.sock";
        serverDir = dir + "/server";
        std::printf("Starting a throwaway MariaDB server in %s ...\n", dir.c_str());
        std::fflush(stdout);
        stopArguments = {script.c_str(), "stop", serverDir.c_str(), socket.c_str(), nullptr};
        running = this;
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, onSignal);
        started = run("start") == 0;
        return started;
    }
    ~ThrowawayServer()
    {
        if (started)
            run("stop");
        running = nullptr;
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }
    std::string socket;

private:
    int run(const char* action)
    {
        std::string command = "'" + script + "' " + action + " '" + serverDir + "' '" + socket + "' >'" + dir + "/" +
                              action + ".log' 2>&1";
        return std::system(command.c_str());
    }
    // Only fork, exec, wait and _exit here: they are safe in a signal handler.
    static void onSignal(int signal)
    {
        if (running && running->started) {
            pid_t child = fork();
            if (child == 0) {
                execv(running->script.c_str(), const_cast<char* const*>(running->stopArguments.data()));
                _exit(127);
            }
            if (child > 0)
                waitpid(child, nullptr, 0);
        }
        _exit(128 + signal);
    }

    static inline ThrowawayServer* running = nullptr;
    std::string script = VARN_SOURCE_DIR "/scripts/test-mysql";
    std::string dir;
    std::string serverDir;
    std::vector<const char*> stopArguments;
    bool started = false;
};

bool execute(sDB_connection& connection, const AnsiString& sql)
{
    sDB_query query(&connection);
    query.exec(sql);
    return !connection.lost;
}

// A customer table with names, cities, dates, times, amounts, counts, a yes/no
// flag and NULLs here and there.
void createSampleTable(sDB_connection& connection, int rows)
{
    execute(connection, AnsiString("drop table if exists ") + sampleTable);
    execute(connection, AnsiString("create table ") + sampleTable +
                            " (code varchar(8) primary key, nombre varchar(40), ciudad varchar(30), alta date null, "
                            "visita time null, saldo decimal(12,2), pedidos int null, activo tinyint, "
                            "notas varchar(60) null) character set latin1");
    execute(connection,
            AnsiString("insert into ") + sampleTable +
                " select concat('C', lpad(seq, 5, '0')),"
                " concat(elt(1 + seq % 12, 'Ana', 'Jos\xE9', 'Mar\xED" "a', 'Jes\xFAs', 'Luc\xED" "a', 'Ram\xF3n', 'In\xE9s',"
                " '\xC1lvaro', 'Roc\xEDo', 'Nicol\xE1s', 'Bego\xF1" "a', 'Iker'), ' ',"
                " elt(1 + (seq div 12) % 10, 'Garc\xED" "a', 'Mart\xEDnez', 'L\xF3pez', 'S\xE1nchez', 'P\xE9rez',"
                " 'G\xF3mez', 'Fern\xE1ndez', 'Mu\xF1oz', 'Ib\xE1\xF1" "ez', 'Nu\xF1" "ez'), ' ', seq),"
                " elt(1 + crc32(concat('c', seq)) % 8, 'Madrid', 'Sevilla', 'Le\xF3n', 'M\xE1laga', 'Bilbao', 'C\xE1" "ceres', "
                " 'A Coru\xF1" "a', '\xC1vila'),"
                " if(seq % 9 = 0, null, '2015-01-01' + interval crc32(concat('d', seq)) % 3650 day),"
                " if(seq % 11 = 0, null, sec_to_time(crc32(concat('v', seq)) % 720 * 60)),"
                " crc32(concat('s', seq)) % 2000000 / 100 - 2000,"
                " if(seq % 13 = 0, null, crc32(concat('p', seq)) % 120),"
                " crc32(concat('a', seq)) % 3 <> 0,"
                " if(seq % 5 = 0, null, elt(1 + crc32(concat('n', seq)) % 4, 'Cliente preferente', 'Paga a 30 d\xED" "as', "
                " 'Pide factura en papel', 'Llamar por la ma\xF1" "ana'))"
                " from seq_1_to_" + std::to_string(rows));
}

struct SampleColumn {
    const char* field;
    const char* caption;
    int width;
    VGDataType type;
    TAlignment alignment;
};

const SampleColumn sampleColumns[] = {
    {"code", "C\xF3" "digo", 60, vgString, taLeftJustify},
    {"nombre", "Nombre", 190, vgString, taLeftJustify},
    {"ciudad", "Ciudad", 85, vgString, taLeftJustify},
    {"alta", "Alta", 78, vgDate, taCenter},
    {"visita", "Visita", 48, vgTime, taCenter},
    {"saldo", "Saldo", 90, vgMoney, taRightJustify},
    {"pedidos", "Pedidos", 58, vgInteger, taRightJustify},
    {"activo", "Activo", 48, vgBoolean, taCenter},
    {"notas", "Notas", 160, vgString, taLeftJustify},
};

class TDBDemoForm : public TForm {
public:
    explicit TDBDemoForm(TComponent* AOwner) : TForm(AOwner)
    {
        SetCaption("VarnControls - base de datos");
        SetLeft(60);
        SetTop(40);
        SetClientWidth(860);
        SetClientHeight(520);

        TPanel* top = new TPanel(this);
        top->SetParent(this);
        top->SetAlign(alTop);
        top->SetHeight(34);
        top->SetBevelOuter(bvNone);
        TLabel* searchLabel = new TLabel(this);
        searchLabel->SetParent(top);
        searchLabel->SetBounds(10, 10, 50, 16);
        searchLabel->SetCaption("&Buscar");
        search = new TEdit(this);
        search->SetParent(top);
        search->SetBounds(62, 6, 220, 22);
        search->OnChange = [this](TObject*) { find(false); };
        search->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
            if (key == VK_RETURN) {
                find(true);
                key = 0;
            }
        };
        searchLabel->SetFocusControl(search);
        hint = new TLabel(this);
        hint->SetParent(top);
        hint->SetBounds(296, 10, 560, 16);
        hint->SetCaption("Intro: siguiente coincidencia.  Clic en una cabecera: ordenar (otra vez: al rev\xE9s).");
        hint->Font()->SetColor(clGrayText);

        status = new TLabel(this);
        status->SetParent(this);
        status->SetAlign(alBottom);
        status->SetHeight(20);

        grid = new TDBVarnGrid(this);
        grid->SetName("grid");
        grid->SetParent(this);
        grid->SetAlign(alClient);
        grid->SetEditable(true);
        grid->SetRowHeight(17);
        grid->OnRowEnter = [this](int row) { rowEntered(row); };
        // After the grid has written the cell and read the record back.
        grid->OnCellModified = [this](int row, int col) {
            say("guardado " + grid->GetRowData(row) + " " + grid->Columns()->Items(col)->FieldName() + ": " +
                grid->GetString(row, col));
        };

        // A click on the header orders by the column under it, unless the press
        // started a column resize.
        TVGHead* header = grid->Header();
        TMouseEvent headerDown = header->OnMouseDown;
        header->OnMouseDown = [this, headerDown](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
            resizingColumn = Screen->Cursor() == crSizeWE;
            if (headerDown)
                headerDown(sender, button, shift, x, y);
        };
        TMouseEvent headerUp = header->OnMouseUp;
        header->OnMouseUp = [this, headerUp](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
            if (headerUp)
                headerUp(sender, button, shift, x, y);
            if (button == mbLeft && !resizingColumn)
                orderByColumn(grid->ColForX(x));
        };
    }

    // Columns for the sample table, or one per field of the user's table.
    void setUp(sDB_connection* connection, const Options& options)
    {
        grid->connection = connection;
        TVGColumnCollection* columns = grid->Columns();
        if (options.table.empty()) {
            grid->SQLTableName = sampleTable;
            for (const SampleColumn& column : sampleColumns)
                addColumn(column.field, column.caption, column.width, column.type, column.alignment);
            columns->Items(0)->SetReadOnly(true);
            if (options.group) {
                grid->setSeparatorField("ciudad");
                grid->OnSeparator = [this](void*, AnsiString& text) { text = grid->table.getString("ciudad"); };
                groupOrder = "ciudad";
            }
        } else {
            grid->SQLTableName = options.table;
            sDB_query fields(connection);
            fields.exec("select * from " + options.table + " limit 0");
            for (int i = 0; i < fields.getFieldCount(); ++i) {
                const sDB_FieldInfo& info = fields.getFieldInfo(i);
                int width = info.type == sDB_type_string ? 140 : info.type == sDB_type_date ? 78 : 70;
                bool number = info.type == sDB_type_integer || info.type == sDB_type_floating;
                addColumn(info.name, info.name, width, vgString, number ? taRightJustify : taLeftJustify);
            }
            if (fields.findField("code") < 0)
                std::fprintf(stderr, "varn-dbdemo: %s has no column named code; rows cannot be told apart\n",
                             options.table.c_str());
        }
        grid->SQLWhere = options.where;
        describe = (options.table.empty() ? AnsiString(sampleTable) : options.table) + " en " +
                   (options.ownServer ? AnsiString("un servidor de prueba")
                                      : (options.params.socket.empty() ? options.params.host : options.params.socket)) +
                   " (" + options.params.database + ")";
        refill();
    }

private:
    void addColumn(const AnsiString& field, const AnsiString& caption, int width, VGDataType type,
                   TAlignment alignment)
    {
        TVGColumn* column = grid->Columns()->Add();
        column->SetFieldName(field);
        column->SetCaption(caption);
        column->SetWidth(width);
        column->SetDataType(type);
        column->SetAlignment(alignment);
    }

    void refill()
    {
        AnsiString order = orderField.empty() ? AnsiString() : orderField + (descending ? " desc" : "");
        grid->SQLOrderBy = groupOrder.empty() ? order : groupOrder + (order.empty() ? "" : ", " + order);
        grid->fill();
        showStatus();
    }

    void orderByColumn(int col)
    {
        if (col < 0 || col >= grid->Columns()->Count())
            return;
        AnsiString field = grid->Columns()->Items(col)->FieldName();
        descending = field == orderField && !descending;
        orderField = field;
        refill();
        say("ordenado por " + field + (descending ? " (descendente)" : "") + ": primera fila " +
            (grid->GetRowCount() > 0 ? grid->GetRowData(firstDataRow()) : AnsiString()));
    }

    int firstDataRow() const
    {
        for (int r = 0; r < grid->GetRowCount(); ++r)
            if (!grid->GetIsRowUnicolumn(r))
                return r;
        return 0;
    }

    void find(bool next)
    {
        AnsiString text = search->Text();
        if (text.empty())
            return;
        AnsiString columns;
        for (int i = 0; i < grid->Columns()->Count(); ++i)
            columns += (i ? "," : "") + cnvIntToStr(i);
        // While typing, the search starts again at the current row itself.
        if (!next && grid->GetRowIndex() > 0)
            grid->SetRowIndex(grid->GetRowIndex() - 1);
        bool found = grid->FindColumnText(text, columns);
        say("buscar " + text + ": " + (found ? grid->GetRowData(grid->GetRowIndex()) : AnsiString("(nada)")));
    }

    void rowEntered(int row)
    {
        if (row < 0 || grid->GetIsRowUnicolumn(row))
            return;
        // The record that entering the row has just loaded.
        AnsiString name = grid->table.findField("nombre") >= 0 ? grid->table.getString("nombre") : AnsiString();
        say("fila " + cnvIntToStr(row) + ": " + grid->table.getCode() + (name.empty() ? "" : " " + name));
        showStatus();
    }

    void showStatus()
    {
        int rows = 0;
        for (int r = 0; r < grid->GetRowCount(); ++r)
            rows += !grid->GetIsRowUnicolumn(r);
        AnsiString text = "  " + cnvIntToStr(rows) + " filas de " + describe;
        if (!orderField.empty())
            text += "  \x95  ordenadas por " + orderField + (descending ? " (descendente)" : "");
        if (grid->GetRowIndex() >= 0)
            text += "  \x95  registro " + grid->table.getCode();
        status->SetCaption(text);
    }

    void say(const AnsiString& text)
    {
        std::printf("%s\n", Latin1ToUtf8(text).c_str());
        std::fflush(stdout);
    }

    TDBVarnGrid* grid = nullptr;
    TEdit* search = nullptr;
    TLabel* hint = nullptr;
    TLabel* status = nullptr;
    AnsiString describe;    // table and server, for the status line
    AnsiString orderField;  // empty: the server's order
    AnsiString groupOrder;  // the separator field, ordered first
    bool descending = false;
    bool resizingColumn = false;
};

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options))
        return 2;

    ThrowawayServer server;
    if (options.ownServer) {
        if (const char* socket = std::getenv("VARN_TEST_MYSQL_SOCKET"); socket && *socket) {
            options.params.socket = socket;  // a throwaway server that is already running
        } else {
            if (!server.start()) {
                std::fprintf(stderr, "varn-dbdemo: the throwaway server did not start (is mariadb-server "
                                     "installed? scripts/install-deps installs it)\n");
                return 1;
            }
            options.params.socket = server.socket;
        }
        options.params.password = "pelukarimo";  // the throwaway server's root password
        options.params.host = "localhost";
    }

    sDB_connection connection;
    AnsiString database = options.params.database;
    sDB_connectionParams params = options.params;
    bool createSample = options.table.empty();
    if (createSample)
        params.database = "";  // created first when it is missing
    if (!sDB_openConnection(connection, params)) {
        std::fprintf(stderr, "varn-dbdemo: cannot connect to the server\n");
        return 1;
    }
    if (createSample) {
        execute(connection, "create database if not exists " + database + " character set latin1");
        execute(connection, "use " + database);
        createSampleTable(connection, options.sampleRows);
    }

    int status = 0;
    try {
        if (options.screenshot.empty())
            Application->Initialize();
        TDBDemoForm* form = nullptr;
        Application->CreateForm(form);
        form->setUp(&connection, options);
        bool headless = !options.screenshot.empty() || !varn::installLiveBackend();
        if (headless) {
            AnsiString file = options.screenshot.empty() ? AnsiString("varn-dbdemo.png") : options.screenshot;
            if (options.screenshot.empty())
                std::printf("No display: the window is written to %s instead.\n", file.c_str());
            form->Show();
            Application->ProcessMessages();
            status = varn::SaveWindowToPngFile(form->Handle(), file) ? 0 : 1;
        } else {
            Application->Run();
        }
    } catch (const Exception& E) {
        Application->ShowException(E);
        status = 1;
    }
    sDB_closeConnection(connection);
    return status;
}
