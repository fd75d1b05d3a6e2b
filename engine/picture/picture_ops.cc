#include "engine/picture/picture_ops.h"

#include <algorithm>
#include <memory>

#include "engine/picture/colour.h"
#include "engine/picture/encoding.h"
#include "engine/picture/font_resolver.h"
#include "engine/picture/output_shape.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/picture_reading.h"
#include "engine/picture/picture_steps.h"
#include "engine/picture/size_cap.h"
#include "engine/picture/size_rule.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

// What the encoder writes when no quality is chosen.
constexpr int kDefaultQuality = 92;
}  // namespace

ResultLabel LabelOf(const PictureResult& r) {
  switch (r.outcome) {
    case PictureOutcome::kReadFailed:
      return {"read_failed", "读取出错"};
    case PictureOutcome::kWriteFailed:
      return {"write_failed", "保存出错"};
    case PictureOutcome::kMarkFailed:
      return {"mark_failed", "水印出错"};
    case PictureOutcome::kSkipped:
      return {"skipped", "已完成"};
    case PictureOutcome::kNameClash:
      return {"name_clash", "重名未保存"};
    case PictureOutcome::kNotReached:
      return {"not_reached", "未处理（中途停止）"};
    case PictureOutcome::kProcessed:
      break;
  }
  // A page without some of its pictures is written, yet not as asked.
  if (!r.left_out.empty()) return {"pictures_left_out", "长图缺少图片"};
  return r.over_limit ? ResultLabel{"over_limit", "超出大小限制"}
                      : ResultLabel{"processed", "完成"};
}

int LargestSide(int format) {
  // JPEG and PNG sizes are 16 and 31 bits; WebP's 14.
  return format == kWebpOutput ? 16383 : format == kPngOutput ? 0x7fffffff : 65535;
}

int OutputQuality(const ProcessingSettings& settings, const PictureSwitches& switches) {
  return switches.quality ? QualityFor(settings.quanlity) : kDefaultQuality;
}

std::string OutputPathFor(const std::string& target_folder, const std::string& file_name,
                          int format) {
  std::string path = platform::JoinPath(target_folder, file_name);
  size_t dot = file_name.rfind('.');
  if (dot == std::string::npos) return path;
  const std::string ext = AsciiLower(std::string_view(file_name).substr(dot));
  const std::string wanted = OutputExtension(format);
  if (ext != wanted && !(format == kJpegOutput && ext == ".jpeg")) path += wanted;
  return path;
}

std::optional<vips::VImage> LoadWatermarkPicture(const std::string& path, int width,
                                                 std::optional<MemoryBudget::Ticket>* hold,
                                                 ReadFailure* failure) {
  ReadOptions options;
  options.failure = failure;
  options.keep_alpha = true;
  options.hold = hold;
  options.encoded = false;
  options.target = NoWiderThan(width);
  auto mark = ReadPicture(path, options);
  // Opaque where it has no alpha of its own, band by band as it is laid:
  // no second copy of a large mark.
  if (mark && !mark->has_alpha()) *mark = mark->bandjoin_const(std::vector<double>{255});
  // What it holds from now on: the mark as kept, not what reading it took.
  if (mark && hold && *hold) {
    (*hold)->ShrinkTo(static_cast<std::uint64_t>(mark->width()) * mark->height() * 4);
  }
  return mark;
}

int WidestMark(const ProcessingSettings& settings, const PictureSwitches& switches,
               const ExtraOperations& extras, const std::vector<std::string>& sources) {
  // A mark at its own size is shrunk to fit any output narrower than it.
  const int percent = extras.mark_width_percent > 0 ? extras.mark_width_percent : 100;
  // The widest output, from the pictures' headers; one that is not told
  // there (a product still to be cut out) is no wider than its picture's
  // longer side, or than the canvas.
  const SizeRule rule = SizeRuleOf(switches.width ? settings.width : 0, extras);
  if (!switches.TurnsSideways() && rule.width > 0) {
    return std::max(1, rule.width * percent / 100);  // none is wider
  }
  int widest = 0;
  for (const std::string& source : sources) {
    const auto size = HeaderSize(source);
    if (!size) return 0;
    const auto shape = PlannedShape(*size, settings, switches, extras);
    widest = std::max(widest, shape ? shape->size.width : std::max(size->width, size->height));
  }
  return std::max(1, static_cast<int>(static_cast<long long>(widest) * percent / 100));
}

