// Cost of TDBVarnGrid::fill against the bare client library, and the memory the
// grid keeps per row.
//
//   bareClientLibrary   mysql_query + mysql_store_result + mysql_fetch_row over the
//                       same table, every field copied into a std::string kept in
//                       one vector (the floor for holding the values at all)
//   gridFill            fill() of a grid with six bound columns (text, text,
//                       integer, double, date, check box) and the key in item data
// Both read 100,000 rows of seven fields; their repetitions are interleaved and the
// ratio of their medians is printed last. Then one fill of 1,000,000 rows of six
// short columns reports the heap the grid keeps per row beyond the bytes of its texts.
//
// It needs a server; the throwaway test server does:
//   scripts/test-mysql run build/bench-mysql build/bench-mysql/mysqld.sock -- build/bench/bench_db_grid_fill
// or point VARN_TEST_MYSQL_SOCKET at a running one (user root, the layer's default password).

#include "bench/MedianReporter.h"
#include "grid/DBVarnGrid.h"
#include "platform/Forms.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <mysql.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int rowCount = 100000;
constexpr int bigRowCount = 1000000;
const char* const benchSchema = "varn_bench_grid";

sDB_connection connection;

bool run(MYSQL* mysql, const std::string& sql)
{
    if (mysql_real_query(mysql, sql.data(), sql.size()) == 0)
        return true;
    std::fprintf(stderr, "%s: %s\n", sql.c_str(), mysql_error(mysql));
    return false;
}

bool makeTable(MYSQL* mysql, const std::string& name, int rows)
{
    return run(mysql, "create table " + name +
                          " (code varchar(12) primary key, nombre varchar(30), ciudad varchar(20), cantidad int, "
                          "precio double, fecha date, activo tinyint)") &&
           run(mysql, "insert into " + name +
                          " select concat('C', seq), concat('Cliente ', seq), elt(1 + seq % 5, 'Madrid', 'Sevilla', "
                          "'Le\xF3n', 'Bilbao', 'Vigo'), seq % 1000, seq * 0.25, "
                          "'2020-01-01' + interval (seq % 2000) day, seq % 2 from seq_1_to_" +
                          std::to_string(rows));
}

bool prepare(const char* socket)
{
    sDB_connectionParams params;
    params.socket = socket;
    params.database = "";
    if (!sDB_openConnection(connection, params))
        return false;
    MYSQL* mysql = connection.mysql;
    return run(mysql, std::string("drop database if exists ") + benchSchema) &&
           run(mysql, std::string("create database ") + benchSchema + " character set latin1") &&
           run(mysql, std::string("use ") + benchSchema) && makeTable(mysql, "rows100k", rowCount);
}

std::unique_ptr<TDBVarnGrid> makeGrid(const char* tableName)
{
    auto grid = std::make_unique<TDBVarnGrid>(nullptr);
    grid->connection = &connection;
    grid->SQLTableName = tableName;
    const char* fields[] = {"nombre", "ciudad", "cantidad", "precio", "fecha", "activo"};
    for (const char* field : fields)
        grid->Columns()->Add()->SetFieldName(field);
    grid->Columns()->Items(5)->SetDataType(vgBoolean);
    return grid;
}

void bareClientLibrary(benchmark::State& state)
{
    MYSQL* mysql = connection.mysql;
    for (auto _ : state) {
        mysql_query(mysql, "select * from rows100k");
        MYSQL_RES* result = mysql_store_result(mysql);
        unsigned fieldCount = mysql_num_fields(result);
        std::vector<std::string> values;
        values.reserve(mysql_num_rows(result) * fieldCount);
        while (MYSQL_ROW row = mysql_fetch_row(result)) {
            unsigned long* lengths = mysql_fetch_lengths(result);
            for (unsigned i = 0; i < fieldCount; ++i)
                values.emplace_back(row[i] ? row[i] : "", row[i] ? lengths[i] : 0);
        }
        mysql_free_result(result);
        benchmark::DoNotOptimize(values.data());
        state.PauseTiming();
        values = {};
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rowCount);
}

// Into a new grid each time; taking the grid down is not timed, as the floor's
// values are not either.
void gridFill(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = makeGrid("rows100k");
        state.ResumeTiming();
        grid->fill();
        state.PauseTiming();
        if (grid->GetRowCount() != rowCount)
            state.SkipWithError("the grid does not hold every row");
        grid.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rowCount);
}

// Heap in use, the large blocks that malloc maps directly included.
size_t heapInUse()
{
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void memoryPerRow()
{
    if (!makeTable(connection.mysql, "rows1m", bigRowCount))
        return;
    auto grid = makeGrid("rows1m");
    malloc_trim(0);
    size_t before = heapInUse();
    grid->fill();
    size_t after = heapInUse();
    size_t textBytes = 0;
    for (int r = 0; r < grid->GetRowCount(); ++r) {
        TVarnGrid_rowInfo* info = grid->GetRowInfo(r);
        textBytes += info->itemDataView(0).size();
        for (int c = 0; c < 6; ++c)
            textBytes += info->cellView(c).size();
    }
    double rows = grid->GetRowCount();
    std::printf("\nfill of %d rows x 6 columns: heap %.1f bytes per row, texts %.1f, beyond the texts %.1f\n",
                grid->GetRowCount(), (after - before) / rows, textBytes / rows,
                (static_cast<double>(after - before) - static_cast<double>(textBytes)) / rows);
}

}  // namespace

int main(int argc, char** argv)
{
    const char* socket = varn::bench::testServerSocket("bench/db_grid_fill.cpp");
    if (!socket || !prepare(socket))
        return 1;
    varn::bench::registerMilliseconds({{"bareClientLibrary", bareClientLibrary}, {"gridFill", gridFill}}, 11);

    varn::bench::MedianReporter reporter;
    varn::bench::runInterleaved(argc, argv, reporter);

    auto [bareReal, bareCpu] = reporter.medians["bareClientLibrary"];
    auto [gridReal, gridCpu] = reporter.medians["gridFill"];
    if (bareReal > 0 && bareCpu > 0)
        std::printf("\nmedian per fill of %d rows, wall clock: bare client library %.2f ms, TDBVarnGrid %.2f ms, "
                    "ratio %.3f\n"
                    "median per fill of %d rows, client CPU: bare client library %.2f ms, TDBVarnGrid %.2f ms, "
                    "ratio %.3f\n",
                    rowCount, bareReal, gridReal, gridReal / bareReal, rowCount, bareCpu, gridCpu, gridCpu / bareCpu);

    if (!std::getenv("VARN_BENCH_SKIP_MEMORY"))
        memoryPerRow();

    run(connection.mysql, std::string("drop database if exists ") + benchSchema);
    sDB_closeConnection(connection);
    return 0;
}
