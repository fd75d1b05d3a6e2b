// Keys holding named values, as the platform's registry offers them. On
// Linux, without a registry, the keys live in a text file of our own in the
// user's configuration folder; on Windows in the registry itself, below
// the user's own part of it (windows/registry_store.cc). Every change is
// written through at once.
#ifndef LUMIVANE_PLATFORM_REGISTRY_STORE_H_
#define LUMIVANE_PLATFORM_REGISTRY_STORE_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace lumivane::platform {

class RegistryStore {
 public:
  explicit RegistryStore(std::string file);
  // $XDG_CONFIG_HOME/lumivane/registry, else ~/.config/lumivane/registry;
  // on Windows "", HKEY_CURRENT_USER itself (a `file` there names a key
  // below it).
  static std::string DefaultFile();

  bool KeyExists(const std::string& key) const;
  std::optional<std::string> QueryValue(const std::string& key, const std::string& name) const;
  // Creates the key when missing (or opens it); false when the store
  // cannot be written.
  bool CreateKey(const std::string& key);
  bool SetString(const std::string& key, const std::string& name, const std::string& value);
  bool SetDword(const std::string& key, const std::string& name, std::uint32_t value);

 private:
  bool Save() const;
  std::string file_;
  // key -> name -> "sz:..." or "dword:..."
  std::map<std::string, std::map<std::string, std::string>> keys_;
};

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_REGISTRY_STORE_H_
