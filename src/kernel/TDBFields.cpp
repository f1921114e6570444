#include "kernel/TDBFields.h"

TDBFields::TDBFields(const TDBFields& other) {
    *this = other;
}

TDBFields::TDBFields(std::vector<TDBFieldParent> fields) : block_(std::move(fields)) {
    fields_.reserve(block_.size());
    for (TDBFieldParent& f : block_) fields_.push_back(&f);
}

TDBFields& TDBFields::operator=(const TDBFields& other) {
    if (this == &other)
        return *this;
    const size_t n = other.fields_.size();
    const size_t from = static_cast<size_t>(other.sharedFrom_);
    const size_t sharedCount = other.shared_ ? other.shared_->size() : 0;
    auto isShared = [&](size_t i) { return i >= from && i < from + sharedCount; };
    std::vector<TDBFieldParent> block;
    block.reserve(n - sharedCount);  // never grows past this: the pointers stay
    for (size_t i = 0; i < n; ++i)
        if (!isShared(i))
            block.push_back(*other.fields_[i]);
    std::vector<TDBFieldParent*> fields;
    fields.reserve(n);
    size_t own = 0;
    for (size_t i = 0; i < n; ++i) fields.push_back(isShared(i) ? other.fields_[i] : &block[own++]);
    block_ = std::move(block);  // a moved vector keeps its elements where they are
    fields_ = std::move(fields);
    added_.clear();
    shared_ = other.shared_;
    sharedFrom_ = other.sharedFrom_;
    ownedShared_.clear();
    slotRead_ = other.slotRead_;
    return *this;
}

TDBFieldParent* TDBFields::GetField(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    if (shared_ && index >= sharedFrom_ &&
        static_cast<size_t>(index - sharedFrom_) < shared_->size())
        OwnSharedFields();
    return fields_[static_cast<size_t>(index)];
}

void TDBFields::AddField(std::unique_ptr<TDBFieldParent> field) {
    if (!field)
        return;
    if (!fields_.empty() && field->TableID != fields_.front()->TableID)
        return;
    fields_.push_back(field.get());
    added_.push_back(std::move(field));
}

void TDBFields::ShareFieldsFrom(int index) {
    OwnSharedFields();
    if (index < 0 || index >= Count())
        return;
    const auto from = static_cast<size_t>(index);
    auto shared = std::make_shared<std::vector<TDBFieldParent>>();
    shared->reserve(fields_.size() - from);
    for (size_t i = from; i < fields_.size(); ++i) shared->push_back(*fields_[i]);
    for (size_t i = from; i < fields_.size(); ++i) fields_[i] = &(*shared)[i - from];
    shared_ = std::move(shared);
    sharedFrom_ = index;
}

void TDBFields::OwnSharedFields() const {
    if (!shared_)
        return;
    std::vector<TDBFieldParent> own(*shared_);
    for (size_t i = 0; i < own.size(); ++i) fields_[static_cast<size_t>(sharedFrom_) + i] = &own[i];
    ownedShared_ = std::move(own);
    shared_.reset();
    sharedFrom_ = 0;
}
