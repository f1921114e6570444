// The entry functions of the fuzz targets. Each takes one input of any bytes,
// runs it through the part of the system it names and answers 0; a crash,
// hang, leak or sanitizer report is the only failure. The libFuzzer programs
// (fuzz/CMakeLists.txt, clang, FuzzMain.cpp) and the replay test (tests/fuzz,
// g++) call the same functions.
//
//   db_image        patches over a log database, then open, export,
//                   reads by key, writes, deletes, check, close
//   sql             up to four SQL statements (split at NUL bytes) on a log
//                   database, then the check and a row written to every table
//   holder_import   a holder-list import file into HAMCLS
//   viewer_results  the call-sign viewer's results file
//   country_chars   the country lookup of a call sign
//   wsjtx_datagram  one datagram of the WSJT-X network protocol
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

int FuzzDbImage(const uint8_t* data, size_t size);
int FuzzSql(const uint8_t* data, size_t size);
int FuzzHolderImport(const uint8_t* data, size_t size);
int FuzzViewerResults(const uint8_t* data, size_t size);
int FuzzCountryChars(const uint8_t* data, size_t size);
int FuzzWsjtxDatagram(const uint8_t* data, size_t size);

using TFuzzEntry = int (*)(const uint8_t*, size_t);
inline const std::map<std::string, TFuzzEntry> kFuzzTargets = {
    {"db_image", &FuzzDbImage},           {"sql", &FuzzSql},
    {"holder_import", &FuzzHolderImport}, {"viewer_results", &FuzzViewerResults},
    {"country_chars", &FuzzCountryChars}, {"wsjtx_datagram", &FuzzWsjtxDatagram}};
