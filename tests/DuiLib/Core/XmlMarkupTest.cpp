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

TEST(XmlMarkup, MalformedDocumentsFailWithTheirMessages)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* message;
    } cases[] = {
        {L"<Window><Label text='single' /></Window>", L"Expected attribute value"},
        {L"<Window><Label text=\"x\"></Button></Window>", L"Unmatched closing tag"},
        {L"<Window><Label text=\"x\"></Label</Window>", L"Unmatched closing tag"},
        {L"text before <Window/>", L"Expected start tag"},
        {L"<Window", L"Error parsing element name"},
        {L"<Window size>", L"Error while parsing attributes"},
        {L"<Window size=\"12", L"Error while parsing attribute string"},
        {L"<Window size=\"1\" ?>", L"Error while parsing attributes"},
        {L"<Window><Label></Window>", L"Unmatched closing tag"},
        {L"<Window><A><B>text", L"Expected end-tag start"},
        {L"<Window =\"x\"/>", L"Error while parsing attributes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOf(c.text), c.message) << std::wstring(c.text).size();
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
