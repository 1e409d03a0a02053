#include <gtest/gtest.h>
#include "Runtime/ProtoValue.h"

namespace {

template <class F>
ProtoValueException Raised(F&& operation)
{
    try {
        operation();
    } catch (const ProtoValueException& e) {
        return e;
    }
    return ProtoValueException(0, L"nothing raised");
}

} // namespace

TEST(ProtoValue, NestedRecordsInOneExpression)
{
    ProtoValue record;
    record[L"process"][L"total"] = ProtoValue(int64_t{100});
    record[L"process"][L"complete"] = ProtoValue(int64_t{40});
    record[L"http"][L"code"] = ProtoValue(int64_t{404});
    record[L"name"] = ProtoValue(L"tvinstaller.exe");
    EXPECT_EQ(record.type(), ProtoValue::Map);
    EXPECT_EQ(record.size(), 3u);
    EXPECT_EQ(record[L"process"][L"total"].integer(), 100);
    EXPECT_EQ(record[L"process"][L"complete"].integer(), 40);
    EXPECT_EQ(record[L"name"].string(), L"tvinstaller.exe");
    EXPECT_TRUE(record.has(L"http"));
    EXPECT_FALSE(record.has(L"curl"));
    EXPECT_EQ(record[L"curl"][L"code"].integer(), 0) << "a missing entry reads as null";
    EXPECT_TRUE(record.has(L"curl")) << "and was created by the access";

    ProtoValue list;
    list[0] = ProtoValue(int64_t{1});
    ProtoValue& first = list[0];
    for (int i = 1; i < 100; ++i)
        list[i] = ProtoValue(int64_t{i + 1});
    EXPECT_EQ(first.integer(), 1) << "appends keep earlier element references";
    EXPECT_EQ(list.size(), 100u);
    EXPECT_EQ(list[99].integer(), 100);
}

TEST(ProtoValue, CopiesAreDeepAndIndependent)
{
    ProtoValue source;
    source[L"a"][L"b"] = ProtoValue(L"text");
    source[L"list"][0] = ProtoValue(int64_t{5});
    ProtoValue copy(source);
    ProtoValue assigned;
    assigned = source;
    source[L"a"][L"b"] = ProtoValue(L"changed");
    source[L"list"][0] = ProtoValue(int64_t{6});
    source[L"extra"] = ProtoValue(int64_t{1});
    for (ProtoValue* v : {&copy, &assigned}) {
        EXPECT_EQ((*v)[L"a"][L"b"].string(), L"text");
        EXPECT_EQ((*v)[L"list"][0].integer(), 5);
        EXPECT_FALSE(v->has(L"extra"));
    }

    ProtoValue& self = source;
    source = self;
    EXPECT_EQ(source[L"a"][L"b"].string(), L"changed") << "self-assignment keeps the map";
    EXPECT_EQ(source.size(), 3u);

    std::wstring withZero(L"ab");
    withZero.push_back(L'\0');
    withZero += L"cd";
    ProtoValue holder(L"");
    const_cast<std::wstring&>(holder.string()) = withZero;
    ProtoValue cut(holder);
    EXPECT_EQ(cut.string(), L"ab") << "strings copy up to their first zero";

    ProtoValue real(ProtoValue::Real);
    ProtoValue realCopy = real;
    EXPECT_EQ(realCopy.type(), ProtoValue::Real);
    source.clear();
    EXPECT_EQ(source.type(), ProtoValue::Null);
}

TEST(ProtoValue, MisuseRaisesFixedCodesAndMessages)
{
    ProtoValue null;
    EXPECT_EQ(null.integer(), 0);
    EXPECT_EQ(null.string(), L"");
    EXPECT_EQ(null.type(), ProtoValue::Null) << "reading a null does not change it";

    ProtoValue number(int64_t{7});
    ProtoValueException e = Raised([&] { number[L"a"]; });
    EXPECT_EQ(e.Code(), 2);
    EXPECT_EQ(e.Message(), L"ProtoValue operator[string] wrong type");
    EXPECT_EQ(number.integer(), 7) << "the value on which it was raised is unchanged";

    ProtoValue wide(L"w");
    e = Raised([&] { wide.integer(); });
    EXPECT_EQ(e.Code(), 3);
    EXPECT_EQ(e.Message(), L"ProtoValue::integer wrong type");
    e = Raised([&] { number.string(); });
    EXPECT_EQ(e.Code(), 3);
    EXPECT_EQ(e.Message(), L"ProtoValue::string wrong type");
    e = Raised([&] { ProtoValue(ProtoValue::NarrowString).string(); });
    EXPECT_EQ(e.Code(), 3);

    ProtoValue list(ProtoValue::List);
    EXPECT_FALSE(list.has(L"a"));
    list[0];
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].type(), ProtoValue::Null);
    e = Raised([&] { list[2]; });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.Message(), L"ProtoValue operator[int] out of range");
    EXPECT_EQ(list.size(), 1u);
    e = Raised([&] { number[0]; });
    EXPECT_EQ(e.Code(), 1);
    ProtoValue map(ProtoValue::Map);
    e = Raised([&] { map[0]; });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(map.type(), ProtoValue::Map);
}
