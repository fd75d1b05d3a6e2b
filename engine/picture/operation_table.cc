#include "engine/picture/operation_table.h"

#include <algorithm>
#include <cctype>

#include "engine/picture/colour.h"
#include "engine/picture/rename.h"
#include "engine/picture/size_rule.h"
#include "text/text_helpers.h"

namespace lumivane {

const std::vector<OperationField>& OperationFields() {
  using E = ExtraOperations;
  static const std::vector<OperationField> fields = {
      {"height", "height", &E::height, kSideRange, 800, "按高度缩小到", " 像素",
       "图片缩小到这个高度，宽度按比例（四舍五入）。\n"
       "高度、长边、放进框、固定尺寸只能选一种；选了时主窗口的图片宽度不起作用。",
       "H",
       "shrink to H high, the width in proportion, rounded to the nearest pixel (in place "
       "of --width, as are --long-side, --box and --size: one of them at a time)",
       "高 {}"},
      {"long_side", "long-side", &E::long_side, kSideRange, 1000, "按长边缩小到", " 像素",
       "图片较长的一边缩小到这个长度，横图竖图一样处理（平台常说的“长边 1000”），\n"
       "另一边按比例四舍五入。",
       "L",
       "shrink so that the longer side is L, portrait and landscape alike; the other side "
       "in proportion, rounded",
       "长边 {}"},
      {"box",
       "box",
       &E::box,
       {},
       0,
       "缩小到放得进",
       "如 800x800",
       "图片按比例缩小到放得进 宽x高 的框里（如 800x600），另一边四舍五入。",
       "WxH",
       "shrink to fit inside W x H, in proportion, rounded",
       "放进 {}",
       nullptr,
       nullptr,
       &CheckDimensions},
      {"size",
       "size",
       &E::size,
       {},
       0,
       "固定尺寸",
       "如 750x1000",
       "每张图片都做成正好 宽x高（如 750x1000）：不勾选下面的裁切时放进这个尺寸，\n"
       "空白处按方形画布的颜色（白色，PNG 和 WebP 为透明）补齐。",
       "WxH",
       "make every output exactly W x H, as --fit says",
       "尺寸 {}",
       nullptr,
       nullptr,
       &CheckDimensions},
      {"fit", "fit", &E::fit, kFitRange, kFitSmart, "固定尺寸铺满后裁切：", "",
       "图片铺满固定尺寸，裁掉多出的部分：CROP 从中间裁，SMART 保留图片里\n"
       "最引人注意的地方（如偏在一边的商品）。不勾选时补边，不裁切。\n"
       "比尺寸小又不放大的图片铺不满，放在画布正中，尺寸照样是设定的大小。",
       "pad|crop|smart",
       "with --size: pad (the default) lays the picture on a canvas of --square's colour; "
       "crop fills the size and cuts in the middle; smart fills it and cuts where the "
       "picture's interest lies (a picture too small to fill it, not enlarged, lies in the "
       "middle of the canvas: every fit gives the size exactly)",
       "裁切 {}", nullptr, "pad|crop|smart", nullptr, false, "size"},
      {"enlarge",
       "enlarge",
       &E::enlarge,
       {},
       0,
       "小图也放大到这个大小",
       "",
       "比要求小的图片也放大（平台不收太小的主图时用）。不勾选时小图不放大。",
       "",
       "enlarge smaller pictures to the size asked (else never enlarged)",
       "放大小图"},
      {"square",
       "square",
       &E::square,
       {},
       0,
       "方形画布，空白处颜色",
       "",
       "把图片放在一个正方形画布的中间：设了图片宽时边长等于图片宽，\n"
       "图片缩小到放得下（小图不放大）；否则边长等于图片较长的一边。\n"
       "空白处用右边的颜色（如 #ffffff 白色）填充，透明的地方也铺上这个颜色；\n"
       "不填时为白色，保存为 PNG 或 WebP 时为透明。主图通常要求方形。",
       "[#RRGGBB]",
       "a square canvas: W x W with --width W, the picture shrunk to fit inside, never "
       "enlarged; else the square of the longer side. White, or transparent for PNG and "
       "WebP, unless a colour is given (then the whole output is laid on it)",
       "方形 {}",
       &E::square_colour,
       nullptr,
       nullptr,
       true},
      {"max_kb", "max-kb", &E::max_kb, kMaxKbRange, 500, "文件大小不超过", " KB",
       "每个处理后的文件不超过这个大小：从所选的图片品质往下，\n"
       "自动找出不超过这个大小的最高品质。品质 50 仍然超出时按 50 保存，并记入日志。",
       "N",
       "each output at most N KB: the highest quality that fits, never above the chosen one, "
       "down to 50",
       "≤ {} KB", nullptr, nullptr, nullptr, true},
      {"slice_height", "slice-height", &E::slice_height, kSliceHeightRange, 1500,
       "长图切成多段，每段高度不超过", " 像素",
       "缩小后比这个高度更高的图片（如详情页长图）切成多段，\n"
       "保存为 名称_01.jpg、名称_02.jpg ……每段都加上水印。",
       "H", "cut taller pictures into parts NAME_01.jpg, ... at most H high", "每段 ≤ {} 高",
       nullptr, nullptr, nullptr, true},
      {"tiled_text",
       "tile-text",
       &E::tiled_text,
       {},
       0,
       "文字水印平铺整张图片（防盗图）",
       "",
       "把水印文字斜着重复铺满整张图片，图片被裁剪后仍然带有水印。",
       "",
       "repeat the text mark over the whole picture",
       "平铺文字水印",
       nullptr,
       nullptr,
       nullptr,
       true,
       "text_mark"},
      {"mark_width_percent", "mark-width", &E::mark_width_percent, kMarkWidthRange, 20,
       "水印图片宽度为图片宽度的", "%",
       "按图片宽度的百分比缩放水印图片，大图小图上的水印看起来一样大。", "P",
       "the watermark picture P percent of the output's width", "水印图片宽 {}%", nullptr, nullptr,
       nullptr, true, "picture_mark"},
      {"sharpen", "sharpen", &E::sharpen, kSharpenRange, 50, "缩小后锐化，强度", "",
       "缩小后的图片会变得略微模糊：按缩小的倍数轻轻锐化一次，\n"
       "商品的纹理和文字更清楚，文字周围不会出现黑边或白边。强度 50 为常用值。",
       "[AMOUNT]",
       "sharpen after the shrink, a little more for a larger shrink, without rims round "
       "edges; AMOUNT 50 (the default) is the usual strength",
       "锐化 {}"},
      {"border", "border", &E::border, kBorderRange, 10, "加边框，宽度", " 像素",
       "在图片四周加一圈这个宽度的边框，颜色填在右边（如 #000000 黑色）。\n"
       "图片缩小到边框里面，宽度不变（按高度、长边、框或固定尺寸时，边框也在这个大小以内，\n"
       "比这个大小还小的图片在它自己的大小以内）；水印加在边框里面。长图切段时，\n"
       "第一段有上边、最后一段有下边，拼起来就是加了边框的整张图。\n"
       "边框超过图片短边的四分之一时不加边框，并记入日志。",
       "PX[,#RRGGBB]",
       "a frame PX wide (black unless a colour follows, \"8,#ff0000\"); the picture shrinks "
       "inside it, the output keeps its width (or the size asked; a smaller picture its own "
       "size), the marks lie inside; cut parts stack into the framed picture; a picture "
       "whose shorter side is under 4 PX is written without it, and logged",
       "边框 {} 像素", &E::border_colour},
      {"trim", "trim", &E::trim, kTrimRange, 24, "裁掉纯色背景，容差", "",
       "找出纯色背景（如白底）上的商品，裁掉四周的背景；背景颜色取自四个角，\n"
       "相差小于容差的都算背景。浅灰、白色商品只要有轮廓就算商品；\n"
       "逐渐变淡的柔和阴影整块裁掉，裁不干净时整块保留，不会从中间切断。\n"
       "四个角颜色不一样、没有纯色背景（如整张照片）或者只有背景的图片不裁，并记入日志。\n"
       "和方形画布一起用时，商品放在正中，但不会放大到超过它原有的像素。",
       "[TOLERANCE]",
       "cut the product out of a plain background (the corners' colour, give or take "
       "TOLERANCE, 24 by default; a light product with an outline is kept, a soft shadow "
       "that fades is cut away whole, or kept whole where a cut would run through it); a "
       "picture without one is left as it is and logged",
       "裁背景 容差 {}"},
      {"fill", "fill", &E::fill, kFillRange, 85, "裁背景后商品占方形画布的", "%",
       "裁掉背景后放到方形画布上时，商品较长的一边占画布边长的这个比例（通常 85%）。", "P",
       "with --trim and --square: the product's longer side P percent of the canvas "
       "(85 by default)",
       "商品占画布 {}%", nullptr, nullptr, nullptr, false, "trim,canvas"},
      {"text_outline", "text-outline", &E::text_outline, kOutlineRange, 2, "文字水印描边，宽度",
       " 像素",
       "给水印文字的笔画描一圈边（颜色填在右边），白字在浅色商品上、\n"
       "黑字在深色商品上也看得清。",
       "PX[,#RRGGBB]", "outline the text mark's letters PX wide (black unless a colour follows)",
       "文字描边 {} 像素", &E::text_outline_colour, nullptr, nullptr, false, "text_mark"},
      {"text_shadow",
       "text-shadow",
       &E::text_shadow,
       {},
       0,
       "文字水印加柔和阴影",
       "",
       "在水印文字下面加一层柔和的阴影（浅色文字用深色阴影，深色文字用浅色阴影），\n"
       "文字在任何背景上都看得清。",
       "",
       "a soft shadow under the text mark, dark under light text and light under dark",
       "文字阴影",
       nullptr,
       nullptr,
       nullptr,
       false,
       "text_mark"},
      {"format", "format", &E::format, kFormatRange, kPngOutput, "保存为", "",
       "处理后的图片保存为 PNG（保留透明背景，适合抠好的商品图）或 WebP\n"
       "（同样的品质文件更小，按图片品质保存）。不勾选时保存为 JPG。",
       "jpeg|png|webp",
       "write PNG (transparency kept) or WebP (at the quality) instead of JPEG; the name gets "
       "the format's extension",
       "保存为 {}", nullptr, "jpeg|png|webp"},
      {"rename",
       "rename",
       &E::rename,
       {},
       0,
       "重命名为",
       "如 {name}_{n:03}",
       "按这个样式给处理后的图片起名：{name} 原名（不含扩展名），{n} 编号，\n"
       "{n:03} 三位编号（001、002 ……，按文件夹里的名称顺序），{folder} 所在文件夹名，\n"
       "{w}、{h} 处理后的宽和高。\n"
       "扩展名按保存的格式自动加上。重名时不处理，并说出第一个重名。",
       "PATTERN",
       "name the outputs by PATTERN: {name} (without its extension), {n} or {n:03} (its "
       "number in its folder's name order), {folder}, {w} and {h} (the output's size); the "
       "format's extension follows; names that would clash refuse the run",
       "重命名为 {}",
       nullptr,
       nullptr,
       &CheckRenamePattern},
      {"rename_start", "rename-start", &E::rename_start, kRenameStartRange, 1, "编号从", "",
       "重命名时 {n} 的第一个编号。", "N", "the first {n} of --rename (1 by default)",
       "编号从 {} 起", nullptr, nullptr, nullptr, false, "rename"},
      {"progressive",
       "progressive",
       &E::progressive,
       {},
       0,
       "JPG 保存为渐进式",
       "",
       "网页上先显示整张图片的模糊样子，再逐渐变清楚；文件通常也小一点。\n"
       "只对 JPG 有效。",
       "",
       "write progressive JPEGs (a coarse whole picture first on a slow page)",
       "渐进式 JPG"},
      {"auto_level",
       "auto-level",
       &E::auto_level,
       {},
       0,
       "自动色阶",
       "",
       "灰蒙蒙的照片（最暗处不够黑、最亮处不够白）以平均亮度为中心拉开明暗，\n"
       "最多拉开 15%，到最暗处变黑或最亮处变白为止：只调明暗，颜色和色调不变，\n"
       "商品本身的颜色（如金色、浅灰）基本不变。已经有白底或明暗完整的图片不变。",
       "",
       "stretch a dull picture's lightness about its mean, by at most 15% and until its "
       "darkest colour reaches black or its lightest white; only the lightness moves, so hues "
       "and a product's own colour stay (a shot on white, or a picture that spans the range, "
       "stays as it is)",
       "自动色阶"},
  };
  return fields;
}

bool OperationField::IsOn(const ExtraOperations& o) const {
  if (IsNumber()) return o.*std::get<int ExtraOperations::*>(value) > 0;
  if (IsText()) return !(o.*std::get<std::string ExtraOperations::*>(value)).empty();
  return o.*std::get<bool ExtraOperations::*>(value);
}

namespace {

const OperationField* FieldOf(std::string_view key) {
  for (const OperationField& f : OperationFields()) {
    if (key == f.key) return &f;
  }
  return nullptr;
}

// The needs one at a time.
template <typename Each>
void ForEachNeed(const char* needs, Each each) {
  if (needs == nullptr) return;
  const std::string_view all(needs);
  for (size_t start = 0; start <= all.size();) {
    const size_t comma = std::min(all.find(',', start), all.size());
    each(all.substr(start, comma - start));
    start = comma + 1;
  }
}

bool HasCanvas(const ExtraOperations& o) {
  return o.square || (!o.size.empty() && o.fit == kFitPad);
}

}  // namespace

std::vector<const OperationField*> OperationField::Needed() const {
  std::vector<const OperationField*> fields;
  ForEachNeed(needs, [&](std::string_view need) {
    if (const OperationField* f = FieldOf(need)) fields.push_back(f);
  });
  return fields;
}

bool OperationField::Acts(const ExtraOperations& o, MarkSwitches marks) const {
  bool acts = IsOn(o);
  ForEachNeed(needs, [&](std::string_view need) {
    if (need == "text_mark") {
      acts = acts && marks.text;
    } else if (need == "picture_mark") {
      acts = acts && marks.picture;
    } else if (need == "canvas") {
      acts = acts && HasCanvas(o);
    } else if (const OperationField* f = FieldOf(need)) {
      acts = acts && f->IsOn(o);
    }
  });
  return acts;
}

std::string OperationField::Missing(const ExtraOperations& o) const {
  std::string missing;
  ForEachNeed(needs, [&](std::string_view need) {
    const OperationField* f = FieldOf(need);
    std::string name;
    if (need == "canvas" && !HasCanvas(o)) name = "--square or --size";
    if (f != nullptr && !f->IsOn(o)) name = std::string("--") + f->option;
    if (!name.empty()) missing += (missing.empty() ? "" : " and ") + name;
  });
  return missing;
}

std::string OperationField::ValueText(const ExtraOperations& o) const {
  if (IsText()) return o.*std::get<std::string ExtraOperations::*>(value);
  return std::to_string(IsNumber() ? Number(o) : IsOn(o));
}

void OperationField::SetValueText(ExtraOperations& o, const std::string& text) const {
  if (IsText()) {
    const bool fine = check == nullptr || check(text).empty();
    o.*std::get<std::string ExtraOperations::*>(value) = fine ? text : "";
  } else if (IsNumber()) {
    const auto n = WholeNumber(text);
    Set(o, n && *n >= 0 ? *n : 0);
  } else {
    Set(o, text == "1");
  }
}

int OperationField::Number(const ExtraOperations& o) const {
  return IsNumber() ? o.*std::get<int ExtraOperations::*>(value) : 0;
}

void OperationField::Set(ExtraOperations& o, int number) const {
  if (IsNumber()) {
    o.*std::get<int ExtraOperations::*>(value) = number == 0 ? 0 : range.Clamp(number);
  } else if (IsText()) {
    if (number == 0) (o.*std::get<std::string ExtraOperations::*>(value)).clear();
  } else {
    o.*std::get<bool ExtraOperations::*>(value) = number != 0;
  }
}

void OperationField::Copy(const ExtraOperations& from, ExtraOperations& to) const {
  if (IsText()) {
    to.*std::get<std::string ExtraOperations::*>(value) =
        from.*std::get<std::string ExtraOperations::*>(value);
  }
  Set(to, IsNumber() ? Number(from) : IsOn(from));
  if (colour != nullptr) to.*colour = from.*colour;
}

std::vector<std::string> OperationField::Choices() const {
  std::vector<std::string> names;
  for (std::string_view rest = choices ? choices : ""; !rest.empty();) {
    const size_t bar = std::min(rest.find('|'), rest.size());
    names.emplace_back(rest.substr(0, bar));
    rest.remove_prefix(std::min(bar + 1, rest.size()));
  }
  return names;
}

std::string OperationField::TakeOption(const std::string* next, ExtraOperations& o,
                                       bool& took_next) const {
  took_next = false;
  if (IsText()) {
    if (next == nullptr) return "needs a value";
    if (check != nullptr) {
      if (std::string why = check(*next); !why.empty()) return why;
    }
    o.*std::get<std::string ExtraOperations::*>(value) = *next;
    took_next = true;
    return "";
  }
  if (!IsNumber()) {
    Set(o, 1);
    if (colour == nullptr || next == nullptr || next->empty() || (*next)[0] != '#') return "";
    if (!IsColourText(*next)) return "the colour must be #RRGGBB";
    o.*colour = *next;
    took_next = true;
    return "";
  }
  if (choices != nullptr) {
    const std::vector<std::string> names = Choices();
    if (next == nullptr) return "needs a value";
    const auto at = std::find(names.begin(), names.end(), *next);
    if (at == names.end()) return std::string("must be one of ") + choices;
    took_next = true;
    Set(o, static_cast<int>(at - names.begin()));
    return "";
  }
  // A number that may be left out is there when the next argument starts
  // with a digit.
  const bool optional = argument[0] == '[';
  if (next == nullptr && !optional) return "needs a value";
  if (next == nullptr || (optional && (next->empty() || !std::isdigit((*next)[0])))) {
    Set(o, dialog_value);
    return "";
  }
  took_next = true;
  const size_t comma = next->find(',');
  const auto n = WholeNumber(std::string_view(*next).substr(0, comma));
  if (!n || *n < range.low || *n > range.high) {
    return "must be " + std::to_string(range.low) + " to " + std::to_string(range.high);
  }
  if (comma != std::string::npos) {
    const std::string tint = next->substr(comma + 1);
    if (colour == nullptr || !IsColourText(tint)) return "the colour must be #RRGGBB";
    o.*colour = tint;
  }
  Set(o, *n);
  return "";
}

std::string DescribeOperations(const ExtraOperations& o, MarkSwitches marks) {
  std::string text;
  for (const OperationField& f : OperationFields()) {
    if (!f.Acts(o, marks)) continue;
    std::string part = f.log;
    const size_t at = part.find("{}");
    if (at != std::string::npos) {
      part.replace(at, 2,
                   f.choices != nullptr         ? f.Choices()[static_cast<size_t>(f.Number(o))]
                   : f.IsNumber() || f.IsText() ? f.ValueText(o)
                                                : o.*f.colour);
    }
    if (f.IsNumber() && f.colour != nullptr) part += " " + o.*f.colour;
    while (!part.empty() && part.back() == ' ') part.pop_back();  // no colour given
    text += (text.empty() ? "" : "，") + part;
  }
  return text.empty() ? text : "更多处理选项：" + text;
}

std::string OperationsKeyText(const ExtraOperations& x, MarkSwitches marks) {
  std::string always, colours, when_on;
  for (const OperationField& f : OperationFields()) {
    if (f.keyed_when_off) {
      const bool acts = f.Acts(x, marks);
      always += std::to_string(f.IsNumber() ? acts * f.Number(x) : acts) + ",";
      if (f.colour != nullptr) colours += x.*f.colour;
    } else if (f.Acts(x, marks)) {
      when_on += std::string(";") + f.key + "=" + f.ValueText(x);
      if (f.colour != nullptr) when_on += x.*f.colour;
    }
  }
  return always + colours + when_on;
}

}  // namespace lumivane
