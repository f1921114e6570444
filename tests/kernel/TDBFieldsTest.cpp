// Field lists: copies, and copies that share the fields after an index.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "kernel/TDBFields.h"

namespace {
TDBFields List(int n, int32_t tableID = 5) {
    TDBFields fields;
    for (int i = 0; i < n; ++i) {
        auto f = std::make_unique<TDBFieldParent>();
        f->Position = i;
        f->Name = "UNALLOCATED COLUMN " + std::to_string(i);
        f->TableID = tableID;
        f->Value = "v" + std::to_string(i);
        fields.AddField(std::move(f));
    }
    return fields;
}

std::string Values(const TDBFields& fields) {
    std::string text;
    for (int i = 0; i < fields.Count(); ++i) text += fields.GetField(i)->Value + ",";
    return text;
}
}  // namespace

TEST(TDBFieldsTest, AddGetAndDeepCopy) {
    TDBFields fields = List(3);
    EXPECT_EQ(fields.GetField(3), nullptr);
    EXPECT_EQ(fields.GetField(-1), nullptr);
    auto other = std::make_unique<TDBFieldParent>();
    other->TableID = 6;
    fields.AddField(std::move(other));
    EXPECT_EQ(fields.Count(), 3);
    TDBFields copy(fields);
    copy.GetField(1)->Value = "changed";
    EXPECT_EQ(Values(fields), "v0,v1,v2,");
    EXPECT_EQ(Values(copy), "v0,changed,v2,");
    copy = copy;  // NOLINT: self-assignment keeps the list
    EXPECT_EQ(Values(copy), "v0,changed,v2,");
    copy = fields;
    EXPECT_EQ(Values(copy), "v0,v1,v2,");
}

TEST(TDBFieldsTest, SharedFieldsBehaveAsOwnCopies) {
    TDBFields proto = List(65);
    TDBFieldParent* head = proto.GetField(2);
    proto.ShareFieldsFrom(24);
    EXPECT_EQ(proto.GetField(2), head);  // fields before the index stay where they are
    TDBFields a(proto);
    TDBFields b(proto);
    TDBFields c(a);  // a copy of a copy shares as well
    a.GetField(1)->Value = "a1";
    TDBFieldParent* a30 = a.GetField(30);
    a30->Value = "a30";
    EXPECT_EQ(a.GetField(30), a30);  // the list's own copy, handed out again
    b.GetField(64)->Value = "b64";
    EXPECT_EQ(a.GetField(30)->Value, "a30");
    EXPECT_EQ(a.GetField(64)->Value, "v64");
    EXPECT_EQ(b.GetField(30)->Value, "v30");
    EXPECT_EQ(c.GetField(30)->Value, "v30");
    EXPECT_EQ(proto.GetField(64)->Value, "v64");
    EXPECT_EQ(c.GetField(64)->Name, "UNALLOCATED COLUMN 64");
    EXPECT_EQ(Values(proto), Values(List(65)));

    // A field added to a list that shares others is its own.
    TDBFields d(proto);
    auto extra = std::make_unique<TDBFieldParent>();
    extra->TableID = 5;
    extra->Value = "extra";
    d.AddField(std::move(extra));
    ASSERT_EQ(d.Count(), 66);
    TDBFields e(d);
    e.GetField(65)->Value = "e";
    EXPECT_EQ(d.GetField(65)->Value, "extra");
    EXPECT_EQ(e.GetField(40)->Value, "v40");

    // Out of range: nothing is shared.
    TDBFields f = List(3);
    f.ShareFieldsFrom(3);
    f.ShareFieldsFrom(-1);
    TDBFields g(f);
    g.GetField(2)->Value = "g";
    EXPECT_EQ(f.GetField(2)->Value, "v2");
}
