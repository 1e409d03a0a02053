#include <gtest/gtest.h>
#include <string>
#include "DuiLib/Core/XmlMarkup.h"

using DuiLib::CXmlMarkup;
using DuiLib::CXmlMarkupNode;

namespace {

std::wstring ErrorOf(const std::wstring& text)
{
    CXmlMarkup markup;
    return markup.Load(text.c_str()) ? L"" : markup.GetLastErrorMessage();
}

// "name=value;" for every attribute the index sees, in order.
std::wstring AttributesOf(const wchar_t* text)
{
    CXmlMarkup markup;
    if (!markup.Load(text))
        return L"error: " + markup.GetLastErrorMessage();
    CXmlMarkupNode node = markup.GetRoot();
    std::wstring seen;
    for (int i = 0; i < node.GetAttributeCount(); ++i)
        seen += std::wstring(node.GetAttributeName(i)) + L"=" + node.GetAttributeValue(i) + L";";
    return seen;
}

std::wstring Nested(int depth)
{
    std::wstring text;
    for (int i = 0; i < depth; ++i)
        text += L"<a>";
    for (int i = 0; i < depth; ++i)
        text += L"</a>";
    return text;
}

} // namespace

TEST(XmlMarkup, DeclarationCommentsEntitiesAndTree)
{
    std::string utf8 = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n"
                       "<Window size=\"540,355\">\n"
                       "  <!--HorizontalLayout > <Label text=\"hidden\"/> </HorizontalLayout-->\n"
                       "  <Label name=\"a\" text=\"x &amp; y &lt;&gt; &quot;q&quot; &apos;s&apos; &other;\" />\n"
                       "  <Button name = \"b\"  text=\"\xE5\xAE\x89\xE8\xA3\x85\">content &amp; more</Button>\n"
                       "</Window>";
    CXmlMarkup markup;
    ASSERT_TRUE(markup.LoadFromMem(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size()))
        << std::string(markup.GetLastErrorMessage().begin(), markup.GetLastErrorMessage().end());
    CXmlMarkupNode root = markup.GetRoot();
    EXPECT_STREQ(root.GetName(), L"Window");
    EXPECT_STREQ(root.GetAttributeValue(L"size"), L"540,355");
    CXmlMarkupNode label = root.GetChild();
    EXPECT_STREQ(label.GetName(), L"Label") << "the commented-out block is skipped";
    EXPECT_STREQ(label.GetAttributeValue(L"text"), L"x & y <> \"q\" 's' &other;");
    EXPECT_EQ(label.GetAttributeCount(), 2);
    EXPECT_FALSE(label.HasChildren());
    CXmlMarkupNode button = label.GetSibling();
    EXPECT_STREQ(button.GetName(), L"Button");
    EXPECT_STREQ(button.GetAttributeValue(L"name"), L"b");
    EXPECT_STREQ(button.GetAttributeValue(L"text"), L"安装");
    EXPECT_STREQ(button.GetValue(), L"content & more");
    EXPECT_FALSE(button.GetSibling().IsValid());
    EXPECT_STREQ(button.GetParent().GetName(), L"Window");
    EXPECT_STREQ(button.GetAttributeValue(L"absent"), L"");
    wchar_t buffer[600];
    EXPECT_TRUE(button.GetAttributeValue(L"name", buffer, 600));
    EXPECT_STREQ(buffer, L"b");
}

TEST(XmlMarkup, DocumentsGiveTheirAttributesOrFailWithTheirMessages)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* outcome;
    } cases[] = {
        {L"<Window><Label text='single' /></Window>", L"error: Expected attribute value"},
        {L"<Window><Label text=\"x\"></Button></Window>", L"error: Unmatched closing tag"},
        {L"<Window><Label text=\"x\"></Label</Window>", L"error: Unmatched closing tag"},
        {L"text before <Window/>", L"error: Expected start tag"},
        {L"<Window", L"error: Error parsing element name"},
        {L"<Window size>", L"error: Error while parsing attributes"},
        {L"<Window size=\"12", L"error: Error while parsing attribute string"},
        {L"<Window size=\"1\" ?>", L"error: Error while parsing attributes"},
        {L"<Window><Label></Window>", L"error: Unmatched closing tag"},
        {L"<Window><A><B>text", L"error: Expected end-tag start"},
        {L"<Window =\"x\"/>", L"error: Error while parsing attributes"},
        // Entities shorten a value in place; what follows must still read as
        // the next attributes.
        {L"<Label text=\"a &amp; b\" name=\"lbl\"/>", L"text=a & b;name=lbl;"},
        {L"<Label text=\"&quot;&quot;\" name=\"x\" tip=\"&lt;&gt;\"/>", L"text=\"\";name=x;tip=<>;"},
        {L"<Label a=\"&amp;\"b=\"&apos;\" c=\"\" d=\"&amp;&amp;&amp;\">body</Label>", L"a=&;b=';c=;d=&&&;"},
        {L"<Label text=\"x&gt;\"   \n name=\"n\" >&amp;</Label>", L"text=x>;name=n;"},
        {L"<Label text=\"&unknown; &amp\" name=\"n\"/>", L"text=&unknown; &amp;name=n;"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AttributesOf(c.text), c.outcome) << std::wstring(c.text).size();
    CXmlMarkup markup;
    EXPECT_FALSE(markup.Load(L"<Window><Label text='x'/></Window>"));
    EXPECT_EQ(markup.GetLastErrorLocation(), L"'x'/></Window>");
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_EQ(ErrorOf(L"<Window><Label/>"), L"") << "an unclosed root ends with the text";
}

TEST(XmlMarkup, AttributeIndexStopsAt64AndTableGrows)
{
    std::wstring text = L"<Window";
    for (int i = 1; i <= 65; ++i)
        text += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    text += L"/>";
    CXmlMarkup markup;
    ASSERT_TRUE(markup.Load(text.c_str()));
    CXmlMarkupNode root = markup.GetRoot();
    EXPECT_EQ(root.GetAttributeCount(), 64);
    EXPECT_STREQ(root.GetAttributeValue(L"a64"), L"64");
    EXPECT_STREQ(root.GetAttributeValue(L"a65"), L"") << "the 65th attribute is not seen";

    std::wstring many = L"<Window>";
    for (int i = 0; i < 600; ++i)
        many += L"<C/>";
    many += L"</Window>";
    ASSERT_TRUE(markup.Load(many.c_str()));
    EXPECT_EQ(markup.Capacity(), 500u + 250u + 500u) << "full at 500 records: 500 + 250 + 500";
    int count = 0;
    for (CXmlMarkupNode n = markup.GetRoot().GetChild(); n.IsValid(); n = n.GetSibling())
        ++count;
    EXPECT_EQ(count, 600);
}

TEST(XmlMarkup, NestingDeeperThanTheLimitIsRefused)
{
    CXmlMarkup markup;
    ASSERT_TRUE(markup.Load(Nested(CXmlMarkup::kMaxDepth).c_str()));
    CXmlMarkupNode deepest = markup.GetRoot();
    int depth = 1;
    for (; deepest.HasChildren(); ++depth)
        deepest = deepest.GetChild();
    EXPECT_EQ(depth, CXmlMarkup::kMaxDepth);

    EXPECT_EQ(ErrorOf(Nested(CXmlMarkup::kMaxDepth + 1)), L"Nesting too deep");
    EXPECT_EQ(ErrorOf(Nested(200000)), L"Nesting too deep") << "refused long before the stack runs out";
}
