// Field lists: copies, and copies that share the fields after an index,
// behave as deep copies.
#include "KernelTestSupport.h"

namespace {
std::unique_ptr<TDBFieldParent> Field(int32_t tableID, const std::string& value) {
    auto f = std::make_unique<TDBFieldParent>();
    f->TableID = tableID;
    f->Value = value;
    return f;
}
TDBFields List(int n) {
    TDBFields fields;
    for (int i = 0; i < n; ++i) fields.AddField(Field(5, "v" + std::to_string(i)));
    return fields;
}
std::string At(const TDBFields& fields, std::vector<int> at) {
    std::string text;
    for (int i : at) text += fields.GetField(i) ? fields.GetField(i)->Value + "," : "null,";
    return text;
}
}  // namespace

TEST(TDBFieldsTest, CopiesAndSharedCopiesBehaveAsDeepCopies) {
    TDBFields proto = List(65);
    proto.AddField(Field(6, "other"));  // another table's field is not added
    TDBFieldParent* head = proto.GetField(2);
    TDBFields deep(proto);
    proto.ShareFieldsFrom(24);
    EXPECT_EQ(proto.GetField(2), head);  // fields before the index stay where they are
    TDBFields a(proto), b(proto);
    TDBFields c(a);  // a copy of a copy shares as well
    TDBFieldParent* a30 = a.GetField(30);
    a30->Value = "a30";
    EXPECT_EQ(a.GetField(30), a30);  // the list's own copy, handed out again
    b.GetField(64)->Value = "b64";
    deep.GetField(1)->Value = "d1";
    c = c;  // NOLINT: self-assignment keeps the list
    EXPECT_EQ(At(a, {30, 64}) + At(b, {30, 64}) + At(c, {30, 64}) + At(proto, {1, 30, 64, 65, -1}),
              "a30,v64,v30,b64,v30,v64,v1,v30,v64,null,null,");
    // A field added to a list that shares others is its own; out of range nothing is shared.
    b.AddField(Field(5, "extra"));
    TDBFields e(b);
    e.GetField(65)->Value = "e";
    TDBFields f = List(3);
    f.ShareFieldsFrom(3);
    f.ShareFieldsFrom(-1);
    TDBFields g(f);
    g.GetField(2)->Value = "g";
    a = f;
    EXPECT_EQ(At(b, {65, 40}) + At(f, {2}) + At(a, {2}) + At(deep, {1}), "extra,v40,v2,v2,d1,");
}
