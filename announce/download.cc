#include "announce/download.h"

#include "announce/announcement_list.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {

std::string AnnouncementRequest(const std::string& host) {
  return "GET /123.asp?v=2.1 HTTP/1.1\r\n"
         "Accept: */*\r\n"
         "Accept-Language: zh-cn\r\n"
         "User-Agent: Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; Trident/4.0; CIBA)\r\n"
         "Host: " +
         host +
         "\r\n"
         "Connection: close\r\n"
         "\r\n";
}

ResponseAction InterpretResponse(std::string_view response) {
  // The response is taken as a zero-terminated text.
  response = response.substr(0, response.find('\0'));
  if (StartsWith(response, "HTTP/1.1 200 OK")) {
    ResponseAction action{ResponseKind::kReplaceFile, ""};
    // The body starts after the first LF that is followed by CR, less that
    // CR and the byte after it.
    size_t i = response.find("\n\r");
    if (i != std::string_view::npos && i + 3 <= response.size()) {
      action.body = std::string(response.substr(i + 3));
    }
    return action;
  }
  if (StartsWith(response, "HTTP/1.1 204 No Content")) return {ResponseKind::kKeepFile, ""};
  return {ResponseKind::kFailure, ""};
}

bool DownloadAnnouncements(const std::string& folder, const std::string& host, int port,
                           const platform::ExchangeLimits& limits) {
  auto response = platform::ExchangeOnce(host, port, AnnouncementRequest(host), limits);
  if (!response) return false;
  ResponseAction action = InterpretResponse(*response);
  if (action.kind == ResponseKind::kFailure) return false;
  if (action.kind == ResponseKind::kReplaceFile) {
    std::string crlf;  // written as a text file: every LF becomes CR LF
    for (char c : action.body) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    platform::WriteFileAtomically(platform::JoinPath(folder, kAnnouncementFile), crlf);
  }
  return true;
}

bool HelpPageReachable(const std::string& host, int port) {
  // Asked briefly: the user waits for the page.
  platform::ExchangeLimits limits;
  limits.connect = limits.send = limits.receive = std::chrono::milliseconds(2000);
  limits.whole = std::chrono::milliseconds(3000);
  limits.max_response_bytes = 512;
  const auto answer = platform::ExchangeOnce(
      host, port, "HEAD " + std::string(kHelpPagePath) + " HTTP/1.0\r\nHost: " + host + "\r\n\r\n",
      limits);
  // "HTTP/1.1 200 OK", or a redirection the browser follows.
  return answer && answer->size() > 9 && answer->rfind("HTTP/1.", 0) == 0 &&
         ((*answer)[9] == '2' || (*answer)[9] == '3');
}

}  // namespace lumivane
