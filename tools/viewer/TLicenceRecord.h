// One holder of the licence list EN0103.DAT: an "EN" (entity) record of the
// public amateur licence database, pipe-separated, one record a line:
//   EN|identifier|file number|EBF number|call sign|entity type|licensee id|
//   entity name|first name|MI|last name|suffix|phone|fax|e-mail|street|city|
//   state|ZIP|PO box|attention|SGIN|FRN|applicant type|…|status code|…
#pragma once

#include <array>
#include <string>
#include <vector>

class TLicenceRecord {
  public:
    std::string Identifier, CallSign, EntityType, EntityName, FirstName, MiddleInitial, LastName,
        Suffix, Email, Street, City, State, Zip, POBox, FRN;

    // false when the line is not an EN record with a call sign.
    static bool Parse(const std::string& line, TLicenceRecord& record);
    // The first EN record of the file whose call sign equals call (letter
    // case ignored); false when there is none or the file cannot be read.
    static bool FindInFile(const std::string& fileName, const std::string& call,
                           TLicenceRecord& record);

    // The viewer's results file, lines 1 to 14 (end marker on 13).
    std::array<std::string, 14> ResultLines() const;
    static std::array<std::string, 14> NotFoundLines(const std::string& call);
};
