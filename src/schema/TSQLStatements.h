// Factory of statements.
#pragma once

#include <memory>
#include <string>

#include "schema/TSQLStatement.h"

class TSQLStatements {
public:
    static std::unique_ptr<TSQLStatement> NewStatement(const std::string& text);
};
