// Cost of reading a query through sDB_query against the bare client library.
//
// Both benchmarks run the same 100,000-row, 6-column query: the bare one with
// mysql_query, mysql_store_result and mysql_fetch_row, reading every column with
// atoi/atof; the layer one with exec, walking with next() and reading every
// column through the typed getters. Their repetitions are interleaved so that
// both see the same machine load; the ratio of their medians is printed last,
// for wall-clock time (server included) and for the client's CPU time.
//
// It needs a server; the throwaway test server does:
//   scripts/test-mysql run build/bench-mysql build/bench-mysql/mysqld.sock -- build/bench/bench_db_fetch
// or point VARN_TEST_MYSQL_SOCKET at a running one (user root, the layer's default password).

#include "bench/MedianReporter.h"
#include "db/sDBQuery.h"
#include "platform/Forms.h"

#include <benchmark/benchmark.h>
#include <mysql.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int rowCount = 100000;
const char* const benchSchema = "varn_bench";
const char* const benchQuery = "select i, s, d, f, r, b from bench_rows";

sDB_connection connection;

bool run(MYSQL* mysql, const std::string& sql)
{
    if (mysql_real_query(mysql, sql.data(), sql.size()) == 0)
        return true;
    std::fprintf(stderr, "%s: %s\n", sql.c_str(), mysql_error(mysql));
    return false;
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
           run(mysql, std::string("use ") + benchSchema) &&
           run(mysql, "create table bench_rows (i int primary key, s smallint, d decimal(10,2), "
                      "f float, r double, b bigint)") &&
           run(mysql, "insert into bench_rows select seq, seq % 30000, seq / 7, seq / 3, seq * 1.25, "
                      "seq * 1000 from seq_1_to_" + std::to_string(rowCount));
}

void bareClientLibrary(benchmark::State& state)
{
    MYSQL* mysql = connection.mysql;
    for (auto _ : state) {
        mysql_query(mysql, benchQuery);
        MYSQL_RES* result = mysql_store_result(mysql);
        double sum = 0;
        while (MYSQL_ROW row = mysql_fetch_row(result))
            sum += std::atoi(row[0]) + std::atoi(row[1]) + std::atoi(row[2]) + std::atof(row[3]) +
                   std::atof(row[4]) + std::atoi(row[5]);
        mysql_free_result(result);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * rowCount);
}

void layerQuery(benchmark::State& state)
{
    sDB_query query(&connection);
    for (auto _ : state) {
        query.exec(benchQuery);
        double sum = 0;
        for (; !query.eof(); query.next())
            sum += query.getInteger(0) + query.getInteger(1) + query.getInteger(2) + query.getDouble(3) +
                   query.getDouble(4) + query.getInteger(5);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * rowCount);
}

}  // namespace

int main(int argc, char** argv)
{
    const char* socket = varn::bench::testServerSocket("bench/db_fetch.cpp");
    if (!socket || !prepare(socket))
        return 1;
    varn::bench::registerMilliseconds({{"bareClientLibrary", bareClientLibrary}, {"layerQuery", layerQuery}}, 15);

    varn::bench::MedianReporter reporter;
    varn::bench::runInterleaved(argc, argv, reporter);

    auto [bareReal, bareCpu] = reporter.medians["bareClientLibrary"];
    auto [layerReal, layerCpu] = reporter.medians["layerQuery"];
    if (bareReal > 0 && bareCpu > 0)
        std::printf("\nmedian per query, wall clock: bare client library %.2f ms, sDB_query %.2f ms, ratio %.3f\n"
                    "median per query, client CPU: bare client library %.2f ms, sDB_query %.2f ms, ratio %.3f\n",
                    bareReal, layerReal, layerReal / bareReal, bareCpu, layerCpu, layerCpu / bareCpu);

    run(connection.mysql, std::string("drop database if exists ") + benchSchema);
    sDB_closeConnection(connection);
    return 0;
}
