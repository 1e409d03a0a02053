#pragma once
// The hosts this build talks to, fixed at build time. The release defaults
// are placeholders under the reserved .test domain: a real deployment sets
// its own hosts here. Tests and the update runner replace the manifest
// addresses at run time instead.
namespace DeploymentSettings {
constexpr const wchar_t* kPrimaryUpdateHost = L"update.tarvo.test";
constexpr const wchar_t* kBackupUpdateHost = L"update-backup.tarvo.test";
constexpr const wchar_t* kTermsPageHost = L"www.tarvo.test";
} // namespace DeploymentSettings
