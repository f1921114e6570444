#include "schema/TSQLStatements.h"

std::unique_ptr<TSQLStatement> TSQLStatements::NewStatement(const std::string& text) {
    return std::make_unique<TSQLStatement>(text);
}
