// Fetching the announcement list from the vendor's web host into "res.dat".
#ifndef LUMIVANE_ANNOUNCE_DOWNLOAD_H_
#define LUMIVANE_ANNOUNCE_DOWNLOAD_H_

#include <string>
#include <string_view>

#include "announce/vendor.h"
#include "platform/tcp_client.h"

namespace lumivane {

// The exact request bytes.
std::string AnnouncementRequest(const std::string& host);

enum class ResponseKind { kReplaceFile, kKeepFile, kFailure };
struct ResponseAction {
  ResponseKind kind = ResponseKind::kFailure;
  std::string body;  // for kReplaceFile
};
// "HTTP/1.1 200 OK": the body after the empty line replaces the file;
// "HTTP/1.1 204 No Content": the file stays; anything else is a failure.
ResponseAction InterpretResponse(std::string_view response);

// True after a 200 (file written) or a 204. Failures are silent; the old
// file stays.
bool DownloadAnnouncements(const std::string& folder, const std::string& host = kVendorHost,
                           int port = kVendorPort,
                           const platform::ExchangeLimits& limits = platform::ExchangeLimits{});

// Whether the help page answers (within a few seconds), so that the window
// opens it rather than the guide it ships.
bool HelpPageReachable(const std::string& host = kVendorHost, int port = kVendorPort);

}  // namespace lumivane

#endif  // LUMIVANE_ANNOUNCE_DOWNLOAD_H_
