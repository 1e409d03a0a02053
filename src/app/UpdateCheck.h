#pragma once
// The headless update runner: drives the real update module and engine with
// no window and prints every listener call as one line on standard output.
// It ends after the first final result and does not retry. Main thread only.
#include <optional>
#include <string>
#include <vector>
#include "Http/DNSThread.h"
#include "Updater/IGameEventListener.h"
#include "Updater/SignerPins.h"

struct UpdateCheckOptions {
    std::wstring workFolder;
    std::vector<std::wstring> manifestUrls;
    std::vector<DnsResolver> resolvers;
    // Replace the pins the program was built with when any are given.
    std::vector<Thumbprint> signers;
};

class CUpdateCheck : public IGameEventListener {
public:
    static const char* Usage();
    // Reads the arguments after the program name; on a mistake gives
    // nothing and sets error.
    static std::optional<UpdateCheckOptions> ParseArguments(const std::vector<std::wstring>& args,
                                                            std::string& error);
    // 0 only when the package was downloaded, every digest the manifest
    // names matched and, with pins, it is signed by a pinned signer.
    int Run(const UpdateCheckOptions& options);

    void OnDownloadProgress(uint64_t total, uint64_t completed, uint64_t speed) override;
    void OnDownloadResult(ErrorPair error, const std::wstring& message) override;
    void OnManifestResult(ErrorPair error, const std::wstring& version, const std::wstring& md5,
                          const std::wstring& sha256) override;

private:
    int CheckDigest(const std::wstring& installerPath) const;
    static int CheckSignature(const std::wstring& installerPath, const CSignerPins& pins);
    // One digest's line; false on a mismatch.
    static bool PrintVerdict(const char* name, const std::wstring& expected, const std::string& actual);

    bool m_finished = false;
    bool m_downloaded = false;
    bool m_downloading = false;
    std::wstring m_md5;
    std::wstring m_sha256;
};