namespace {

using reading::EncodingBytes;
using reading::PixelBytes;

// Read (upright, shrunk) and taken through the picture's steps: the
// picture before it is cut into parts. The context's operations lose what
// the picture has no room for. `options` says where its share comes from
// and is held; the steps say the rest.
// How a picture is read for the output `context` makes.
ReadOptions ReadingFor(StepContext& context, ReadOptions options) {
  const ExtraOperations& extras = context.extras;
  options.target = [&context](PictureSize upright) {
    context.original = upright;
    return ReadSize(upright, context);
  };
  options.reduce_only = extras.trim > 0;  // cut first, sized after
  options.step_copies = StepCopies(context);
  options.keep_alpha = extras.format != kJpegOutput;  // PNG and WebP keep transparency
  options.progressive_output = extras.progressive && extras.format == kJpegOutput;
  return options;
}

// A picture read once for several outputs: as decoded, and each output's
// own picture made from it so far, before its steps.
struct SharedReading {
  vips::VImage decoded;
  std::vector<vips::VImage> sized;

  // What an output read with `options` is made from: the smallest picture
  // made so far that is still twice its size each way (as a decoder's
  // reduction leaves it), else the picture as decoded.
  const vips::VImage& Nearest(const ReadOptions& options) const {
    const PictureSize t = options.TargetFor(OriginalSize(decoded));
    const vips::VImage* nearest = &decoded;
    if (options.reduce_only || decoded.has_alpha()) return *nearest;
    for (const vips::VImage& made : sized) {
      if (made.width() >= 2 * t.width && made.height() >= 2 * t.height &&
          made.width() < nearest->width()) {
        nearest = &made;
      }
    }
    return *nearest;
  }
};

// Read (or made from a picture read once for several outputs) and taken
// through the steps.
std::optional<vips::VImage> RenderBase(const std::string& source, StepContext& context,
                                       const ReadOptions& given, SharedReading* shared = nullptr) {
  const ReadOptions options = ReadingFor(context, given);
  std::optional<vips::VImage> picture;
  if (shared) {
    picture = ShapeDecoded(shared->Nearest(options), options);
    shared->sized.push_back(*picture);
  } else {
    picture = ReadPicture(source, options);
  }
  if (!picture) return std::nullopt;
  for (const PictureStep& step : PictureSteps()) {
    if (step.on(context)) *picture = step.apply(*picture, context);
  }
  return picture;
}

// The gap colour of a page, for a picture of `bands`.
std::vector<double> GapColour(const ExtraOperations& extras, int bands) {
  const auto rgb =
      ParseHtmlColour(extras.join_colour).value_or(std::array<double, 3>{255, 255, 255});
  std::vector<double> gap(rgb.begin(), rgb.end());
  if (bands == 4) gap.push_back(255);
  return gap;
}

// The width a page is made at: the width asked (the window's, --width, a
// preset's), else its first picture's (0: not known yet).
int AskedPageWidth(const StepContext& page) {
  const SizeRule rule = page.Rule();
  return rule.width > 0 && !rule.exact ? rule.width : 0;
}

// A page's memory: its pictures as they lie in it, each read in turn
// within what is left of it, and its largest part's encoding.
class PageMemory {
 public:
  // Waits, holding nothing, for the share of a page of `sources` (none
  // when it can never fit: `failure` says so).
  static std::optional<PageMemory> For(const std::vector<std::string>& sources,
                                       const StepContext& page, ReadFailure& failure);
  MemoryBudget& Pieces() { return *pieces_; }
  // The page's share, held until its last part is written.
  MemoryBudget::Ticket TakeShare() { return std::move(*share_); }

 private:
  explicit PageMemory(MemoryBudget::Ticket share)
      : share_(std::move(share)), pieces_(std::make_unique<MemoryBudget>(share_->bytes(), false)) {}

