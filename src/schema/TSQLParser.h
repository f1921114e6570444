// Holds no state; only the owner passed to new statements.
#pragma once

class TSQLParser {};
