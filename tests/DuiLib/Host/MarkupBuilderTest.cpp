#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <string>
#include "DuiLib/Host/MarkupBuilder.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Layout/VerticalLayoutUI.h"
#include "support/TempFolder.h"

using namespace DuiLib;

namespace {

// Skin files read as plain files from a temporary folder for one test; the
// program's skin archive is back in place afterwards for the other tests.
class PlainSkinFiles {
public:
    PlainSkinFiles() : m_oldPath(CSkinResources::GetResourcePath())
    {
        CSkinResources::SetResourcePath(m_folder.Path());
        CSkinResources::SetArchiveFile(L"", false);
    }
    ~PlainSkinFiles()
    {
        CSkinResources::SetResourcePath(m_oldPath);
        CSkinResources::SetInstance(GetModuleHandleW(nullptr));
        CSkinResources::LoadZipResource(150, L"");
    }
    void Write(const wchar_t* name, const std::string& text) const
    {
        FILE* file = _wfopen(m_folder.File(name).c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }

private:
    TempFolder m_folder;
    std::wstring m_oldPath;
};

} // namespace

TEST(MarkupBuilder, IncludeCyclesAreRefusedAndLeaveNothingBehind)
{
    PlainSkinFiles files;
    files.Write(L"Leaf.xml", "<Window><Button name=\"leaf\"/></Window>");
    files.Write(L"Twice.xml", "<Window><VerticalLayout><Include source=\"Leaf.xml\" count=\"2\"/>"
                              "<Include source=\"leaf.xml\"/></VerticalLayout></Window>");
    files.Write(L"Self.xml", "<Window><VerticalLayout><Include source=\"SELF.xml\"/></VerticalLayout></Window>");
    files.Write(L"A.xml", "<Window><Button name=\"a\"/><VerticalLayout><Include source=\"B.xml\"/></VerticalLayout></Window>");
    files.Write(L"B.xml", "<Window><HorizontalLayout><Include source=\"Leaf.xml\"/>"
                          "<Include source=\"a.xml\"/></HorizontalLayout></Window>");

    CMarkupBuilder twice;
    std::unique_ptr<CControlUI> root(twice.Create(L"Twice.xml"));
    ASSERT_NE(root, nullptr) << "one file included side by side is no cycle";
    EXPECT_EQ(static_cast<CContainerUI*>(root->GetInterface(L"Container"))->GetCount(), 3);

    CMarkupBuilder self;
    EXPECT_EQ(self.Create(L"Self.xml"), nullptr);
    EXPECT_EQ(self.GetLastErrorMessage(), L"Include cycle: Self.xml includes SELF.xml");

    CMarkupBuilder indirect;
    EXPECT_EQ(indirect.Create(L"A.xml"), nullptr);
    EXPECT_EQ(indirect.GetLastErrorMessage(), L"Include cycle: B.xml includes a.xml");

    CVerticalLayoutUI parent;
    CMarkupBuilder intoParent;
    EXPECT_EQ(intoParent.Create(L"A.xml", nullptr, nullptr, nullptr, &parent), nullptr);
    EXPECT_EQ(parent.GetCount(), 0) << "what the failed build had added is taken out again";
}