  std::optional<MemoryBudget::Ticket> share_;
  std::unique_ptr<MemoryBudget> pieces_;
};

// Upright size from the header, or (a format whose header this program
// does not read itself) from the imaging library's reading of it.
std::optional<PictureSize> UprightSize(const std::string& source) {
  if (auto size = HeaderSize(source)) return size;
  const auto bytes = platform::ReadRegularFile(source, 512ull << 20);
  if (!bytes) return std::nullopt;
  try {
    const vips::VImage header = vips::VImage::new_from_buffer(bytes->data(), bytes->size(), "");
    const bool side =
        header.get_typeof(VIPS_META_ORIENTATION) != 0 && header.get_int(VIPS_META_ORIENTATION) >= 5;
    return side ? PictureSize{header.height(), header.width()}
                : PictureSize{header.width(), header.height()};
  } catch (const vips::VError&) {
    return std::nullopt;  // left out when it is read
  }
}

std::optional<PageMemory> PageMemory::For(const std::vector<std::string>& sources,
                                          const StepContext& page, ReadFailure& failure) {
  const std::uint64_t bands = page.extras.format == kJpegOutput ? 3 : 4;
  std::uint64_t kept = 0, reading = 0, width = 0, high = 0;
  for (const std::string& source : sources) {
    const auto size = UprightSize(source);
    if (!size) continue;
    const auto shape = PlannedShape(*size, page.settings, page.switches, page.extras);
    const PictureSize made = shape ? shape->size : *size;
    if (width == 0) {  // as asked, else the first's
      const int asked = AskedPageWidth(page);
      width = static_cast<std::uint64_t>(asked > 0 ? asked : made.width);
    }
    const std::uint64_t rows = (made.height * width + made.width - 1) / made.width;
    kept += PixelBytes(width, rows, bands);
    high += rows + page.extras.join_gap;
    // A reading holds the file, its decoded picture and its upright copy.
    const std::uint64_t file =
        platform::StampRegularFile(source, true).value_or(platform::FileStamp{}).size;
    reading = std::max(reading, file + 2 * PixelBytes(size->width, size->height, bands));
  }
  // Too tall for its format as one picture: told before any is read.
  if (page.extras.slice_height <= 0 &&
      high > static_cast<std::uint64_t>(LargestSide(page.extras.format))) {
    failure = {ReadProblem::kTooLarge, static_cast<int>(width),
               static_cast<int>(std::min<std::uint64_t>(high, 1u << 30)), 0,
               "拼成的长图 " + std::to_string(width) + "×" + std::to_string(high)};
    return std::nullopt;
  }
  const std::uint64_t part =
      page.extras.slice_height > 0 ? std::min<std::uint64_t>(high, page.extras.slice_height) : high;
  ReadOptions encoded;
  const std::uint64_t encoding = EncodingBytes(encoded, width * part);
  const std::uint64_t room = MemoryBudget::ForPictures().Room();
  if (kept + encoding > room) {
    failure = {ReadProblem::kNoMemory, 0, 0, kept + encoding, "拼接成一张长图"};
    return std::nullopt;
  }
  // What the readings may use beyond the pictures kept: as much as the
  // largest needs, where the budget has it (one that does not fit is left
  // out of the page, and told).
  const std::uint64_t need = std::min(room, kept + std::max(reading, encoding));
  auto share = MemoryBudget::ForPictures().Acquire(need);
  if (!share) {
    failure = {ReadProblem::kNoMemory, 0, 0, need, "拼接成一张长图"};
    return std::nullopt;
  }
  return PageMemory(std::move(*share));
}

// One of a page's pictures taken through the picture steps at the page's
// `width` (a wider one shrunk to it, a narrower one, not enlarged unless
// asked, in the middle of the gap colour), in memory, its share of the page's
// memory held in `held`: the page holds only pictures this small, never
// their files' pixels. None (`failure` says why) when it cannot be read.
std::optional<vips::VImage> PagePiece(const std::string& source, const StepContext& page, int width,
                                      PageMemory& memory, std::optional<MemoryBudget::Ticket>& held,
                                      PictureResult& result, ReadFailure& failure) {
  try {
    ExtraOperations own = page.extras;
    StepContext context{page.settings, page.switches, own, &result.untrimmed};
    ReadOptions options;
    options.failure = &failure;
    options.budget = &memory.Pieces();
    options.hold = &held;
    options.encoded = false;  // the page is encoded, in the page's share
    auto piece = RenderBase(source, context, options);
    if (!piece) return std::nullopt;
    result.unframed = result.unframed || context.unframed;
    result.ground_kept = result.ground_kept || context.ground_kept;
    if (width > 0 && piece->width() > width) {
      piece = piece->resize(static_cast<double>(width) / piece->width());
      piece = piece->embed(0, 0, width, std::max(1, piece->height()),
                           vips::VImage::option()->set("extend", VIPS_EXTEND_COPY));
    } else if (width > 0 && piece->width() < width) {
      piece = piece->embed((width - piece->width()) / 2, 0, width, piece->height(),
                           vips::VImage::option()
                               ->set("extend", VIPS_EXTEND_BACKGROUND)
                               ->set("background", GapColour(page.extras, piece->bands())));
    }
    // From here it holds what it keeps in the page.
    const std::uint64_t kept = PixelBytes(piece->width(), piece->height(), piece->bands());
    if (held && kept > held->bytes() && !held->TryGrow(kept - held->bytes())) {
      failure.problem = ReadProblem::kNoMemory;
      return std::nullopt;
    }
    *piece = piece->copy_memory();
    if (held) held->ShrinkTo(kept);
    return piece;
  } catch (const vips::VError&) {
    failure.problem = ReadProblem::kDamaged;
    return std::nullopt;
  }
}

// The readable `sources` one under another, `join_gap` rows of the gap
// colour between (each at its own height: a grid's cells would all be the
// tallest's), within the page's share, then held in `ticket`; none when
// not one of them could be read. With `enough`, no more are read once the
// page is that high.
std::optional<vips::VImage> JoinedPage(const std::vector<std::string>& sources,
                                       const StepContext& page, PictureResult& result,
                                       std::optional<MemoryBudget::Ticket>& ticket,
                                       int enough = 0) {
  auto memory = PageMemory::For(sources, page, result.read_failure);
  if (!memory) return std::nullopt;
  std::vector<vips::VImage> pieces;
  // Before the pieces' shares: given back into the page's memory first.
  std::vector<std::optional<MemoryBudget::Ticket>> held;
  PictureSize original{0, 0};  // the pictures' own, stacked
  int high = 0;
  for (const std::string& source : sources) {
    if (enough > 0 && high >= enough) break;
    ReadFailure why;
    const int width = pieces.empty() ? AskedPageWidth(page) : pieces.front().width();
    held.emplace_back();
    auto piece = PagePiece(source, page, width, *memory, held.back(), result, why);
    if (!piece) {
      result.left_out.push_back({source, why});
      continue;
    }
    const PictureSize own = OriginalSize(*piece);
    original.width = std::max(original.width, own.width);
    original.height += own.height;
    high += piece->height() + (pieces.empty() ? 0 : page.extras.join_gap);
    pieces.push_back(std::move(*piece));
  }
  if (pieces.empty()) {
    result.read_failure = result.left_out.empty() ? ReadFailure{} : result.left_out.front().why;
    return std::nullopt;
  }
  held.clear();
  ticket.emplace(memory->TakeShare());
  // Transparent only where one of its pictures is: an opaque page keeps
  // no alpha band.
  if (std::any_of(pieces.begin(), pieces.end(), [](const auto& p) { return p.bands() == 4; })) {
    for (vips::VImage& piece : pieces) {
      if (piece.bands() == 3) piece = piece.bandjoin_const({255});
    }
  }
  const std::vector<double> gap = GapColour(page.extras, pieces.front().bands());
  // Halves joined in turn: no piece is more than a few joins deep.
  std::function<vips::VImage(size_t, size_t)> stack = [&](size_t from, size_t to) {
    if (to - from == 1) return pieces[from];
    const size_t middle = from + (to - from) / 2;
    return stack(from, middle)
        .join(stack(middle, to), VIPS_DIRECTION_VERTICAL,
              vips::VImage::option()->set("shim", page.extras.join_gap)->set("background", gap));
  };
  vips::VImage joined = stack(0, pieces.size());
  SetOriginalSize(joined, original);
  return joined;
}

// The text mark with the picture's tokens, at the size of the output (a
// part's own, as its name has) it is laid on.
std::optional<PrintedText> PrintedMark(const StepContext& context, const TokenValues* tokens,
                                       PictureSize size) {
  if (!tokens || !context.switches.text_watermark) return std::nullopt;
  TokenValues values = *tokens;
  values.width = size.width;
  values.height = size.height;
  std::string text = ExpandedText(context.settings.sy_text, values);
  // A file or folder name may bring characters the chosen face lacks.
  FontChoice font = FontShowing(context.settings.sy_text_font, text);
  return PrintedText{std::move(text), std::move(font)};
}

}  // namespace

