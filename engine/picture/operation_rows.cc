// The rows of the operation table, in the order the log line, the dialog
// and --help tell them.
#include "engine/picture/operation_table.h"
#include "engine/picture/rename.h"
#include "engine/picture/rename_list.h"
#include "engine/picture/size_rule.h"

namespace lumivane {

const std::vector<OperationField>& OperationFields() {
  using E = ExtraOperations;
  static const std::vector<OperationField> fields = {
      {
          .key = "height",
          .option = "height",
          .argument = "H",
          .value = &E::height,
          .range = kSideRange,
          .dialog_value = 800,
          .label = "按高度缩小到",
          .unit = " 像素",
          .help = "图片缩小到这个高度，宽度按比例（四舍五入）。\n"
                  "高度、长边、放进框、固定尺寸只能选一种；选了时主窗口的图片宽度不起作用。",
          .usage =
              "shrink to H high, the width in proportion, rounded to the nearest pixel (in place "
              "of --width, as are --long-side, --box and --size: one of them at a time)",
          .log = "高 {}",
      },
      {
          .key = "long_side",
          .option = "long-side",
          .argument = "L",
          .value = &E::long_side,
          .range = kSideRange,
          .dialog_value = 1000,
          .label = "按长边缩小到",
          .unit = " 像素",
          .help = "图片较长的一边缩小到这个长度，横图竖图一样处理（平台常说的“长边 1000”），\n"
                  "另一边按比例四舍五入。",
          .usage =
              "shrink so that the longer side is L, portrait and landscape alike; the other side "
              "in proportion, rounded",
          .log = "长边 {}",
      },
      {
          .key = "box",
          .option = "box",
          .argument = "WxH",
          .value = &E::box,
          .check = &CheckDimensions,
          .label = "缩小到放得进",
          .unit = "如 800x800",
          .help = "图片按比例缩小到放得进 宽x高 的框里（如 800x600），另一边四舍五入。",
          .usage = "shrink to fit inside W x H, in proportion, rounded",
          .log = "放进 {}",
      },
      {
          .key = "size",
          .option = "size",
          .argument = "WxH",
          .value = &E::size,
          .check = &CheckDimensions,
          .label = "固定尺寸",
          .unit = "如 750x1000",
          .help = "每张图片都做成正好 宽x高（如 750x1000）：不勾选下面的裁切时放进这个尺寸，\n"
                  "空白处按方形画布的颜色（白色，PNG 和 WebP 为透明）补齐。",
          .usage = "make every output exactly W x H, as --fit says",
          .log = "尺寸 {}",
      },
      {
          .key = "fit",
          .option = "fit",
          .argument = "pad|crop|smart",
          .value = &E::fit,
          .range = kFitRange,
          .dialog_value = kFitSmart,
          .choices = "pad|crop|smart",
          .choice_names = "补边|裁切|智能裁切",
          .needs = "size",
          .label = "固定尺寸铺满后裁切：",
          .help = "图片铺满固定尺寸，裁掉多出的部分：裁切从中间裁，智能裁切保留图片里\n"
                  "最引人注意的地方（如偏在一边的商品）。不勾选时补边，不裁切。\n"
                  "比尺寸小又不放大的图片铺不满，放在画布正中，尺寸照样是设定的大小。",
          .usage =
              "with --size: pad (the default) lays the picture on a canvas of --square's colour; "
              "crop fills the size and cuts in the middle; smart fills it and cuts where the "
              "picture's interest lies (a picture too small to fill it, not enlarged, lies in the "
              "middle of the canvas: every fit gives the size exactly)",
          .log = "{}",
      },
      {
          .key = "enlarge",
          .option = "enlarge",
          .value = &E::enlarge,
          .label = "小图也放大到这个大小",
          .help = "比要求小的图片也放大（平台不收太小的主图时用）。不勾选时小图不放大。",
          .usage = "enlarge smaller pictures to the size asked (else never enlarged)",
          .log = "放大小图",
      },
      {
          .key = "square",
          .option = "square",
          .argument = "[#RRGGBB]",
          .value = &E::square,
          .colour = &E::square_colour,
          .keyed_when_off = true,
          .label = "方形画布，空白处颜色",
          .help = "把图片放在一个正方形画布的中间：设了图片宽时边长等于图片宽，\n"
                  "图片缩小到放得下（小图不放大）；否则边长等于图片较长的一边。\n"
                  "空白处用右边的颜色（如 #ffffff 白色）填充，透明的地方也铺上这个颜色；\n"
                  "不填时为白色，保存为 PNG 或 WebP 时为透明。主图通常要求方形。",
          .usage =
              "a square canvas: W x W with --width W, the picture shrunk to fit inside, never "
              "enlarged; else the square of the longer side. White, or transparent for PNG and "
              "WebP, unless a colour is given (then the whole output is laid on it)",
          .log = "方形 {}",
      },
      {
          .key = "max_kb",
          .option = "max-kb",
          .argument = "N",
          .value = &E::max_kb,
          .range = kMaxKbRange,
          .dialog_value = 500,
          .keyed_when_off = true,
          .label = "文件大小不超过",
          .unit = " KB",
          .help = "每个处理后的文件不超过这个大小：从所选的图片品质往下，\n"
                  "自动找出不超过这个大小的最高品质。品质 50 仍然超出时按 50 保存，并记入日志。",
          .usage = "each output at most N KB: the highest quality that fits, never above the "
                   "chosen one, "
                   "down to 50",
          .log = "≤ {} KB",
      },
      {
          .key = "join",
          .option = "join",
          .argument = "[#RRGGBB]",
          .value = &E::join,
          .colour = &E::join_colour,
          .label = "每个文件夹拼成一张长图，间隔颜色",
          .help =
              "把每个文件夹里的图片按名称顺序从上到下拼成一张长图（如详情页），\n"
              "以文件夹的名字保存；长图和图片宽一样宽（没设图片宽时和第一张一样宽），\n"
              "窄的图片不放大（除非选了放大），放在正中，两边是间隔颜色；读不出来的图片不拼进去，"
              "并记入日志。\n"
              "水印、边框、大小限制和切段都加在拼好的长图上。右边填图片之间间隔的颜色，不填为白色"
              "。",
          .usage =
              "lay each folder's pictures one under another, in name order, at the width asked "
              "(else the first one's; a narrower one, not enlarged unless asked, in the middle "
              "of the gap colour), into "
              "one page named after the folder (FOLDER.jpg, or by --rename with {folder}); a "
              "picture that cannot be read is left out and logged; the marks, frame, size cap "
              "and --slice-height then apply to the page. The gap is white unless a colour is "
              "given",
          .log = "拼接长图 {}",
      },
      {
          .key = "join_gap",
          .option = "join-gap",
          .argument = "PX",
          .value = &E::join_gap,
          .range = kJoinGapRange,
          .dialog_value = 20,
          .needs = "join",
          .label = "拼接的图片之间留空",
          .unit = " 像素",
          .help = "拼长图时，相邻两张图片之间留出这么高的间隔。",
          .usage = "with --join: PX rows between the pictures",
          .log = "间隔 {} 像素",
      },
      {
          .key = "slice_height",
          .option = "slice-height",
          .argument = "H",
          .value = &E::slice_height,
          .range = kSliceHeightRange,
          .dialog_value = 1500,
          .keyed_when_off = true,
          .label = "长图切成多段，每段高度不超过",
          .unit = " 像素",
          .help = "缩小后比这个高度更高的图片（如详情页长图）切成多段，\n"
                  "保存为 名称_01.jpg、名称_02.jpg ……每段都加上水印。",
          .usage = "cut taller pictures into parts NAME_01.jpg, ... at most H high",
          .log = "每段 ≤ {} 高",
      },
      {
          .key = "tiled_text",
          .option = "tile-text",
          .value = &E::tiled_text,
          .needs = "text_mark",
          .keyed_when_off = true,
          .label = "文字水印平铺整张图片（防盗图）",
          .help = "把水印文字斜着重复铺满整张图片，图片被裁剪后仍然带有水印。",
          .usage = "repeat the text mark over the whole picture",
          .log = "平铺文字水印",
      },
      {
          .key = "mark_width_percent",
          .option = "mark-width",
          .argument = "P",
          .value = &E::mark_width_percent,
          .range = kMarkWidthRange,
          .dialog_value = 20,
          .needs = "picture_mark",
          .keyed_when_off = true,
          .label = "水印图片宽度为图片宽度的",
          .unit = "%",
          .help = "按图片宽度的百分比缩放水印图片，大图小图上的水印看起来一样大。",
          .usage = "the watermark picture P percent of the output's width",
          .log = "水印图片宽 {}%",
      },
      {
          .key = "sharpen",
          .option = "sharpen",
          .argument = "[AMOUNT]",
          .value = &E::sharpen,
          .range = kSharpenRange,
          .dialog_value = 50,
          .label = "缩小后锐化，强度",
          .help = "缩小后的图片会变得略微模糊：按缩小的倍数轻轻锐化一次，\n"
                  "商品的纹理和文字更清楚，文字周围不会出现黑边或白边。强度 50 为常用值。",
          .usage =
              "sharpen after the shrink, a little more for a larger shrink, without rims round "
              "edges; AMOUNT 50 (the default) is the usual strength",
          .log = "锐化 {}",
      },
      {
          .key = "border",
          .option = "border",
          .argument = "PX[,#RRGGBB]",
          .value = &E::border,
          .range = kBorderRange,
          .dialog_value = 10,
          .colour = &E::border_colour,
          .label = "加边框，宽度",
          .unit = " 像素",
          .help =
              "在图片四周加一圈这个宽度的边框，颜色填在右边（如 #000000 黑色）。\n"
              "图片缩小到边框里面，宽度不变（按高度、长边、框或固定尺寸时，边框也在这个大小以内，\n"
              "比这个大小还小的图片在它自己的大小以内）；水印加在边框里面。长图切段时，\n"
              "第一段有上边、最后一段有下边，拼起来就是加了边框的整张图。\n"
              "边框超过图片短边的四分之一时不加边框，并记入日志。",
          .usage =
              "a frame PX wide (black unless a colour follows, \"8,#ff0000\"); the picture shrinks "
              "inside it, the output keeps its width (or the size asked; a smaller picture its own "
              "size), the marks lie inside; cut parts stack into the framed picture; a picture "
              "whose shorter side is under 4 PX is written without it, and logged",
          .log = "边框 {} 像素",
      },
      {
          .key = "white_ground",
          .option = "white-ground",
          .argument = "[TOLERANCE]",
          .value = &E::white_ground,
          .range = kTrimRange,
          .dialog_value = 16,
          .label = "背景变成纯白，容差",
          .help = "把影棚拍的灰底、暖色底、渐变底变成纯白（#FFFFFF），平台的主图常这样要求；\n"
                  "背景颜色取自图片四周，相差不超过容差的算背景；商品不变，边缘不留旧背景的灰边，\n"
                  "柔和的阴影变成白底上的浅灰。四周没有纯色背景（如整张照片）或背景很暗的图片不变，"
                  "并记入日志。\n和裁掉背景、方形画布一起用时，从边到边是同一种白。",
          .usage =
              "make a plain ground pure white (#FFFFFF): the ground the rim holds, a colour or a "
              "smooth sweep of one, give or take TOLERANCE (16 by default); the product stays "
              "as it is, a soft shadow becomes a soft grey; a picture without a plain light "
              "ground is left as it is and logged",
          .log = "背景变纯白 容差 {}",
      },
      {
          .key = "trim",
          .option = "trim",
          .argument = "[TOLERANCE]",
          .value = &E::trim,
          .range = kTrimRange,
          .dialog_value = 24,
          .label = "裁掉纯色背景，容差",
          .help =
              "找出纯色背景（如白底）上的商品，裁掉四周的背景；背景颜色取自四个角，\n"
              "相差超过容差的都算商品，细到一个像素的项链、边缘柔和的浅色商品也整件保留；\n"
              "阴影保留到它淡入背景的地方，不会留下一道台阶。\n"
              "四个角颜色不一样、没有纯色背景（如整张照片）或者只有背景的图片不裁，并记入日志。\n"
              "和方形画布一起用时，商品放在正中，画布用原来的背景色（除非另选颜色），\n"
              "但不会放大到超过它原有的像素。",
          .usage = "cut the product out of a plain background (the corners' colour, give or take "
                   "TOLERANCE, 24 by default; everything further from it is kept, a chain a pixel "
                   "wide and a soft edge too, a shadow to where it fades; a square canvas is that "
                   "ground unless a colour is given); a picture without one is left as it is and "
                   "logged",
          .log = "裁背景 容差 {}",
      },
      {
          .key = "fill",
          .option = "fill",
          .argument = "P",
          .value = &E::fill,
          .range = kFillRange,
          .dialog_value = 85,
          .needs = "trim,canvas",
          .label = "裁背景后商品占方形画布的",
          .unit = "%",
          .help = "裁掉背景后放到方形画布上时，商品较长的一边占画布边长的这个比例（通常 85%）。",
          .usage = "with --trim and --square: the product's longer side P percent of the canvas "
                   "(85 by default)",
          .log = "商品占画布 {}%",
      },
      {
          .key = "text_outline",
          .option = "text-outline",
          .argument = "PX[,#RRGGBB]",
          .value = &E::text_outline,
          .range = kOutlineRange,
          .dialog_value = 2,
          .colour = &E::text_outline_colour,
          .needs = "text_mark",
          .label = "文字水印描边，宽度",
          .unit = " 像素",
          .help = "给水印文字的笔画描一圈边（颜色填在右边），白字在浅色商品上、\n"
                  "黑字在深色商品上也看得清。",
          .usage = "outline the text mark's letters PX wide (black unless a colour follows)",
          .log = "文字描边 {} 像素",
      },
      {
          .key = "text_shadow",
          .option = "text-shadow",
          .value = &E::text_shadow,
          .needs = "text_mark",
          .label = "文字水印加柔和阴影",
          .help = "在水印文字下面加一层柔和的阴影（浅色文字用深色阴影，深色文字用浅色阴影），\n"
                  "文字在任何背景上都看得清。",
          .usage = "a soft shadow under the text mark, dark under light text and light under dark",
          .log = "文字阴影",
      },
      {
          .key = "format",
          .option = "format",
          .argument = "jpeg|png|webp",
          .value = &E::format,
          .range = kFormatRange,
          .dialog_value = kPngOutput,
          .choices = "jpeg|png|webp",
          .choice_names = "JPG|PNG|WebP",
          .label = "保存为",
          .help = "处理后的图片保存为 PNG（保留透明背景，适合抠好的商品图）或 WebP\n"
                  "（同样的品质文件更小，按图片品质保存）。不勾选时保存为 JPG。",
          .usage = "write PNG (transparency kept) or WebP (at the quality) instead of JPEG; the "
                   "name gets "
                   "the format's extension",
          .log = "保存为 {}",
      },
      {
          .key = "rename",
          .option = "rename",
          .argument = "PATTERN",
          .value = &E::rename,
          .check = &CheckRenamePattern,
          .label = "重命名为",
          .unit = "如 {name}_{n:03}",
          .help = "按这个样式给处理后的图片起名：{name} 原名（不含扩展名），{n} 编号，\n"
                  "{n:03} 三位编号（001、002 ……，按文件夹里的名称顺序），{folder} 所在文件夹名，\n"
                  "{date} 处理日期，{w}、{h} 处理后的宽和高。\n"
                  "扩展名按保存的格式自动加上。重名时不处理，并说出第一个重名。",
          .usage =
              "name the outputs by PATTERN: {name} (without its extension), {n} or {n:03} (its "
              "number in its folder's name order), {folder}, {date} (the run's, YYYY-MM-DD), {w} "
              "and {h} (the output's size); the "
              "format's extension follows; names that would clash refuse the run (a size that only "
              "shows once the picture is read: that picture is not saved, and logged)",
          .log = "重命名为 {}",
      },
      {
          .key = "rename_start",
          .option = "rename-start",
          .argument = "N",
          .value = &E::rename_start,
          .range = kRenameStartRange,
          .dialog_value = 1,
          .needs = "rename",
          .label = "编号从",
          .help = "重命名时 {n} 的第一个编号。",
          .usage = "the first {n} of --rename (1 by default)",
          .log = "编号从 {} 起",
      },
      {
          .key = "rename_list",
          .option = "rename-list",
          .argument = "FILE",
          .value = &E::rename_list,
          .check = &CheckRenameList,
          .needs = "rename",
          .file_kinds = "表格另存的清单 (*.csv *.txt *.tsv);;所有文件 (*)",
          .label = "改名清单",
          .unit = "如 货号.csv",
          .help = "表格另存的清单（CSV 或制表符分隔，UTF-8 或 GBK）：每行一张图片的文件名\n"
                  "（带不带扩展名都行，或源文件夹下的路径）和它的新名字，重命名里写 {list} 用它，\n"
                  "如 {list}_{n:02}。不在清单里的图片保留原名，日志里说有几张；\n"
                  "清单里找不到图片的行也写进日志。",
          .usage = "a list (CSV or tab-separated, UTF-8 or GBK, as a spreadsheet saves it) of a "
                   "picture's file name - with or without its extension, or its path below the "
                   "source - and its new name, which --rename's {list} takes; pictures not on it "
                   "keep their own names",
          .log = "改名清单 {}",
      },
      {
          .key = "progressive",
          .option = "progressive",
          .value = &E::progressive,
          .needs = "jpeg",
          .label = "JPG 保存为渐进式",
          .help = "网页上先显示整张图片的模糊样子，再逐渐变清楚；文件通常也小一点。\n"
                  "只对 JPG 有效。",
          .usage = "write progressive JPEGs (a coarse whole picture first on a slow page)",
          .log = "渐进式 JPG",
      },
      {
          .key = "auto_level",
          .option = "auto-level",
          .value = &E::auto_level,
          .label = "自动色阶",
          .help = "灰蒙蒙的照片（最亮处不够白）把比平均亮度亮的部分向白色拉开，\n"
                  "最多拉开 15%，到最亮处变白为止：只提亮不压暗，深色商品（如藏青）颜色不变，\n"
                  "越接近灰色的地方提得越多，鲜艳的颜色基本不变。已经有白底或明暗完整的图片不变。",
          .usage = "lift a dull picture's lightness above its mean towards white, by at most 15% "
                   "and until its lightest colour reaches white; nothing is darkened, so a dark "
                   "product keeps its colour, and the nearer a colour is to grey the more it is "
                   "lifted (a shot on white, or a picture that spans the range, stays as it is)",
          .log = "自动色阶",
      },
      {
          .key = "mirror",
          .option = "mirror",
          .value = &E::mirror,
          .label = "左右镜像翻转",
          .help = "把图片左右翻转，像照镜子一样。水印在翻转之后才印上，文字不会反。",
          .usage = "turn the picture over left to right; the marks are laid after, so their "
                   "text reads as usual",
          .log = "左右镜像",
      },
  };
  return fields;
}

}  // namespace lumivane
