#include "tests/support/RecordText.h"

namespace qz::test {

std::string JoinFields(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        line += fields[i];
    }
    return line;
}

std::string RecordLine(const RecordValues& f, std::string_view eol) {
    return JoinFields(
               {f.date, f.cable, f.settingFile, f.customer, f.machineId, f.count, f.result}) +
           std::string(eol);
}

std::string RecordLine(std::string_view date, std::string_view settingFile,
                       std::string_view customer, std::string_view machineId,
                       std::string_view result, std::string_view eol) {
    RecordValues fields;
    fields.date = date;
    fields.settingFile = settingFile;
    fields.customer = customer;
    fields.machineId = machineId;
    fields.result = result;
    return RecordLine(fields, eol);
}

RecordFileText::RecordFileText(std::string_view eol) : m_eol(eol) {
    AddText(kRecordHeader);
}

RecordFileText RecordFileText::NoHeader(std::string_view eol) {
    return RecordFileText(Bare{}, eol);
}

RecordFileText& RecordFileText::Eol(std::string_view eol) {
    m_eol = eol;
    return *this;
}

RecordFileText& RecordFileText::Add(const RecordValues& fields, std::size_t copies) {
    const std::string line = RecordLine(fields, m_eol);
    for (std::size_t i = 0; i < copies; ++i) {
        m_bytes += line;
    }
    return *this;
}

RecordFileText& RecordFileText::AddText(std::string_view line) {
    m_bytes += line;
    m_bytes += m_eol;
    return *this;
}

RecordFileText& RecordFileText::Append(std::string_view text) {
    m_bytes += text;
    return *this;
}

}  // namespace qz::test
