#pragma once
// The maker's addresses, each written once.

namespace varnel {

inline constexpr const char* kMakerWebAddress = "https://www.varnelzize.se";
inline constexpr const char* kDownloadPage = "https://www.varnelzize.se/download.php";
// Where releases are published; a REG_SZ value "UpdateServer" under the
// settings key replaces it (mirrors, tests).
inline constexpr const char* kUpdateServerBase = "https://www.varnelzize.se/VarnelUpdate/Zize/Update/";

}  // namespace varnel