std::optional<CappedJpeg> EncodeOutput(const vips::VImage& part, const ExtraOperations& extras,
                                       int quality) {
  if (extras.max_kb > 0) {
    return EncodeWithin(part, quality, static_cast<std::uint64_t>(extras.max_kb) * 1024,
                        extras.format, extras.progressive);
  }
  auto bytes = EncodePicture(part, extras.format, quality, extras.progressive);
  if (!bytes) return std::nullopt;
  return CappedJpeg{std::move(*bytes), quality, false, 1};
}

namespace {

// The outputs' names: the namer's, else `output` and its numbered parts.
NamedOutputs NameOutputs(const std::string& output, const OutputNamer& namer, PictureSize size,
                         const std::vector<int>& heights) {
  if (namer) return namer(size, heights);
  const int parts = static_cast<int>(heights.size());
  NamedOutputs named;
  named.name = output;
  for (int i = 1; i <= parts; ++i) {
    named.paths.push_back(parts == 1 ? output : SlicePath(output, i));
  }
  return named;
}

// Every part written whole before any is put in place. False when one
// could not be: `outputs` then ends with it.
bool CommitAll(std::vector<std::optional<platform::PreparedFile>>& written,
               std::vector<std::string>& outputs) {
  for (size_t i = 0; i < written.size(); ++i) {
    if (!written[i]->Commit()) {
      outputs.resize(i + 1);
      return false;
    }
  }
  return true;
}

// A preview's stop: the first part, finished as a run finishes it, is
// kept here rather than encoded and written.
struct PreviewStop {
  bool decoder_may_reduce = true;
  std::optional<vips::VImage> part;
};

// The picture before it is cut, taken through its steps in `context`;
// none when it cannot be read (`result` then says why). Its memory is held
// in `ticket` until its last part is written. A preview reads no more of a
// page than its first part shows.
std::optional<vips::VImage> BaseOf(const OutputSources& sources, StepContext& context,
                                   std::optional<MemoryBudget::Ticket>& ticket,
                                   PictureResult& result, const PreviewStop* preview,
                                   SharedReading* shared) {
  if (sources.page) {
    const int slice = context.extras.slice_height;
    const int enough = preview != nullptr && slice > 0 ? 2 * slice + 1 : 0;
    return JoinedPage(sources.pictures, context, result, ticket, enough);
  }
  ReadOptions options;
  options.hold = &ticket;
  options.failure = &result.read_failure;
  if (preview != nullptr) options.decoder_may_reduce = preview->decoder_may_reduce;
  return RenderBase(sources.pictures.front(), context, options, shared);
}

// The one way a picture is made, for a run and a preview alike: the
// sources' picture cut into parts, each finished, encoded and written; a
// preview stops at its first part, finished.
PictureResult MakeOutputs(const OutputSources& sources, const std::string& output,
                          const ProcessingSettings& settings, const PictureSwitches& switches,
                          const vips::VImage* watermark, const ExtraOperations& asked,
                          const OutputNamer& namer, const TokenValues* tokens,
                          PreviewStop* preview = nullptr, SharedReading* shared = nullptr) {
  PictureResult result;
  ExtraOperations extras = asked;
  std::optional<MemoryBudget::Ticket> ticket;
  try {
    StepContext context{settings, switches, extras, &result.untrimmed};
    const auto base = BaseOf(sources, context, ticket, result, preview, shared);
    if (!base) return result;
    result.original = OriginalSize(*base);
    result.unframed = result.unframed || context.unframed;
    result.ground_kept = result.ground_kept || context.ground_kept;
    const OutputShape shape = PartsShape({base->width(), base->height()}, extras);
    const std::vector<int>& heights = shape.part_heights;
    result.size = shape.size;
    bool marked = true;
    if (preview != nullptr) {
      context.printed = PrintedMark(context, tokens, {shape.size.width, heights.front()});
      preview->part = FinishedPart(*base, 0, heights.front(), context, watermark, marked);
      result.outcome = marked ? PictureOutcome::kProcessed : PictureOutcome::kMarkFailed;
      return result;
    }
    const int quality = OutputQuality(settings, switches);
    result.quality = quality;
    int top = 0;
    std::vector<std::optional<platform::PreparedFile>> written;
    NamedOutputs named = NameOutputs(output, namer, result.size, heights);
    if (!named.taken.empty()) {  // "a_01.jpg" may be the output of a picture of that name
      result.outputs = {std::move(named.taken)};
      result.outcome = PictureOutcome::kNameClash;
      return result;
    }
    result.output = named.name;
    for (size_t i = 0; i < heights.size(); ++i) {
      // Each part carries the marks at their places, as a picture of its
      // own: its text tells its own size, as its name does.
      context.printed = PrintedMark(context, tokens, {shape.size.width, heights[i]});
      const vips::VImage part = FinishedPart(*base, top, heights[i], context, watermark, marked);
      top += heights[i];
      std::optional<CappedJpeg> jpeg = EncodeOutput(part, extras, quality);
      const std::string& path = named.paths[i];
      result.outputs.push_back(path);
      if (jpeg) written.push_back(platform::PreparedFile::Write(path, jpeg->bytes));
      if (!jpeg || !written.back()) {
        result.too_large_for_format =
            !jpeg && std::max(part.width(), part.height()) > LargestSide(extras.format);
        if (jpeg) result.write_problem = platform::LastWriteProblem();
        result.outcome = PictureOutcome::kWriteFailed;
        return result;  // no part put in place
      }
      result.sizes.push_back(jpeg->bytes.size());
      result.bytes += jpeg->bytes.size();
      result.quality = std::min(result.quality, jpeg->quality);
      result.over_limit = result.over_limit || jpeg->over_limit;
    }
    if (extras.format == kPngOutput) result.quality = 0;  // lossless: no quality to tell
    result.mark_shrunk = context.mark_shrunk;
    result.text_shrunk = context.text_shrunk;
    auto put = [&] { return CommitAll(written, result.outputs); };
    const std::optional<bool> kept = named.commit ? named.commit(put) : put();
    if (!kept) {  // an earlier picture of the folder took the name meanwhile
      result.outputs = {named.paths.front()};
      result.outcome = PictureOutcome::kNameClash;
      return result;
    }
    const bool committed = *kept;
    if (!committed) result.write_problem = platform::LastWriteProblem();
    result.outcome = !committed ? PictureOutcome::kWriteFailed
                     : marked   ? PictureOutcome::kProcessed
                                : PictureOutcome::kMarkFailed;
  } catch (const vips::VError&) {
    result.outcome = PictureOutcome::kReadFailed;
  }
  return result;
}

}  // namespace

