#include "kernel/TDBFields.h"

TDBFields::TDBFields(const TDBFields& other) { *this = other; }

TDBFields& TDBFields::operator=(const TDBFields& other) {
    if (this == &other) return *this;
    fields_.clear();
    fields_.reserve(other.fields_.size());
    for (const auto& f : other.fields_) fields_.push_back(std::make_unique<TDBFieldParent>(*f));
    return *this;
}

TDBFieldParent* TDBFields::GetField(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return fields_[static_cast<size_t>(index)].get();
}

void TDBFields::AddField(std::unique_ptr<TDBFieldParent> field) {
    if (!field) return;
    if (!fields_.empty() && field->TableID != fields_.front()->TableID) return;
    fields_.push_back(std::move(field));
}
