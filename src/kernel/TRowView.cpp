#include "kernel/TRowView.h"

#include "kernel/DbFormat.h"

using namespace DbFormat;

std::string TRowView::Text(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= layout_.Items.size())
        return std::string();
    const TRowLayout::Item& item = layout_.Items[static_cast<size_t>(index)];
    const auto type = static_cast<uint32_t>(item.DataType);
    if (type != kTypeInteger && type != kTypeCharacter && type != kTypeText)
        return std::string();
    return TRowLayout::ReadText(slot_, item, false);
}
