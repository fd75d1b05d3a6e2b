#include "engine/run/messages.h"

#include "engine/picture/extra_operations.h"
#include "engine/picture/memory_budget.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/processing_settings.h"

namespace lumivane::msg {
namespace {

std::string MarginName(Watermark watermark, Side side) {
  std::string name = watermark == Watermark::kText ? "文字水印的" : "图片水印的";
  switch (side) {
    case Side::kLeft:
      return name + "左边距";
    case Side::kRight:
      return name + "右边距";
    case Side::kTop:
      return name + "上边距";
    case Side::kBottom:
      return name + "下边距";
  }
  return name;
}

// "800×600，95 KB"
std::string SizeAndBytes(int width, int height, std::uint64_t bytes) {
  return std::to_string(width) + "×" + std::to_string(height) + "，" +
         std::to_string((bytes + 1023) / 1024) + " KB";
}

}  // namespace

std::string ReadError(const std::string& path) { return "读取 " + path + " 出错"; }

std::string ReadError(const std::string& path, const ReadFailure& why) {
  auto mb = [](std::uint64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
  };
  std::string reason;
  switch (why.problem) {
    case ReadProblem::kNone:
      return ReadError(path);
    case ReadProblem::kCannotOpen:
      reason = "无法打开这个文件";
      break;
    case ReadProblem::kEmpty:
      reason = "文件是空的";
      break;
    case ReadProblem::kNotAPicture:
      reason = "不是图片";
      break;
    case ReadProblem::kDamaged:
      reason = "文件不完整或已损坏" + (why.what.empty() ? "" : "（" + why.what + "）");
      break;
    case ReadProblem::kTooLarge:
      if (!why.what.empty()) {  // the output asked for, not the file
        return "处理 " + path + " 出错：" + why.what + " 太大，超出了一张图片的上限";
      }
      reason = why.width > 0 ? "图片太大（" + std::to_string(why.width) + "×" +
                                   std::to_string(why.height) + "）"
                             : "文件太大（" + mb(why.bytes) + "）";
      break;
    case ReadProblem::kNoMemory:
      if (!why.what.empty()) {  // a step after the reading needs it
        return "处理 " + path + " 出错：" + why.what + " 需要 " + mb(why.bytes) +
               " 内存，超出了可用的 " + mb(MemoryBudget::ForPictures().capacity());
      }
      reason = why.bytes > 0 ? "内存不够（需要 " + mb(why.bytes) + "）" : "内存不够";
      break;
    case ReadProblem::kNoDecoder:
      reason = "这台电脑上不能读取 HEIC 图片";
      break;
    case ReadProblem::kUnsupported:
      reason = "不支持的图片：" + why.what;
      break;
  }
  return ReadError(path) + "：" + reason;
}

std::string WebpTooLarge(const std::string& path) {
  return SaveError(path) + "：WebP 图片的宽和高都不能超过 16383 像素，可以设置“长图切成多段”的高度";
}
std::string SaveError(const std::string& path) { return "保存 " + path + " 出错"; }

std::string SaveProblem(platform::WriteProblem problem) {
  using enum platform::WriteProblem;
  switch (problem) {
    case kDiskFull:
      return "磁盘已满";
    case kNoPermission:
      return "没有写入的权限";
    case kNotAFile:
      return "这个名字已被文件夹或其他不是普通文件的东西占用";
    case kLinked:
      return "这个文件还有别的名字（硬链接），写入会改动别处的文件";
    case kInUse:
      return "文件正被别的程序使用";
    case kNameTooLong:
      return "名字太长，超出了磁盘的上限";
    case kMissing:
      return "要保存到的文件夹已不存在";
    default:
      return "";
  }
}

std::string SaveError(const std::string& path, platform::WriteProblem problem) {
  const std::string why = SaveProblem(problem);
  return SaveError(path) + (why.empty() ? "" : "：" + why);
}

std::string LeftOutOfPage(const std::string& path, const ReadFailure& why) {
  return ReadError(path, why) + "，没有拼进长图";
}

std::string TooLargeForFormat(const std::string& path, int format) {
  if (format == kWebpOutput) return WebpTooLarge(path);
  return SaveError(path) + "：JPEG 图片的宽和高都不能超过 65535 像素，可以设置“长图切成多段”的高度";
}
std::string Stopped(int processed, int not_reached, const std::string& report) {
  return "已停止处理：处理了 " + std::to_string(processed) + " 个图片，" +
         std::to_string(not_reached) + " 个未处理" +
         (report.empty() ? "" : "，" + ReportAt(report));
}
std::string ReportAt(const std::string& report) { return "每张图片的结果记在 " + report; }
std::string Watching(const std::string& source) {
  return "监视 " + source + "：放进来或改动的图片写完两秒后自动处理";
}
std::string OutputSetHeading(const std::string& name, const std::string& folder) {
  return "输出“" + name + "”，保存到 " + folder;
}
std::string PassedOver(int count) { return "跳过 " + std::to_string(count) + " 个不是图片的文件"; }
std::string NothingOpensFolder(const std::string& folder) {
  return "这台电脑上没有能打开文件夹的程序。处理后的图片在：" + folder;
}
std::string NothingOpensPage(const std::string& address) {
  return "这台电脑上没有能打开网页的程序。网址是：" + address;
}
std::string NothingOpensGuide(const std::string& file) {
  return "这台电脑上没有能打开网页的程序。使用说明在：" + file;
}
std::string MarkError(const std::string& path) { return "给 " + path + " 添加水印时出错"; }
std::string RenameClash(const std::string& path) {
  return "重命名后有重名的图片，没有处理任何图片：" + path;
}
std::string NoPlainBackground(const std::string& path) { return "没有纯色背景，未裁剪 " + path; }
std::string NoGroundToWhiten(const std::string& path) {
  return "没有浅色的纯色背景，背景未变白 " + path;
}
std::string MarkShrunk(const std::string& mark) {
  return "水印图片 " + mark + " 比图片大，已缩小到图片里面（边距不变）";
}
std::string NoRoomForFrame(const std::string& path) {
  return "图片太小，放不下边框，未加边框 " + path;
}
std::string NoProduct(const std::string& path) { return "只有背景，没有找到商品，未裁剪 " + path; }
std::string OverLimit(const std::string& path, int kb) {
  return "超出大小限制 " + path + " (" + std::to_string(kb) + " KB)";
}

std::string LinkLeftOut(const std::string& path) {
  return "未进入文件夹链接 " + path + "：它指向图片源文件夹以外或处理后保存到的文件夹";
}
std::string PathTooLong(const std::string& path) { return "路径太长，未能读取文件夹 " + path; }
std::string TargetLink(const std::string& path) {
  return "未保存到 " + path + "：处理后保存到的文件夹里的链接不会被写入";
}

std::string JournalLongLines(const std::string& path, int lines) {
  return "续做记录 " + path + " 里有 " + std::to_string(lines) +
         " 行过长（不是本程序写的），已跳过";
}
std::string JournalUnusable(const std::string& path, platform::WriteProblem problem) {
  const std::string why = SaveProblem(problem);
  return "未使用续做记录 " + path + "：" + (why.empty() ? "无法写入它" : why) +
         "；已完成的图片也会重新处理";
}
std::string SurplusPartKept(const std::string& path) {
  return "未删除 " + path + "：上次切出的这一部分，这次不再有，可以自行删除";
}

std::string NameClash(const std::string& source, const std::string& output) {
  return "未保存 " + source + "：" + output + " 已由同一文件夹里的另一张图片保存";
}

std::string Summary(int processed, int failed, const std::string& report) {
  std::string failures;
  if (failed > 0) {
    failures = "，" + std::to_string(failed) + " 个没有处理好";
    if (!report.empty()) failures += "，见 " + std::string(platform::LastName(report));
  }
  return "处理完成 " + std::to_string(processed) + " 个图片" + failures +
         "，是否要打开目标文件夹查看处理后的图片？" +
         (report.empty() ? "" : "\n" + ReportAt(report));
}

std::string FolderError(const char* what, const std::string& folder, platform::WriteProblem problem,
                        bool reading) {
  using enum platform::WriteProblem;
  std::string why;
  if (problem == kNoPermission) {
    why = reading ? "没有读取的权限" : "没有写入的权限";
  } else if (problem == kNotAFile) {
    why = "这个名字已被一个文件占用";
  } else if (problem == kMissing) {
    why = "文件夹已不存在";
  } else {
    why = SaveProblem(problem);
  }
  return std::string(what) + "：" + folder + (why.empty() ? "" : "（" + why + "）");
}

std::string HiddenFoldersSkipped(int count) {
  return "跳过 " + std::to_string(count) + " 个隐藏文件夹（名字以 . 开头）";
}

std::string PreviewMade(const std::string& path, int width, int height, std::uint64_t bytes) {
  return "效果预览 " + path + "：" + SizeAndBytes(width, height, bytes);
}

std::string PreviewTitle(int width, int height, std::uint64_t bytes) {
  return "效果预览 " + SizeAndBytes(width, height, bytes);
}

std::string PreviewOpenFailed(const std::string& file) {
  return "无法进行效果预览：系统没能打开 " + file;
}

std::string PreviewOpenFailedTwice(const std::string& file) {
  return "无法进行效果预览：这台电脑上没有打开图片的程序，本程序也没能显示 " + file;
}

std::string WidthNotNumber() {
  return "图片宽必须为整数,取值范围: 1 - " + std::to_string(kMaxWidth);
}
std::string WidthRange() { return "图片宽取值范围: 1 - " + std::to_string(kMaxWidth); }

std::string NotOnList(int pictures) {
  return std::to_string(pictures) + " 个图片不在改名清单里，保留原名";
}
std::string ListLineUnused(int line, const std::string& given) {
  return "改名清单第 " + std::to_string(line) + " 行的“" + given + "”没有对应的图片";
}

std::string MarginEmpty(Watermark w, Side s) { return MarginName(w, s) + "不能为空"; }
std::string MarginNotNumber(Watermark w, Side s) {
  return MarginName(w, s) + "必须为整数,取值范围: 0 - " + std::to_string(kMaxMargin);
}
std::string MarginRange(Watermark w, Side s) {
  return MarginName(w, s) + "取值范围: 0 - " + std::to_string(kMaxMargin);
}

}  // namespace lumivane::msg
