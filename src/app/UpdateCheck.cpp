#include "UpdateCheck.h"
#include <cstdio>
#include "Runtime/StringConvert.h"
#include "Updater/PackageSignature.h"
#include "Updater/UpdateModule.h"
#include "app/InstallerApp.h"
#include "app/PackageHold.h"

namespace {

std::string Shown(const std::wstring& value) { return value.empty() ? "-" : WideToUtf8(value); }

std::optional<DnsResolver> ParseResolver(const std::wstring& text)
{
    size_t colon = text.rfind(L':');
    if (colon == std::wstring::npos || colon == 0)
        return std::nullopt;
    std::string address = WideToUtf8(text.substr(0, colon));
    wchar_t* end = nullptr;
    unsigned long port = wcstoul(text.c_str() + colon + 1, &end, 10);
    if (*end != L'\0' || port == 0 || port > 65535 || address.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    return DnsResolver{address, static_cast<uint16_t>(port)};
}

} // namespace

const char* CUpdateCheck::Usage()
{
    return "usage: TarvoUpdateCheck.exe [--dns ADDRESS:PORT]... [--signer THUMBPRINT]...\n"
           "                            WORK_FOLDER MANIFEST_URL [MANIFEST_URL...]\n"
           "\n"
           "Fetches the install manifest from the given addresses in order (they replace\n"
           "the built-in update hosts), downloads the package it names into WORK_FOLDER as\n"
           "tvinstaller.exe, checks it against the manifest's MD5 and SHA-256 digests and,\n"
           "when signers are pinned, checks its signature as the installer would.\n"
           "\n"
           "  --dns ADDRESS:PORT  a resolver for the spare DNS lookup (IPv4 address and\n"
           "                      UDP port); repeat for more. They replace the built-in list.\n"
           "  --signer THUMBPRINT the SHA-256 of a signing certificate's DER bytes (64\n"
           "                      hexadecimal digits); repeat for more. They replace the\n"
           "                      signers this program was built with.\n"
           "  --help              this text\n"
           "\n"
           "Output, one line per event ('-' stands for an empty value):\n"
           "  manifest TYPE CODE VERSION MD5\n"
           "  progress TOTAL DONE SPEED\n"
           "  download TYPE CODE\n"
           "  md5 ok | md5 mismatch EXPECTED ACTUAL | md5 none\n"
           "  sha256 ok | sha256 mismatch EXPECTED ACTUAL | sha256 none\n"
           "  signature ok | unsigned | bad | other-signer | not-checked\n"
           "\n"
           "It does not retry: it ends after the first final result. Exit code 0 only when\n"
           "the package was downloaded, each digest given matched, and with signers\n"
           "pinned its signature is ok; 2 for a usage error; 1 otherwise.\n";
}

std::optional<UpdateCheckOptions> CUpdateCheck::ParseArguments(const std::vector<std::wstring>& args,
                                                               std::string& error)
{
    UpdateCheckOptions options;
    std::vector<std::wstring> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--dns") {
            std::optional<DnsResolver> resolver = i + 1 < args.size() ? ParseResolver(args[++i]) : std::nullopt;
            if (!resolver) {
                error = "--dns needs ADDRESS:PORT with an IPv4 address";
                return std::nullopt;
            }
            options.resolvers.push_back(*resolver);
        } else if (args[i] == L"--signer") {
            std::optional<Thumbprint> signer =
                i + 1 < args.size() ? CSignerPins::ParseThumbprint(args[++i]) : std::nullopt;
            if (!signer) {
                error = "--signer needs a SHA-256 thumbprint of 64 hexadecimal digits";
                return std::nullopt;
            }
            options.signers.push_back(*signer);
        } else if (args[i].rfind(L"--", 0) == 0) {
            error = "unknown option " + WideToUtf8(args[i]);
            return std::nullopt;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() < 2) {
        error = "a work folder and at least one manifest address are needed";
        return std::nullopt;
    }
    options.workFolder = positional[0];
    options.manifestUrls.assign(positional.begin() + 1, positional.end());
    return options;
}

int CUpdateCheck::Run(const UpdateCheckOptions& options)
{
    if (!options.resolvers.empty())
        CDNSThread::SetResolvers(options.resolvers);
    CInstallerApp* app = CInstallerApp::Instance();
    app->Startup();
    int exitCode = 1;
    {
        CUpdateModule module(options.workFolder, this);
        module.SetManifestUrls(options.manifestUrls);
        if (module.Start()) {
            MSG msg;
            while (!m_finished && GetMessageW(&msg, nullptr, 0, 0) > 0) {
                DispatchMessageW(&msg);
                m_finished = m_finished || (m_downloading && !module.IsDownloading() && !m_downloaded);
            }
            if (m_downloaded) {
                const CSignerPins pins =
                    options.signers.empty() ? CSignerPins::Configured() : CSignerPins(options.signers);
                exitCode = CheckDigest(module.InstallerPath());
                exitCode |= CheckSignature(module.InstallerPath(), pins);
            }
        } else {
            printf("error cannot create %s\n", WideToUtf8(options.workFolder).c_str());
        }
        module.Stop();
    }
    app->Shutdown();
    return exitCode;
}

void CUpdateCheck::OnManifestResult(ErrorPair error, const std::wstring& version, const std::wstring& md5,
                                    const std::wstring& sha256)
{
    printf("manifest %d %d %s %s\n", error.type, error.code, Shown(version).c_str(), Shown(md5).c_str());
    fflush(stdout);
    m_md5 = md5;
    m_sha256 = sha256;
    m_downloading = error.Ok();
    m_finished = !error.Ok();
}

void CUpdateCheck::OnDownloadProgress(uint64_t total, uint64_t completed, uint64_t speed)
{
    printf("progress %llu %llu %llu\n", static_cast<unsigned long long>(total),
           static_cast<unsigned long long>(completed), static_cast<unsigned long long>(speed));
    fflush(stdout);
}

void CUpdateCheck::OnDownloadResult(ErrorPair error, const std::wstring&)
{
    printf("download %d %d\n", error.type, error.code);
    fflush(stdout);
    m_downloaded = error.Ok();
    m_finished = true;
}

int CUpdateCheck::CheckDigest(const std::wstring& installerPath) const
{
    PackageDigests actual = CPackageHold(installerPath).Digests();
    bool md5Ok = PrintVerdict("md5", m_md5, actual.md5);
    bool sha256Ok = PrintVerdict("sha256", m_sha256, actual.sha256);
    return md5Ok && sha256Ok ? 0 : 1;
}

bool CUpdateCheck::PrintVerdict(const char* name, const std::wstring& expected, const std::string& actual)
{
    DigestVerdict verdict = PackageDigests::Check(expected, actual);
    if (verdict == DigestVerdict::Mismatch)
        printf("%s mismatch %s %s\n", name, WideToUtf8(expected).c_str(), actual.empty() ? "-" : actual.c_str());
    else
        printf("%s %s\n", name, verdict == DigestVerdict::Ok ? "ok" : "none");
    return verdict != DigestVerdict::Mismatch;
}

int CUpdateCheck::CheckSignature(const std::wstring& installerPath, const CSignerPins& pins)
{
    CPackageHold hold(installerPath);
    const SignatureVerdict verdict = CPackageSignature::Check(pins, hold.Handle(), installerPath).verdict;
    printf("signature %s\n", CSignerPins::Name(verdict));
    return CSignerPins::Allows(verdict) ? 0 : 1;
}
