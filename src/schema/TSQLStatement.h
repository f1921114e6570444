// One SQL data-definition statement (CREATE TABLE, DROP TABLE), parsed by
// string scanning and carried out at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TDBResultSet;

class TSQLStatement {
public:
    explicit TSQLStatement(const std::string& text);
    ~TSQLStatement();

    uint8_t Category = 0;  // 0 data definition; 1 a family for which nothing is carried out
    std::string Text;
    int32_t Unused1 = 0;
    int32_t Unused2 = 0;
    std::unique_ptr<TDBResultSet> ResultSet;
    // The message of the exception that ended ProcessDDL, kept although
    // ProcessDDL swallows it; empty when the statement was carried out.
    std::string LastError;

    // 0 when the statement was carried out, 999 otherwise.
    int32_t Execute();
    // 0 with kind 0..3, or 999 when Text is empty or names no statement.
    int32_t GetStatementKind(int32_t& kind);
    // Carries out kinds 0 and 1; swallows every exception (kept in LastError).
    // Answers 0 when carried out, 999 when it failed.
    int32_t ProcessDDL(int32_t kind);

private:
    void CreateTable();
    void DropTable();
};
