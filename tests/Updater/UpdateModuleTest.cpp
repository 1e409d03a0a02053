#include <gtest/gtest.h>
#include <fstream>
#include "Runtime/StringConvert.h"
#include "Updater/MD5.h"
#include "Updater/Sha256.h"
#include "Updater/UpdateModule.h"
#include "support/DnsResponder.h"
#include "support/EngineTest.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempFolder.h"
#include "support/UpdateSite.h"

namespace {

struct ManifestCall {
    int32_t type, code;
    std::wstring version, md5, sha256;
};

class RecordingListener : public IGameEventListener {
public:
    void OnDownloadProgress(uint64_t total, uint64_t completed, uint64_t) override
    {
        progress.push_back({total, completed});
    }
    void OnDownloadResult(ErrorPair error, const std::wstring& message) override
    {
        downloads.push_back(error);
        messages.push_back(message);
    }
    void OnManifestResult(ErrorPair error, const std::wstring& version, const std::wstring& md5,
                          const std::wstring& sha256) override
    {
        manifests.push_back({error.type, error.code, version, md5, sha256});
    }
    std::vector<ManifestCall> manifests;
    std::vector<ErrorPair> downloads;
    std::vector<std::wstring> messages;
    std::vector<std::pair<uint64_t, uint64_t>> progress;
};

std::string FileText(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Md5Of(const std::string& data)
{
    MD5 md5;
    md5.update(reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned>(data.size()));
    md5.finalize();
    return md5.hex_digest();
}

class UpdateModuleTest : public EngineTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UpdateSite::Available()) << "run through scripts/test, which serves the update site";
        EngineTest::SetUp();
    }
    void Run(std::vector<std::wstring> urls)
    {
        module = std::make_unique<CUpdateModule>(folder.Path() + L"\\game", &listener);
        module->SetManifestUrls(std::move(urls));
        ASSERT_TRUE(module->Start());
    }
    bool WaitForDownload(DWORD limitMs = 60000)
    {
        return PumpUntil([this] { return !listener.downloads.empty(); }, limitMs);
    }
    void TearDown() override
    {
        if (module)
            module->Stop();
        module.reset();
        EngineTest::TearDown();
    }
    std::wstring Game(const std::wstring& name) { return folder.Path() + L"\\game\\" + name; }

    TempFolder folder;
    RecordingListener listener;
    std::unique_ptr<CUpdateModule> module;
};

std::wstring Refusing() { return ScriptedHttpServer::RefusingUrl(); }

} // namespace

TEST_F(UpdateModuleTest, BackupHostServesWhenPrimaryIsDownAndOldInstallerIsReplaced)
{
    CreateDirectoryW((folder.Path() + L"\\game").c_str(), nullptr);
    std::ofstream(Game(L"tvinstaller.exe").c_str(), std::ios::binary) << "old installer";
    Run({Refusing(), UpdateSite::Url(L"/tvinstall.txt")});
    ASSERT_TRUE(WaitForDownload());
    ASSERT_EQ(listener.manifests.size(), 1u);
    std::string package = UpdateSite::Read(L"pkg\\tvinstaller.exe");
    EXPECT_EQ(listener.manifests[0].type, 0);
    EXPECT_EQ(listener.manifests[0].version, L"2.4.1");
    EXPECT_EQ(WideToUtf8(listener.manifests[0].md5), Md5Of(package));
    Sha256 sha;
    sha.Update(reinterpret_cast<const unsigned char*>(package.data()), package.size());
    EXPECT_EQ(WideToUtf8(listener.manifests[0].sha256), sha.HexDigest());
    EXPECT_EQ(listener.downloads.at(0), (ErrorPair{}));
    EXPECT_EQ(listener.messages.at(0), L"");
    EXPECT_TRUE(FileText(Game(L"tvinstaller.exe")) == package) << "the older installer was replaced";
    EXPECT_FALSE(Exists(Game(L"tvinstaller_2.4.1.tmp")));
    EXPECT_TRUE(Exists(Game(L"tvinstall.ini")));
    EXPECT_FALSE(module->IsDownloading());
    PostMessageW(module->HelperWindow(), CUpdateModule::WM_UM_DOWNLOAD_DONE, 0, 0);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(listener.downloads.size(), 1u) << "a second end message is ignored";
}

