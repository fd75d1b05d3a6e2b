#include "cli/manifest.h"

#include <cmath>
#include <cstdio>

namespace lumivane::cli {
namespace {

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned char>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

const char* ResultName(const PictureResult& r) {
  switch (r.outcome) {
    case PictureOutcome::kReadFailed:
      return "read_failed";
    case PictureOutcome::kWriteFailed:
      return "write_failed";
    case PictureOutcome::kMarkFailed:
      return "mark_failed";
    case PictureOutcome::kSkipped:
      return "skipped";
    case PictureOutcome::kProcessed:
      break;
  }
  return r.over_limit ? "over_limit" : "processed";
}

}  // namespace

std::string ManifestLine(const std::string& source, const PictureResult& r) {
  std::string outputs;
  for (const std::string& o : r.outputs) outputs += (outputs.empty() ? "" : ",") + Json(o);
  return "{\"source\":" + Json(source) + ",\"outputs\":[" + outputs + "],\"result\":\"" +
         ResultName(r) + "\",\"bytes\":" + std::to_string(r.bytes) +
         ",\"ms\":" + std::to_string(std::lround(r.milliseconds)) + "}\n";
}

}  // namespace lumivane::cli
