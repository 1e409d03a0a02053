// Feeds thousands of mutated markup documents and ZIP archives (fixed
// seeds, so every run is the same) through the parser, the builder, layout
// and the archive reader: each either works or fails with one of the
// toolkit's messages, and nothing crashes or reads out of bounds.
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <set>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Host/MarkupBuilder.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Host/WindowManagerUI.h"
#include "DuiLib/Core/ZipArchive.h"
#include "Runtime/StringConvert.h"
#include "support/ZipWriter.h"

using namespace DuiLib;

namespace {

const std::set<std::wstring> kMarkupErrors = {
    L"Expected start tag",          L"Error parsing element name",          L"Error while parsing attributes",
    L"Expected attribute value",    L"Error while parsing attribute string", L"Expected start-tag closing",
    L"Expected end-tag start",      L"Unmatched closing tag",
};
const std::set<std::wstring> kArchiveErrors = {L"Could not find ziped file", L"File is empty", L"File too large",
                                               L"Could not unzip file"};

std::string SkinFile(const wchar_t* name)
{
    CSkinResources::SetInstance(GetModuleHandleW(nullptr));
    CSkinResources::LoadZipResource(150, L"");
    std::vector<uint8_t> bytes;
    std::wstring error;
    CSkinResources::ReadFile(name, bytes, error);
    return std::string(bytes.begin(), bytes.end());
}

std::string Mutate(std::string text, std::mt19937& rng)
{
    static const char pieces[] = "<>/\"='&!?- \n";
    int edits = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < edits && !text.empty(); ++i) {
        size_t at = rng() % text.size();
        switch (rng() % 5) {
        case 0: text[at] = pieces[rng() % (sizeof(pieces) - 1)]; break;
        case 1: text.insert(at, 1, pieces[rng() % (sizeof(pieces) - 1)]); break;
        case 2: text.erase(at, 1 + rng() % 20); break;
        case 3: text.resize(at); break;
        default: text[at] = static_cast<char>(rng()); break;
        }
    }
    return text;
}

} // namespace

TEST(MarkupFuzz, MutatedMarkupParsesOrFailsWithAKnownMessage)
{
    std::vector<std::string> seeds = {SkinFile(L"InstallPackages.xml"), SkinFile(L"MessageBox.xml"),
                                      "<Window><VerticalLayout><Label text=\"a&amp;b\"/></VerticalLayout></Window>"};
    ASSERT_GT(seeds[0].size(), 1000u);
    std::mt19937 rng(20261208);
    int parsed = 0, failed = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string mutated = Mutate(seeds[static_cast<size_t>(round) % seeds.size()], rng);
        CWindowManagerUI manager;
        CMarkupBuilder builder;
        std::wstring text = Utf8ToWide(mutated);
        std::unique_ptr<CControlUI> root(text.empty() || text[0] != L'<' ? nullptr
                                                                         : builder.Create(text.c_str(), nullptr, nullptr, &manager));
        if (root) {
            manager.AttachDialog(std::move(root));
            manager.Layout({0, 0, 540, 355});
            ++parsed;
        } else if (!builder.Markup().GetLastErrorMessage().empty()) {
            ASSERT_TRUE(kMarkupErrors.count(builder.Markup().GetLastErrorMessage()))
                << "round " << round << ": unexpected message";
            ++failed;
        }
        manager.RunDelayedCleanup();
    }
    EXPECT_GT(parsed, 100) << "some mutations still parse and lay out";
    EXPECT_GT(failed, 100) << "and many fail cleanly";
}

TEST(MarkupFuzz, MutatedArchivesOpenOrFailCleanly)
{
    std::vector<uint8_t> good = BuildZip({{"InstallPackages.xml", SkinFile(L"InstallPackages.xml")},
                                          {"MessageBox.xml", SkinFile(L"MessageBox.xml"), false},
                                          {"img/a.png", std::string(3000, 'p')}});
    std::mt19937 rng(150);
    int opened = 0, readOk = 0;
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> zip = good;
        int edits = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < edits; ++i)
            zip[rng() % zip.size()] = static_cast<uint8_t>(rng());
        if (rng() % 4 == 0)
            zip.resize(rng() % zip.size());
        CZipArchive archive;
        if (!archive.Open(zip.data(), zip.size()))
            continue;
        ++opened;
        for (const wchar_t* name : {L"InstallPackages.xml", L"MessageBox.xml", L"img/a.png"}) {
            std::vector<uint8_t> out;
            std::wstring error;
            if (archive.Read(name, out, error))
                ++readOk;
            else
                ASSERT_TRUE(kArchiveErrors.count(error)) << "round " << round;
        }
    }
    EXPECT_GT(opened, 100);
    EXPECT_GT(readOk, 100);
}