TEST_F(UpdateModuleTest, BothHostsDownReportsTheBackupsFailureAndRetryStartsAtPrimary)
{
    ScriptedHttpServer primary([](const RecordedRequest&, int) { return ScriptedResponse::Text(500, "busy"); });
    Run({primary.Url("/tvinstall.txt"), Refusing()});
    ASSERT_TRUE(PumpUntil([&] { return !listener.manifests.empty(); }, 30000));
    PumpUntil([] { return false; }, 300);
    ASSERT_EQ(listener.manifests.size(), 1u);
    EXPECT_EQ(listener.manifests[0].type, 5);
    EXPECT_EQ(listener.manifests[0].code, CURLE_COULDNT_CONNECT) << "the backup's pair, not the primary's 500";
    EXPECT_EQ(primary.RequestCount(), 1u);
    EXPECT_EQ(module->NextManifestIndex(), 2);

    module->SetNextManifestIndex(0);
    module->FetchNextManifest();
    ASSERT_TRUE(PumpUntil([&] { return listener.manifests.size() == 2; }, 30000));
    EXPECT_EQ(primary.RequestCount(), 2u) << "the retry began at the primary again";
    EXPECT_TRUE(listener.downloads.empty());
}

TEST_F(UpdateModuleTest, FailedDownloadRemovesAnEmptyTemporaryFile)
{
    UpdateSite::Write(L"missing.txt", "[Install]\r\nUrl=" + WideToUtf8(UpdateSite::Url(L"/pkg/none.exe")) +
                                          "\r\nSize=100\r\nVersion=\r\n");
    Run({UpdateSite::Url(L"/missing.txt")});
    ASSERT_TRUE(WaitForDownload());
    EXPECT_EQ(listener.downloads.at(0), (ErrorPair{kErrorHttp, 404}));
    EXPECT_EQ(listener.messages.at(0), L"安装失败");
    EXPECT_EQ(module->TempPath(), Game(L"tvinstaller_.tmp")) << "an empty version still names the file";
    EXPECT_FALSE(Exists(module->TempPath()));
}

