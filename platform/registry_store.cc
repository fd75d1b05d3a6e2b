#include "platform/registry_store.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_system.h"

namespace lumivane::platform {

RegistryStore::RegistryStore(std::string file) : file_(std::move(file)) {
  std::ifstream in(file_);
  std::string line, key;
  while (std::getline(in, line)) {
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      key = line.substr(1, line.size() - 2);
      keys_[key];
    } else if (auto eq = line.find('='); eq != std::string::npos && !key.empty()) {
      keys_[key][line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
}

std::string RegistryStore::DefaultFile() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    base = ".";
  }
  return base + "/lumivane/registry";
}

bool RegistryStore::KeyExists(const std::string& key) const { return keys_.count(key) > 0; }

std::optional<std::string> RegistryStore::QueryValue(const std::string& key,
                                                     const std::string& name) const {
  auto k = keys_.find(key);
  if (k == keys_.end()) return std::nullopt;
  auto v = k->second.find(name);
  if (v == k->second.end()) return std::nullopt;
  auto colon = v->second.find(':');
  return v->second.substr(colon + 1);
}

bool RegistryStore::Save() const {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(file_).parent_path(), ec);
  std::ostringstream out;
  for (const auto& [key, values] : keys_) {
    out << '[' << key << "]\n";
    for (const auto& [name, value] : values) out << name << '=' << value << '\n';
  }
  return WriteFileAtomically(file_, out.str());
}

bool RegistryStore::CreateKey(const std::string& key) {
  keys_[key];
  return Save();
}

bool RegistryStore::SetString(const std::string& key, const std::string& name,
                              const std::string& value) {
  keys_[key][name] = "sz:" + value;
  return Save();
}

bool RegistryStore::SetDword(const std::string& key, const std::string& name, std::uint32_t value) {
  keys_[key][name] = "dword:" + std::to_string(value);
  return Save();
}

}  // namespace lumivane::platform
