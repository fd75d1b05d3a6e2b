// Makes sure the imaging library's registration points at the folder of
// the program file, writing it when it is missing or points elsewhere.
#ifndef LUMIVANE_HOST_IMAGING_REGISTRATION_H_
#define LUMIVANE_HOST_IMAGING_REGISTRATION_H_

#include <functional>
#include <optional>
#include <string>

#include "platform/registry_store.h"

namespace lumivane {

inline constexpr char kVersionKey[] = "SOFTWARE\\ImageMagick\\6.7.9\\Q:16";
inline constexpr char kCurrentKey[] = "SOFTWARE\\ImageMagick\\Current";

// Shows a start-up error (caption "错误", no owner window).
using ErrorSink = std::function<void(const std::string& message)>;

// The program file's folder: its path without the last separator and name
// (a program in the root keeps the separator). None without a separator.
std::optional<std::string> ProgramFileFolder(const std::string& program_file);

// False when a write failed: the message has been shown and the process
// must end with exit code -1.
bool CheckImagingRegistration(platform::RegistryStore& store, const std::string& program_file,
                              const ErrorSink& show_error);
bool RegisterImagingLibrary(platform::RegistryStore& store, const std::string& program_file,
                            const ErrorSink& show_error);

}  // namespace lumivane

#endif  // LUMIVANE_HOST_IMAGING_REGISTRATION_H_