// The folder went, and a file took its parent's name, while the manifest
// was on its way: the round must still end with the reason, not wait for ever.
TEST_F(UpdateModuleTest, AFolderThatCannotBeMadeForThePackageEndsTheRound)
{
    const std::wstring parent = folder.Path() + L"\\sub";
    ScriptedHttpServer server([&](const RecordedRequest&, int) {
        RemoveDirectoryW((parent + L"\\game").c_str());
        RemoveDirectoryW(parent.c_str());
        std::ofstream(parent.c_str()) << "not a folder";
        return ScriptedResponse::Text(200, "[Install]\nUrl=http://127.0.0.1:9/pkg.exe\nSize=10\n"
                                           "Md5=0123456789abcdef0123456789abcdef\nVersion=3.0\n");
    });
    module = std::make_unique<CUpdateModule>(parent + L"\\game", &listener);
    module->SetManifestUrls({server.Url("/tvinstall.txt")});
    ASSERT_TRUE(module->Start());
    ASSERT_TRUE(WaitForDownload(20000));
    EXPECT_EQ(listener.manifests.at(0).type, kErrorOk);
    EXPECT_EQ(listener.downloads.at(0).type, kErrorSys);
    EXPECT_EQ(listener.downloads.at(0).code, ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(module->IsDownloading());
}

// Without a digest only a part this module wrote itself is resumed.
TEST_F(UpdateModuleTest, InterruptedDownloadKeepsItsPartAndTheRetryResumesIt)
{
    std::string package(200000, '\0');
    for (size_t i = 0; i < package.size(); ++i)
        package[i] = static_cast<char>(i % 251);
    bool interrupt = true;
    ScriptedHttpServer server([&](const RecordedRequest& r, int) {
        if (r.path == "/tvinstall.txt")
            return ScriptedResponse::Text(200, "[Install]\nUrl=http://127.0.0.1:" + std::to_string(server.Port()) +
                                                   "/pkg.exe\nSize=200000\nVersion=3.0\n");
        ScriptedResponse response = ScriptedResponse::Ranged(package, r);
        if (interrupt)
            response.closeAfter = 10000;
        return response;
    });
    Run({server.Url("/tvinstall.txt")});
    ASSERT_TRUE(WaitForDownload());
    EXPECT_EQ(listener.downloads.at(0).type, 5);
    EXPECT_EQ(FileText(Game(L"tvinstaller_3.0.tmp")).size(), 30000u) << "three broken attempts, the part is kept";

    interrupt = false;
    listener.downloads.clear();
    listener.progress.clear();
    module->SetNextManifestIndex(0);
    module->FetchNextManifest();
    ASSERT_TRUE(WaitForDownload());
    EXPECT_EQ(listener.downloads.at(0), (ErrorPair{}));
    EXPECT_EQ(server.Requests().back().range, "bytes=30000-");
    ASSERT_FALSE(listener.progress.empty());
    EXPECT_EQ(listener.progress.front().second, 30000u) << "progress starts at the resumed part";
    EXPECT_TRUE(FileText(Game(L"tvinstaller.exe")) == package);
}

// A part left by anyone is resumed only when a digest will judge what it
// becomes; without one the download starts from byte 0.
TEST_F(UpdateModuleTest, APartThisRunDidNotWriteIsResumedOnlyUnderADigest)
{
    const std::string package = UpdateSite::Read(L"pkg\\tvinstaller.exe");
    const std::string manifest = "[Install]\r\nUrl=" + WideToUtf8(UpdateSite::Url(L"/pkg/tvinstaller.exe")) +
                                 "\r\nSize=" + std::to_string(package.size()) + "\r\nVersion=7\r\n";
    UpdateSite::Write(L"digest.txt", manifest + "Md5=" + Md5Of(package) + "\r\n");
    UpdateSite::Write(L"nodigest.txt", manifest);
    const struct {
        const wchar_t* manifest;
        std::string left;
        bool intact;
    } cases[] = {{L"/digest.txt", std::string(1000, 'x'), false},
                 {L"/nodigest.txt", std::string(package.size(), 'x'), true},
                 {L"/nodigest.txt", std::string(1000, 'x'), true}};
    for (const auto& c : cases) {
        CreateDirectoryW((folder.Path() + L"\\game").c_str(), nullptr);
        std::ofstream(Game(L"tvinstaller_7.tmp").c_str(), std::ios::binary) << c.left;
        listener.downloads.clear();
        Run({UpdateSite::Url(c.manifest)});
        ASSERT_TRUE(WaitForDownload());
        EXPECT_EQ(listener.downloads.at(0), (ErrorPair{}));
        EXPECT_EQ(FileText(Game(L"tvinstaller.exe")) == package, c.intact) << WideToUtf8(c.manifest);
        module->Stop();
    }
}

// A record of an earlier manifest that cannot be replaced, or a folder in its
// place, must not speak for the manifest that was fetched.
TEST_F(UpdateModuleTest, TheFetchedManifestDecidesNotALeftRecord)
{
    const std::string stale = "[Install]\r\nUrl=http://127.0.0.1:1/stale.exe\r\nSize=5\r\nVersion=2.4.1\r\n"
                              "Md5=" + Md5Of("stale") + "\r\n";
    const std::string package = UpdateSite::Read(L"pkg\\tvinstaller.exe");
    for (bool folderInItsPlace : {true, false}) {
        CreateDirectoryW((folder.Path() + L"\\game").c_str(), nullptr);
        std::ofstream(Game(L"tvinstaller_2.4.1.tmp").c_str(), std::ios::binary) << "stale";
        HANDLE held = INVALID_HANDLE_VALUE;
        if (folderInItsPlace) {
            CreateDirectoryW(Game(L"tvinstall.ini").c_str(), nullptr);
        } else {
            std::ofstream(Game(L"tvinstall.ini").c_str(), std::ios::binary) << stale;
            held = CreateFileW(Game(L"tvinstall.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        }
        listener.manifests.clear();
        listener.downloads.clear();
        Run({UpdateSite::Url(L"/tvinstall.txt")});
        ASSERT_TRUE(WaitForDownload());
        CloseHandle(held);
        EXPECT_EQ(WideToUtf8(listener.manifests.at(0).md5), Md5Of(package)) << folderInItsPlace;
        EXPECT_EQ(listener.manifests.at(0).version, L"2.4.1");
        module->Stop();
        RemoveDirectoryW(Game(L"tvinstall.ini").c_str());
    }
}

TEST_F(UpdateModuleTest, HostileVersionStaysInsideTheInstallFolder)
{
    UpdateSite::Write(L"hostile.txt", "[Install]\r\nUrl=" + WideToUtf8(UpdateSite::Url(L"/pkg/tvinstaller.exe")) +
                                          "\r\nVersion=..\\..\\..\\escaped\r\nSize=-1\r\n");
    Run({UpdateSite::Url(L"/hostile.txt")});
    ASSERT_TRUE(WaitForDownload());
    EXPECT_EQ(module->TempPath(), Game(L"tvinstaller_.._.._.._escaped.tmp"));
    EXPECT_EQ(listener.manifests.at(0).version, L"..\\..\\..\\escaped") << "the listener sees the value as sent";
    EXPECT_EQ(listener.downloads.at(0), (ErrorPair{})) << "a negative size is an unknown size";
    EXPECT_FALSE(Exists(folder.Path() + L"\\escaped.tmp"));
    EXPECT_TRUE(FileText(Game(L"tvinstaller.exe")) == UpdateSite::Read(L"pkg\\tvinstaller.exe"));
}

TEST_F(UpdateModuleTest, StopSilencesTheModuleAndClassNamesCount)
{
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::string package(300000, 'p');
    ScriptedHttpServer server([&](const RecordedRequest& r, int) {
        if (r.path == "/m.txt")
            return ScriptedResponse::Text(200, "[Install]\nUrl=http://127.0.0.1:" + std::to_string(server.Port()) +
                                                   "/pkg.exe\nSize=300000\nVersion=5\n");
        ScriptedResponse response = ScriptedResponse::Text(200, package);
        response.release = release;
        return response;
    });
    Run({server.Url("/m.txt")});
    std::wstring first = module->HelperClassName();
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 2; })) << "the package is asked for";
    module->Stop();
    EXPECT_EQ(module->HelperWindow(), nullptr);
    SetEvent(release);
    PumpUntil([] { return false; }, 1000);
    EXPECT_TRUE(listener.downloads.empty() && listener.progress.empty()) << "no listener call after Stop";
    EXPECT_EQ(FileText(module->TempPath()).size(), 0u) << "the stopped download took no body";
    EXPECT_EQ(server.RequestCount(), 2u) << "and did not try again";
    CloseHandle(release);

    CUpdateModule second(folder.Path(), &listener);
    second.SetManifestUrls({Refusing()});
    ASSERT_TRUE(second.Start());
    int n1 = _wtoi(first.substr(first.find_last_not_of(L"0123456789") + 1).c_str());
    EXPECT_EQ(first.substr(0, first.size() - std::to_wstring(n1).size()), L"_UPDATE_MODULE_HELPER_WINDOW_TARVO");
    EXPECT_EQ(second.HelperClassName(), L"_UPDATE_MODULE_HELPER_WINDOW_TARVO" + std::to_wstring(n1 + 1));
    wchar_t className[128] = {};
    GetClassNameW(second.HelperWindow(), className, 128);
    EXPECT_EQ(second.HelperClassName(), className);
    second.Stop();

    CUpdateModule blocked(L"Z:\\proc\\no-such-place\\game", &listener);
    EXPECT_FALSE(blocked.Start()) << "an install folder that cannot be made stops the start";
    blocked.Stop();
}

TEST(UpdateModule, RequiredDigestRuleTakesEitherDigest)
{
    const struct {
        const wchar_t *md5, *sha256;
        bool required, met;
    } cases[] = {
        {L"", L"", false, true}, {L"", L"", true, false}, {L"m", L"", true, true}, {L"", L"s", true, true},
    };
    for (const auto& c : cases) {
        ManifestValues values;
        values.md5 = c.md5;
        values.sha256 = c.sha256;
        EXPECT_EQ(CUpdateModule::DigestRuleMet(values, c.required), c.met) << c.md5 << L"/" << c.sha256 << c.required;
    }
}

TEST(UpdateModule, HostSettingsMayNameTheirScheme)
{
    const struct {
        const wchar_t *host, *url;
    } cases[] = {
        {L"update.tarvo.test", L"http://update.tarvo.test/tvinstall.txt"},
        {L"https://update.example.net", L"https://update.example.net/tvinstall.txt"},
        {L"HTTPS://update.example.net/", L"HTTPS://update.example.net/tvinstall.txt"},
        {L"http://update.example.net:8080", L"http://update.example.net:8080/tvinstall.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(CUpdateModule::HostUrl(c.host, L"/tvinstall.txt"), c.url) << c.host;
    EXPECT_EQ(CUpdateModule::DefaultManifestUrls(),
              (std::vector<std::wstring>{L"http://update.tarvo.test/tvinstall.txt",
                                         L"http://update-backup.tarvo.test/tvinstall.txt"}))
        << "the built-in plain-http defaults stay";
}
