// A fresh log for the ADIF tests, and the stored contacts as text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "adif/TAdifImporter.h"
#include "adif/TAdifLog.h"
#include "records/RecordsFixture.h"

class AdifTest : public RecordsFixture {
protected:
    // Imports the text as a file; the summary.
    TAdifImportSummary Import(const std::string& text, const std::string& name = "in.adi") {
        WriteFile(dir_ + "/" + name, text);
        TAdifImporter importer;
        importer.CountryOf = [](const std::string& call, std::string& country) {
            country = "LAND OF " + call.substr(0, 1);
            return true;
        };
        TAdifImportSummary summary;
        EXPECT_EQ(TAdifImporter::kOK, importer.Import(dir_ + "/" + name, summary))
            << importer.Error;
        return summary;
    }
    // Every stored contact with its text, "; " between them, oldest first
    // (date, start, number).
    static std::string Contacts() {
        std::vector<TQSO> all;
        EXPECT_TRUE(TAdifLog::StoredContacts(all));
        auto key = [](const TQSO& q) {
            const std::string& d = q.QSODate;
            return std::make_tuple(d.substr(6) + d.substr(0, 2) + d.substr(3, 2), q.StartTime,
                                   q.QSOID);
        };
        std::sort(all.begin(), all.end(),
                  [&](const TQSO& a, const TQSO& b) { return key(a) < key(b); });
        std::string out;
        for (const TQSO& q : all) {
            out += out.empty() ? "" : "; ";
            for (const std::string& v : {q.QSODate,
                                         q.Call,
                                         q.StartTime,
                                         q.EndTime,
                                         q.Frequency,
                                         std::to_string(q.Power),
                                         q.Mode,
                                         std::to_string(q.SentRST),
                                         std::to_string(q.RcvdRST),
                                         std::to_string(q.RcvdQSL),
                                         std::to_string(q.SentQSL),
                                         std::to_string(q.LogID),
                                         q.Zone,
                                         q.Country,
                                         q.County,
                                         q.Grid,
                                         q.QSLManager,
                                         std::to_string(q.ColLayoutType),
                                         q.Contest1,
                                         q.Contest2,
                                         q.Contest3,
                                         q.Contest4,
                                         TAdifLog::StoredText(q.QSOID)})
                out += v + "|";
        }
        return out;
    }
    // Empties the log's contact tables between the cases of a table.
    static void EmptyLog() {
        for (const char* t : {"QSOLOG", "QSO_DATE_INDEX", "QSO_TEXT"})
            ASSERT_EQ(0, DbKernel->TruncateTable(t));
    }
};
