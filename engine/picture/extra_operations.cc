#include "engine/picture/extra_operations.h"

#include <algorithm>
#include <cstdio>

namespace lumivane {

const char* OutputExtension(int format) {
  return format == kPngOutput ? ".png" : format == kWebpOutput ? ".webp" : ".jpg";
}

const std::vector<Preset>& Presets() {
  static const std::vector<Preset> presets = [] {
    std::vector<Preset> p(4);
    p[0].name = "主图 800×800 方形 ≤ 500 KB";
    p[0].id = "main";
    p[0].short_name = "主图";
    p[0].width = 800;
    p[0].operations.square = true;
    p[0].operations.max_kb = 500;
    p[1].name = "详情图 宽 750 每段 ≤ 1500 高";
    p[1].id = "detail";
    p[1].short_name = "详情图";
    p[1].width = 750;
    p[1].operations.slice_height = 1500;
    p[2].name = "缩略图 宽 400 ≤ 100 KB";
    p[2].id = "thumb";
    p[2].short_name = "缩略图";
    p[2].width = 400;
    p[2].operations.max_kb = 100;
    // Some marketplaces ask for 3:4 main pictures.
    p[3].name = "竖版主图 750×1000 3:4 ≤ 500 KB";
    p[3].id = "main34";
    p[3].short_name = "竖版主图";
    p[3].operations.size = "750x1000";
    p[3].operations.max_kb = 500;
    return p;
  }();
  return presets;
}

std::optional<Preset> FindPreset(const std::string& name, const std::vector<Preset>& user) {
  std::vector<const Preset*> all;
  for (const Preset& p : Presets()) all.push_back(&p);
  for (const Preset& p : user) all.push_back(&p);
  for (const Preset* p : all) {
    if (!name.empty() && (p->name == name || p->id == name || p->short_name == name)) return *p;
  }
  const Preset* found = nullptr;
  for (const Preset* p : all) {
    for (const std::string* whole : {&p->name, &p->id, &p->short_name}) {
      if (name.empty() || whole->rfind(name, 0) != 0) continue;
      if (found != nullptr && found != p) return std::nullopt;  // more than one
      found = p;
    }
  }
  return found ? std::optional<Preset>(*found) : std::nullopt;
}

std::string PresetFolderName(const Preset& preset) {
  std::string name = preset.short_name.empty() ? preset.name : preset.short_name;
  // No separator, nothing hidden.
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  if (name.empty() || name[0] == '.') name = "_" + name;
  return name;
}

std::vector<int> SliceHeights(int height, int slice_height) {
  if (slice_height <= 0 || height <= slice_height) return {height};
  std::vector<int> parts(static_cast<size_t>(height / slice_height), slice_height);
  const int rest = height % slice_height;
  if (rest == 0) return parts;
  if (rest * 4 >= slice_height) {
    parts.push_back(rest);
  } else {
    // Too short alone: the last whole part and the rest share evenly.
    const int shared = slice_height + rest;
    parts.back() = shared - shared / 2;
    parts.push_back(shared / 2);
  }
  return parts;
}

std::string SlicePath(const std::string& output_path, int part) {
  char number[16];
  std::snprintf(number, sizeof(number), "_%02d", part);
  const size_t dot = output_path.rfind('.');
  const size_t slash = output_path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return output_path + number;
  }
  return output_path.substr(0, dot) + number + output_path.substr(dot);
}

}  // namespace lumivane
