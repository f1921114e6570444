#include "adif/TAdifWriter.h"

#include "adif/TAdifText.h"

std::string TAdifWriter::Field(const std::string& name, const std::string& latin1Value) {
    const std::string data = TAdifText::ToUtf8(latin1Value);
    return "<" + name + ":" + std::to_string(data.size()) + ">" + data;
}

std::string TAdifWriter::Header(const std::string& timestamp) {
    return std::string("Tramb ADIF export\r\n") + Field("ADIF_VER", kAdifVersion) + " " +
           Field("PROGRAMID", kProgramID) + " " + Field("PROGRAMVERSION", kProgramVersion) + " " +
           Field("CREATED_TIMESTAMP", timestamp) + " <EOH>\r\n";
}

std::string TAdifWriter::Record(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string line;
    for (const auto& [name, value] : fields) {
        line += Field(name, value);
        line += ' ';
    }
    line += "<EOR>\r\n";
    return line;
}
