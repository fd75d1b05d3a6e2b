// Every text the engine shows to the user, in one place.
#ifndef LUMIVANE_ENGINE_RUN_MESSAGES_H_
#define LUMIVANE_ENGINE_RUN_MESSAGES_H_

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace lumivane {
struct ReadFailure;  // engine/picture/picture_io.h: the window's code must not see the library
}  // namespace lumivane

namespace lumivane::msg {

inline constexpr char kNoticeCaption[] = "提示";
inline constexpr char kQuestionCaption[] = "询问";
inline constexpr char kDoneCaption[] = "完成";

inline constexpr char kChooseSource[] = "请选择图片源文件夹";
inline constexpr char kSourceMissing[] = "图片源文件夹不存在，请重新选择";
inline constexpr char kWidthEmpty[] = "图片宽不能为空";
// "图片宽必须为整数,取值范围: 1 - 9999", "图片宽取值范围: 1 - 9999", with the
// width's limit.
std::string WidthNotNumber();
std::string WidthRange();
inline constexpr char kEnterText[] = "请输入水印文字内容";
inline constexpr char kFontCannotShowChinese[] =
    "当前选择的字体无法正常显示水印文字里的中文，请重新选择一个字体。";
inline constexpr char kPreviewNeedsChineseFont[] =
    "水印文字中含有中文，你需要选择一个中文字体，否则中文会显示乱码。";
inline constexpr char kChooseWatermarkPicture[] = "请选择一张水印图片";
inline constexpr char kWatermarkPictureMissing[] = "水印图片不存在，请重新选择";
inline constexpr char kChooseTarget[] = "请选择图片处理后保存到哪个文件夹";
inline constexpr char kCannotCreateTarget[] = "创建图片处理后保存到的文件夹时出错";
inline constexpr char kTargetIsSource[] = "处理后保存到的文件夹不能是图片源文件夹";
inline constexpr char kTargetInsideSource[] = "不能将处理后的图片保存到图片源文件夹中的子文件夹里";
inline constexpr char kOutputIntoSource[] = "不能将处理后的图片保存到图片源文件夹里";
inline constexpr char kCannotReadSource[] = "读取图片源文件夹时出错";
inline constexpr char kOverwriteQuestion[] =
    "图片处理后保存到的文件夹中已存在相同文件名的图片，是否要全部覆盖？";
inline constexpr char kCancelled[] = "你取消了本次图片处理";
inline constexpr char kNoSamplePicture[] = "在[图片源文件夹]中，没有找到需要处理的图片";
inline constexpr char kCannotReadSettings[] = "读取配置信息出错";
inline constexpr char kCannotCreatePreviewFolder[] = "创建效果预览临时文件夹时出错";
// Told once a run: the text mark was longer than some pictures and drawn
// smaller on them.
inline constexpr char kTextMarkShrunk[] = "文字水印太长，已缩小";

std::string ReadError(const std::string& path);  // 读取 %s 出错
// 读取 %s 出错：and why, when known.
std::string ReadError(const std::string& path, const ReadFailure& why);
// A picture a page was joined without.
std::string LeftOutOfPage(const std::string& path, const ReadFailure& why);
// 保存 %s 出错：WebP cannot hold a side that long.
std::string WebpTooLarge(const std::string& path);
std::string SaveError(const std::string& path);  // 保存 %s 出错
// 保存 %s 出错：磁盘已满 (没有写入的权限, 这个名字已被文件夹…占用, ...)
std::string SaveError(const std::string& path, platform::WriteProblem problem);
// Why a write failed, in the user's words; "" when not known.
std::string SaveProblem(platform::WriteProblem problem);
// A side over what the output format holds.
std::string TooLargeForFormat(const std::string& path, int format);
std::string MarkError(const std::string& path);          // 给 %s 添加水印时出错
std::string OverLimit(const std::string& path, int kb);  // 超出大小限制 %s (%d KB)
std::string NoPlainBackground(const std::string& path);  // 没有纯色背景，未裁剪 %s
std::string NoGroundToWhiten(const std::string& path);  // 没有浅色的纯色背景，背景未变白 %s
// 水印图片 %s 比图片大，已缩小到图片里面（边距不变）
std::string MarkShrunk(const std::string& mark);
std::string NoRoomForFrame(const std::string& path);  // 图片太小，放不下边框，未加边框 %s
std::string NoProduct(const std::string& path);  // 只有背景，没有找到商品，未裁剪 %s
std::string RenameClash(const std::string& path);  // 重命名后有重名的图片：%s
std::string LinkLeftOut(const std::string& path);  // a source folder link not followed
std::string PathTooLong(const std::string& path);  // a folder below the longest path
std::string TargetLink(const std::string& path);   // a link in the target tree
// A resume journal that is not a regular file of its own: not used.
std::string JournalUnusable(const std::string& path, platform::WriteProblem problem);
// 续做记录 %s 里有 %d 行过长（不是本程序写的），已跳过
std::string JournalLongLines(const std::string& path, int lines);
// A part an earlier run cut a picture into that this run's cut no longer
// has: left where it is, for the user to remove.
std::string SurplusPartKept(const std::string& path);
// Two pictures of a folder that give one output name.
std::string NameClash(const std::string& source, const std::string& output);
// The 完成 question, and where the report is when it was saved.
// The 完成 question: with `failed`, how many pictures were not made as
// asked and where to see them.
std::string Summary(int processed, int failed = 0, const std::string& report = "");
// A folder of the tree that could not be listed (`reading`) or made:
// `what` (kCannotReadSource, kCannotCreateTarget), the folder and why.
std::string FolderError(const char* what, const std::string& folder, platform::WriteProblem problem,
                        bool reading);
// The folders whose names start with a dot, passed over.
std::string HiddenFoldersSkipped(int count);
// Where the run's report is.
std::string ReportAt(const std::string& report);
// The run now watches its source folder.
std::string Watching(const std::string& source);
// The head of an output set's lines in the log.
std::string OutputSetHeading(const std::string& name, const std::string& folder);
// 效果预览 %s：W×H，N KB
std::string PreviewMade(const std::string& path, int width, int height, std::uint64_t bytes);
// The system could not open the preview `file`.
std::string PreviewOpenFailed(const std::string& file);
// Nothing on this system opens a folder or a web page: where it is instead.
// A run stopped at the user's request: what it did and where its report is.
std::string Stopped(int processed, int not_reached, const std::string& report);
// The files of the listed folders the run passed over, told once.
std::string PassedOver(int count);
std::string NothingOpensFolder(const std::string& folder);
std::string NothingOpensPage(const std::string& address);
std::string NothingOpensGuide(const std::string& file);
// Names the file: the user can still open it by hand.
std::string PreviewOpenFailedTwice(const std::string& file);
// The title of the program's own preview window: "效果预览 800×600，95 KB".
std::string PreviewTitle(int width, int height, std::uint64_t bytes);

enum class Watermark { kText, kPicture };
enum class Side { kLeft, kRight, kTop, kBottom };
std::string MarginEmpty(Watermark watermark, Side side);
std::string MarginNotNumber(Watermark watermark, Side side);

// The item list of names: pictures it does not name, lines that name none.
std::string NotOnList(int pictures);
std::string ListLineUnused(int line, const std::string& given);
std::string MarginRange(Watermark watermark, Side side);

}  // namespace lumivane::msg

#endif  // LUMIVANE_ENGINE_RUN_MESSAGES_H_
