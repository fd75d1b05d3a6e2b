#include "host/imaging_registration.h"

#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

constexpr char kNoFolder[] = "在 regedit 中，无法获取APP文件所在的文件夹路径";

std::string ValueError(const std::string& name) { return "创建一个新项 " + name + " 时出错"; }

std::string ModulesPath(const char* kind) {
  return std::string("modules") + platform::kPathSeparator + kind;
}

}  // namespace

std::optional<std::string> ProgramFileFolder(const std::string& program_file) {
  const size_t last = program_file.rfind(platform::kPathSeparator);
  if (last == std::string::npos) return std::nullopt;
  if (last == 0 || program_file[last - 1] == ':') return program_file.substr(0, last + 1);
  return program_file.substr(0, last);
}

bool RegisterImagingLibrary(platform::RegistryStore& store, const std::string& program_file,
                            const ErrorSink& show_error) {
  auto fail = [&](const std::string& message) {
    show_error(message);
    return false;
  };
  const auto folder = ProgramFileFolder(program_file);
  if (!folder) return fail(kNoFolder);
  if (!store.CreateKey(kVersionKey)) {
    return fail(std::string("创建一个新Key [") + kVersionKey + "] 时出错");
  }
  const std::pair<const char*, std::string> version_values[] = {
      {"BinPath", *folder},
      {"ConfigurePath", *folder},
      {"LibPath", *folder},
      {"CoderModulesPath", ModulesPath("coders")},
      {"FilterModulesPath", ModulesPath("filters")},
  };
  for (const auto& [name, value] : version_values) {
    if (!store.SetString(kVersionKey, name, value)) return fail(ValueError(name));
  }
  if (!store.CreateKey(kCurrentKey)) return true;  // the one silent failure
  if (!store.SetString(kCurrentKey, "Version", "6.7.9")) return fail(ValueError("Version"));
  if (!store.SetDword(kCurrentKey, "QuantumDepth", 16)) return fail(ValueError("QuantumDepth"));
  for (const auto& [name, value] : version_values) {
    if (!store.SetString(kCurrentKey, name, value)) return fail(ValueError(name));
  }
  return true;
}

bool CheckImagingRegistration(platform::RegistryStore& store, const std::string& program_file,
                              const ErrorSink& show_error) {
  if (!store.KeyExists(kVersionKey)) return RegisterImagingLibrary(store, program_file, show_error);
  const auto bin_path = store.QueryValue(kVersionKey, "BinPath");
  if (!bin_path) return true;  // a key without the value is left alone
  const auto folder = ProgramFileFolder(program_file);
  if (!folder) {
    show_error(kNoFolder);
    return false;
  }
  if (AsciiLower(*bin_path) != AsciiLower(*folder)) {
    return RegisterImagingLibrary(store, program_file, show_error);
  }
  return true;
}

}  // namespace lumivane
