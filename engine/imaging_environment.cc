#include "engine/imaging_environment.h"

#include <wand/MagickWand.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <unistd.h>
#include <string>

namespace lumivane {
namespace {

// Only the coders this job needs; no delegates, no indirect "@file" reads.
// The limits let a long product-detail picture (750 x 30000) through and
// stop decompression bombs early: height or width over the cap, or an area
// over 128 megapixels, fails at once, and nothing is cached on disk. Each
// picture is processed on one thread: a run processes several at once.
constexpr char kPolicy[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE policymap [
<!ELEMENT policymap (policy)*>
<!ATTLIST policymap xmlns CDATA #FIXED ''>
<!ELEMENT policy EMPTY>
<!ATTLIST policy xmlns CDATA #FIXED '' domain NMTOKEN #REQUIRED
  name NMTOKEN #IMPLIED pattern CDATA #IMPLIED rights NMTOKEN #IMPLIED
  stealth NMTOKEN #IMPLIED value CDATA #IMPLIED>
]>
<policymap>
  <policy domain="resource" name="memory" value="2GiB"/>
  <policy domain="resource" name="map" value="2GiB"/>
  <policy domain="resource" name="width" value="32KP"/>
  <policy domain="resource" name="height" value="64KP"/>
  <policy domain="resource" name="area" value="128MP"/>
  <policy domain="resource" name="disk" value="0"/>
  <policy domain="resource" name="thread" value="1"/>
  <policy domain="delegate" rights="none" pattern="*"/>
  <policy domain="coder" rights="none" pattern="*"/>
  <policy domain="coder" rights="read|write" pattern="{JPEG,JPG,PNG,BMP,GIF}"/>
  <policy domain="path" rights="none" pattern="@*"/>
</policymap>
)";

void Start() {
  namespace fs = std::filesystem;
  // The library reads its policy from the first folder on this path; the
  // folder is only needed while it starts.
  std::error_code ec;
  fs::path dir = fs::temp_directory_path(ec) /
                 ("lumivane-policy-" + std::to_string(static_cast<long>(::getpid())));
  fs::create_directories(dir, ec);
  {
    std::ofstream(dir / "policy.xml") << kPolicy;
  }
  const char* old = std::getenv("MAGICK_CONFIGURE_PATH");
  std::string previous = old ? old : "";
  setenv("MAGICK_CONFIGURE_PATH", dir.c_str(), 1);
  MagickWandGenesis();
  if (old) {
    setenv("MAGICK_CONFIGURE_PATH", previous.c_str(), 1);
  } else {
    unsetenv("MAGICK_CONFIGURE_PATH");
  }
  fs::remove_all(dir, ec);
}

}  // namespace

void EnsureImagingEnvironment() {
  static std::once_flag once;
  std::call_once(once, Start);
}

}  // namespace lumivane