PictureResult ProcessOutput(const OutputSources& sources, const std::string& output,
                            const ProcessingSettings& settings, const PictureSwitches& switches,
                            const vips::VImage* watermark, const ExtraOperations& extras,
                            const OutputNamer& namer, const TokenValues* tokens) {
  return MakeOutputs(sources, output, settings, switches, watermark, extras, namer, tokens);
}

PictureResult ProcessOnePicture(const std::string& source, const std::string& output,
                                const ProcessingSettings& settings, const PictureSwitches& switches,
                                const vips::VImage* watermark, const ExtraOperations& extras,
                                const OutputNamer& namer, const TokenValues* tokens) {
  return MakeOutputs({{source}}, output, settings, switches, watermark, extras, namer, tokens);
}

std::vector<PictureResult> ProcessOutputSets(const std::string& source,
                                             const std::vector<OutputOrder>& orders) {
  std::vector<PictureResult> results;
  auto make = [&](const OutputOrder& o, SharedReading* shared) {
    return MakeOutputs({{source}}, o.output, o.settings, o.switches, o.watermark, o.extras, o.namer,
                       o.tokens, nullptr, shared);
  };
  if (orders.size() == 1) {
    results.push_back(make(orders.front(), nullptr));
    return results;
  }
  // Read once, at the largest any output is read at, with every copy the
  // outputs' steps hold beside it (one output is made at a time) and each
  // output's own picture made from it, kept for the smaller ones.
  std::vector<ExtraOperations> extras;
  for (const OutputOrder& o : orders) extras.push_back(o.extras);
  std::vector<StepContext> contexts;
  for (size_t i = 0; i < orders.size(); ++i) {
    contexts.push_back(StepContext{orders[i].settings, orders[i].switches, extras[i]});
  }
  std::optional<MemoryBudget::Ticket> ticket;
  ReadFailure failure;
  ReadOptions shared;
  shared.keep_decoded = true;
  shared.hold = &ticket;
  shared.failure = &failure;
  for (StepContext& context : contexts) {
    const ReadOptions own = ReadingFor(context, {});
    shared.keep_alpha = shared.keep_alpha || own.keep_alpha;
    shared.progressive_output = shared.progressive_output || own.progressive_output;
    shared.step_copies = std::max(shared.step_copies, own.step_copies);
  }
  shared.step_copies += static_cast<int>(orders.size());
  shared.target = [&contexts](PictureSize upright) {
    PictureSize largest{0, 0};
    for (StepContext& context : contexts) {
      const PictureSize t = ReadSize(upright, context);
      if (static_cast<std::int64_t>(t.width) * t.height >
          static_cast<std::int64_t>(largest.width) * largest.height) {
        largest = t;
      }
    }
    return largest;
  };
  std::optional<SharedReading> reading;
  try {
    if (auto decoded = ReadPicture(source, shared)) reading.emplace(SharedReading{*decoded, {}});
  } catch (const vips::VError&) {
    failure.problem = ReadProblem::kDamaged;
  }
  results.resize(orders.size());
  if (!reading && failure.problem != ReadProblem::kNoMemory) {
    for (PictureResult& result : results) result.read_failure = failure;
    return results;
  }
  // The largest first: a smaller one may be made from its picture. Told
  // in the order asked.
  std::vector<size_t> order(orders.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (reading) {
    const PictureSize upright = OriginalSize(reading->decoded);
    std::vector<std::int64_t> area;
    for (StepContext& context : contexts) {
      const PictureSize t = ReadSize(upright, context);
      area.push_back(static_cast<std::int64_t>(t.width) * t.height);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&area](size_t a, size_t b) { return area[a] > area[b]; });
  }
  // Too large to keep whole: each output reads it as it alone needs.
  for (const size_t i : order) results[i] = make(orders[i], reading ? &*reading : nullptr);
  return results;
}

std::optional<vips::VImage> RenderPicture(const OutputSources& sources,
                                          const ProcessingSettings& settings,
                                          const PictureSwitches& switches,
                                          const vips::VImage* watermark,
                                          const ExtraOperations& extras, const TokenValues* tokens,
                                          bool* mark_failed, bool decoder_may_reduce) {
  PreviewStop preview{decoder_may_reduce, std::nullopt};
  const PictureResult made =
      MakeOutputs(sources, "", settings, switches, watermark, extras, nullptr, tokens, &preview);
  if (mark_failed) *mark_failed = made.outcome == PictureOutcome::kMarkFailed;
  return preview.part;
}

}  // namespace lumivane
