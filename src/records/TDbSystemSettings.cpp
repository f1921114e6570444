#include "records/TDbSystemSettings.h"

#include "kernel/TProfiler.h"
#include "records/TRecordText.h"
#include "schema/TDBResultSet.h"

TDbSystemSettings::TDbSystemSettings() = default;
TDbSystemSettings::~TDbSystemSettings() = default;

void TDbSystemSettings::Load(const std::string& nameFrom, const std::string& nameTo) {
    Settings.clear();
    Current = nullptr;
    if (Profiler) {
        Profiler->Start("QSOs load");
        Profiler->Stop();
    }
    TDBResultSet rs;
    if (rs.Open(kTable, nameFrom, nameTo) >= 999)
        return;
    for (const TDBFieldsPtr& row : rs.Rows) {
        auto s = std::make_unique<TDBSystemSetting>();
        if (const TDBFieldParent* f = row->GetField(0))
            s->Name = f->Value;
        if (const TDBFieldParent* f = row->GetField(1))
            s->Value = f->Value;
        Current = s.get();
        Settings.push_back(std::move(s));
    }
}

TDBSystemSetting* TDbSystemSettings::Save(const std::string& name, const std::string& value) {
    // A blank name hashes to no key at all: the row could never be read back.
    if (TRecordText::Trim(name).empty())
        return nullptr;
    ResultSet = std::make_unique<TDBResultSet>();
    TDBResultSet& rs = *ResultSet;
    if (rs.Open(kTable, "", "") >= 999)
        return nullptr;
    if (rs.AppendRow() >= 999 || !rs.CurrentFields)
        return nullptr;
    TDBFields& f = *rs.CurrentFields;
    if (TDBFieldParent* n = f.GetField(0))
        n->Value = name;
    if (TDBFieldParent* v = f.GetField(1))
        v->Value = value;
    rs.Post();
    auto s = std::make_unique<TDBSystemSetting>();
    s->Name = name;
    s->Value = value;
    Current = s.get();
    Settings.push_back(std::move(s));
    return Current;
}
