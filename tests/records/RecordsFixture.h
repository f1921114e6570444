// A fresh database holding the log's tables (data/schema.sql) in a temporary
// directory on /dev/shm: every field write is a flush.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "platform/PlatformTestSupport.h"
#include "platform/TScriptedDialogs.h"
#include "records/TQSOs.h"
#include "records/TSchemaScript.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"
#include "schema/TSQLStatements.h"

inline std::string SchemaScript() {
    return ReadFile(std::string(TRAMB_TEST_DATA) + "/../../data/schema.sql");
}

class RecordsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, db_.StartDatabase(dir_ + "/db_default.sib"));
        int done = 0, failed = -1;
        std::string error;
        ASSERT_EQ(0, TSchemaScript::Run(SchemaScript(), done, failed, error)) << error;
        db_.Tables->Load();
    }
    void TearDown() override { db_.ShutdownDatabase(dir_ + "/db_default.sib"); }
    // Drops a table of the log, as a damaged or half-prepared file would lack it.
    void DropTable(const std::string& name) {
        ASSERT_EQ(0, TSQLStatements::NewStatement("DROP TABLE " + name)->Execute());
        db_.Tables->Load();
    }
    // Live (and deleted) rows of a table, counted over its data pages.
    static int LiveRows(const std::string& table, int32_t* deleted = nullptr) {
        std::vector<std::string> tails;
        int32_t del = 0;
        return DbKernel->RawScanTable(65, DbKernel->GetTableIDFromName(table),
                                      deleted ? *deleted : del, tails, 1);
    }
    static std::vector<TDBFields> RowsOf(const std::string& table, const std::string& key) {
        TDBResultSet rs;
        std::vector<TDBFields> rows;
        if (rs.Open(table, key, key) == 0)
            for (const auto& r : rs.Rows) rows.push_back(*r);
        return rows;
    }
    static void ExpectSound() {
        std::string report;
        EXPECT_EQ(0, DbKernel->CheckDatabase(report, 0)) << report;
    }
    static TQSO* Add(TQSOs& qsos, const std::string& date, const std::string& call) {
        return qsos.AddQSO(date, call, "12:00", "12:05", "14.025", 100, "CW", 599, 579, 0, 1, 2,
                           "05", "U.S.A.", "", "FN42", "", 0, "c1", "", "", "c4");
    }
    // The numbers of a day's contacts, in the order LoadDay lists them.
    static std::vector<int32_t> NumbersOfDay(const std::string& date) {
        TQSOs qsos;
        qsos.LoadDay(date, date);
        std::vector<int32_t> out;
        for (const auto& q : qsos.QSOs) out.push_back(q->QSOID);
        return out;
    }
    // Hands every data page to a table that does not exist: the file is full.
    static void FillFile() {
        const uint32_t owner = 50;
        for (uint32_t p = 0; p < DbFormat::kDataPageCount; ++p)
            std::memcpy(TDbKernel::Base() + DbFormat::kDataRegionBase + p * DbFormat::kDataPageSize,
                        &owner, 4);
    }

    TTempDir tmp_;
    const std::string dir_ = tmp_.Path;
    std::unique_ptr<TScriptedDialogs> dialogs_ = std::make_unique<TScriptedDialogs>();
    TDatabase db_;
};
