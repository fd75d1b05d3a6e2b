#include "cli/manifest.h"

#include <cmath>
#include <cstdio>

#include "text/text_helpers.h"

namespace lumivane::cli {
namespace {

// A JSON string of any bytes: a byte that is not part of a well-formed
// UTF-8 character is written as \udcXX (XX the byte), as surrogate escapes
// carry file names that are not UTF-8, so nothing is lost and the line
// stays valid JSON.
std::string Json(const std::string& text) {
  std::string out = "\"";
  char escaped[8];
  for (size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    const size_t length = Utf8CharLength(text, at);
    if (length == 0) {
      std::snprintf(escaped, sizeof(escaped), "\\udc%02x", c);
      out += escaped;
      ++at;
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
      out += escaped;
    } else {
      out.append(text, at, length);
    }
    at += length;
  }
  return out + "\"";
}

}  // namespace

std::string ManifestLine(const std::string& source, const PictureResult& r) {
  std::string outputs;
  for (const std::string& o : r.outputs) outputs += (outputs.empty() ? "" : ",") + Json(o);
  return "{\"source\":" + Json(source) + ",\"outputs\":[" + outputs + "],\"result\":\"" +
         LabelOf(r).name + "\",\"bytes\":" + std::to_string(r.bytes) +
         ",\"ms\":" + std::to_string(std::lround(r.milliseconds)) + "}\n";
}

}  // namespace lumivane::cli
