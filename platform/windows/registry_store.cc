// The keys in the Windows registry, below the user's own part of it
// (HKEY_CURRENT_USER): writing where every user's values live would need
// an administrator at every start.
#include "platform/registry_store.h"

#include <windows.h>

#include <memory>

#include "platform/windows/wide_text.h"

namespace lumivane::platform {
namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using OwnedKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::wstring FullKey(const std::string& root, const std::string& key) {
  return Wide(root.empty() ? key : root + "\\" + key);
}

OwnedKey Open(const std::string& root, const std::string& key, REGSAM access) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, FullKey(root, key).c_str(), 0, access, &opened) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return OwnedKey(opened);
}

bool Set(const std::string& root, const std::string& key, const std::string& name, DWORD type,
         const void* data, DWORD bytes) {
  const OwnedKey opened = Open(root, key, KEY_SET_VALUE);
  return opened && RegSetValueExW(opened.get(), Wide(name).c_str(), 0, type,
                                  static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
}

}  // namespace

// `file`: the key below HKEY_CURRENT_USER that holds the program's keys;
// empty for that part of the registry itself.
RegistryStore::RegistryStore(std::string file) : file_(std::move(file)) {}

std::string RegistryStore::DefaultFile() { return ""; }

bool RegistryStore::KeyExists(const std::string& key) const {
  return Open(file_, key, KEY_READ) != nullptr;
}

std::optional<std::string> RegistryStore::QueryValue(const std::string& key,
                                                     const std::string& name) const {
  const OwnedKey opened = Open(file_, key, KEY_QUERY_VALUE);
  if (!opened) return std::nullopt;
  DWORD type = 0, bytes = 0;
  const std::wstring wide_name = Wide(name);
  if (RegQueryValueExW(opened.get(), wide_name.c_str(), nullptr, &type, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (type == REG_DWORD) {
    DWORD value = 0;
    bytes = sizeof(value);
    RegQueryValueExW(opened.get(), wide_name.c_str(), nullptr, nullptr,
                     reinterpret_cast<BYTE*>(&value), &bytes);
    return std::to_string(value);
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(opened.get(), wide_name.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return Utf8(value.c_str());  // up to its terminating null
}

bool RegistryStore::CreateKey(const std::string& key) {
  HKEY made = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, FullKey(file_, key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &made, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(made);
  return true;
}

bool RegistryStore::SetString(const std::string& key, const std::string& name,
                              const std::string& value) {
  const std::wstring wide = Wide(value);
  return Set(file_, key, name, REG_SZ, wide.c_str(),
             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

bool RegistryStore::SetDword(const std::string& key, const std::string& name, std::uint32_t value) {
  const DWORD dword = value;
  return Set(file_, key, name, REG_DWORD, &dword, sizeof(dword));
}

bool RegistryStore::Save() const { return true; }  // every change is written at once

}  // namespace lumivane::platform
