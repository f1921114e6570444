#include "records/TSchemaScript.h"

#include "records/TRecordText.h"
#include "schema/TSQLStatements.h"

std::vector<std::string> TSchemaScript::Split(const std::string& script) {
    std::vector<std::string> statements;
    std::string current;
    auto finish = [&]() {
        if (!TRecordText::Trim(current).empty())
            statements.push_back(current);
        current.clear();
    };
    size_t pos = 0;
    while (pos <= script.size()) {
        size_t eol = script.find('\n', pos);
        if (eol == std::string::npos)
            eol = script.size();
        std::string line = script.substr(pos, eol - pos);
        while (!line.empty() && line.back() == '\r') line.pop_back();
        size_t end = line.size();
        while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
        const bool last = end > 0 && line[end - 1] == ';';
        if (last)
            line.resize(end - 1);
        if (!current.empty())
            current += '\n';
        current += line;
        if (last)
            finish();
        pos = eol + 1;
    }
    finish();
    return statements;
}

int32_t TSchemaScript::Run(const std::string& script, int& carriedOut, int& failedIndex,
                           std::string& error) {
    carriedOut = 0;
    failedIndex = -1;
    error.clear();
    const std::vector<std::string> statements = Split(script);
    for (size_t i = 0; i < statements.size(); ++i) {
        std::unique_ptr<TSQLStatement> st = TSQLStatements::NewStatement(statements[i]);
        if (st->Execute() != 0) {
            failedIndex = static_cast<int>(i);
            error = st->LastError;
            if (error.empty()) {
                error = "not a statement that can be carried out (CREATE TABLE or DROP TABLE)";
            }
            return 999;
        }
        ++carriedOut;
    }
    return 0;
}
