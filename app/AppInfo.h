#pragma once
// Application identity: used by main() for the settings store and by the About box.

namespace appinfo {

constexpr const char *kOrganisation = "Brenwick";
constexpr const char *kDomain = "brenwick.example";
constexpr const char *kName = "sonvik+";
constexpr const char *kVersion = "0.4";

} // namespace appinfo
