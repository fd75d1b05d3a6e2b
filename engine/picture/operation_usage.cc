// The --help text of the operations, from their descriptors.
#include <string>
#include <string_view>

#include "engine/picture/operation_table.h"

namespace lumivane {

namespace {

// Columns a terminal gives UTF-8 text: Chinese characters take two.
size_t Columns(std::string_view text) {
  size_t columns = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) columns += c >= 0xE0 ? 2 : 1;
  }
  return columns;
}

}  // namespace

std::string UsageEntry(const std::string& head, const std::string& text, size_t column) {
  // Words wrapped to 80 columns, the text in its column.
  std::string usage;
  std::string line = "  " + head;
  line += std::string(line.size() < column ? column - line.size() : 1, ' ');
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (line.size() > column && Columns(line) + 1 + Columns(word) > 80) {
      usage += line + "\n";
      line = std::string(column, ' ');
    } else if (line.size() > column) {
      line += ' ';
    }
    line += word;
    start = end + 1;
  }
  return usage + line + "\n";
}

std::string OperationsUsage(size_t column) {
  std::string usage;
  for (const OperationField& f : OperationFields()) {
    std::string head = std::string("--") + f.option;
    if (*f.argument != '\0') head += std::string(" ") + f.argument;
    std::string text = f.usage;
    if (f.IsNumber() && f.choices == nullptr) {
      text += " (" + std::to_string(f.range.low) + "-" + std::to_string(f.range.high) + ")";
    }
    usage += UsageEntry(head, text, column);
  }
  return usage;
}

}  // namespace lumivane
