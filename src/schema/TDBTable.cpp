#include "schema/TDBTable.h"

TDBTable::TDBTable() : Rows(std::make_unique<TDBRows>()) {}
