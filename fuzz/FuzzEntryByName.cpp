#include "FuzzTargets.h"

TFuzzEntry FuzzEntryByName(const std::string& name) {
    if (name == "db_image")
        return &FuzzDbImage;
    if (name == "sql")
        return &FuzzSql;
    if (name == "holder_import")
        return &FuzzHolderImport;
    if (name == "viewer_results")
        return &FuzzViewerResults;
    if (name == "country_chars")
        return &FuzzCountryChars;
    return nullptr;
}
