#include "engine/picture/jpeg_decoder.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <cstdlib>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <memory>
#include <vector>

#include "platform/large_buffers.h"

namespace lumivane {
namespace {

// What the decoder's message says is wrong with a JPEG's data, in the
// user's words; empty for a warning that is not about damaged data.
std::string JpegDamage(std::string_view message) {
  struct Known {
    const char* said;
    const char* told;
  };
  static constexpr Known kKnown[] = {
      {"premature end of data segment", "数据段提前结束"},
      {"Premature end of JPEG file", "文件提前结束"},
      {"extraneous bytes before marker", "数据中有多余的字节"},
      {"Huffman", "编码数据错误"},
      {"Corrupt JPEG data", "数据有误"},
      {"resync", "数据有误"},
  };
  for (const Known& k : kKnown) {
    if (message.find(k.said) != std::string_view::npos) return k.told;
  }
  return {};
}

// One decoding: the decoder's state and what it said. Lives on the heap so
// that nothing it holds is a local the jump back to the start could lose.
struct Decoding {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  std::jmp_buf stop{};
  bool created = false;
  std::string damage;
  std::string error;
  std::string profile;
  vips::VImage out;
  std::vector<JSAMPLE> rows;
  std::vector<JSAMPROW> row_starts;

  ~Decoding() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

std::string MessageOf(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX] = {};  // the size the decoder writes its messages in
  (*cinfo->err->format_message)(cinfo, text);
  return text;
}

[[noreturn]] void StopOnError(j_common_ptr cinfo) {
  auto* d = static_cast<Decoding*>(cinfo->client_data);
  d->error = MessageOf(cinfo);
  std::longjmp(d->stop, 1);
}

// Warnings (level -1) about the data stop the decoding at once; the
// decoder's trace messages (0 and up) are not wanted.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  ++cinfo->err->num_warnings;
  auto* d = static_cast<Decoding*>(cinfo->client_data);
  d->damage = JpegDamage(MessageOf(cinfo));
  if (!d->damage.empty()) std::longjmp(d->stop, 1);
}

VipsInterpretation InterpretationOf(int bands) {
  return bands == 1 ? VIPS_INTERPRETATION_B_W
                    : (bands == 4 ? VIPS_INTERPRETATION_CMYK : VIPS_INTERPRETATION_sRGB);
}

// The colour profile the file carries; "" when none.
std::string ProfileOf(j_decompress_ptr cinfo) {
  JOCTET* profile = nullptr;
  unsigned length = 0;
  if (!jpeg_read_icc_profile(cinfo, &profile, &length)) return {};
  const std::unique_ptr<JOCTET, decltype(&std::free)> owned(profile, &std::free);
  return std::string(reinterpret_cast<const char*>(profile), length);
}

// The decoded rows into `d.out`: straight into its memory, or a batch at
// a time through a buffer into a temporary file. False (with `d.error`)
// when they cannot be written. Only plain values live here: the decoder's
// errors jump over this frame.
bool ReadRows(Decoding& d, bool staged, bool inverted) {
  j_decompress_ptr cinfo = &d.cinfo;
  VipsImage* out = d.out.get_image();
  const size_t stride = static_cast<size_t>(cinfo->output_width) * cinfo->output_components;
  const int batch = cinfo->rec_outbuf_height;
  if (!staged) platform::PreferLargePages(out->data, stride * cinfo->output_height);
  std::vector<JSAMPROW>& row_starts = d.row_starts;
  row_starts.resize(batch);
  if (staged) d.rows.resize(stride * batch);
  while (cinfo->output_scanline < cinfo->output_height) {
    const int y = static_cast<int>(cinfo->output_scanline);
    const int room = std::min<int>(batch, static_cast<int>(cinfo->output_height) - y);
    for (int i = 0; i < room; ++i) {
      row_starts[i] = staged ? d.rows.data() + stride * i : VIPS_IMAGE_ADDR(out, 0, y + i);
    }
    const int n = static_cast<int>(jpeg_read_scanlines(cinfo, row_starts.data(), room));
    for (int i = 0; i < n; ++i) {
      if (inverted) {
        for (size_t k = 0; k < stride; ++k) row_starts[i][k] = 255 - row_starts[i][k];
      }
      if (staged && vips_image_write_line(out, y + i, row_starts[i]) != 0) {
        d.error = "cannot write the picture";
        return false;
      }
    }
  }
  return true;
}

}  // namespace

DecodedJpeg DecodeJpeg(std::string_view bytes, int shrink, bool staged, double xres, double yres) {
  const auto d = std::make_unique<Decoding>();
  if (setjmp(d->stop)) return {std::nullopt, d->damage, d->error};
  j_decompress_ptr cinfo = &d->cinfo;
  cinfo->err = jpeg_std_error(&d->errors);
  d->errors.error_exit = StopOnError;
  d->errors.emit_message = OnMessage;
  cinfo->client_data = d.get();
  jpeg_create_decompress(cinfo);
  d->created = true;
  jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);
  d->profile = ProfileOf(cinfo);
  cinfo->scale_num = 1;
  cinfo->scale_denom = static_cast<unsigned>(shrink);
  // Inks are kept as inks: the profile, or the library's own, turns them
  // into colours later.
  const bool inks = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  if (inks) cinfo->out_color_space = JCS_CMYK;
  jpeg_start_decompress(cinfo);
  const int bands = cinfo->output_components;
  if (bands != 1 && bands != 3 && bands != 4) {
    d->error = "unsupported components";
    return {std::nullopt, {}, d->error};
  }
  // Written as the writers of such files mean: Adobe's inks are stored
  // inverted.
  const bool inverted = inks && cinfo->saw_Adobe_marker;
  d->out = staged ? vips::VImage::new_temp_file("%s.v")
                  : vips::VImage(vips_image_new_memory(), vips::STEAL);
  VipsImage* out = d->out.get_image();
  vips_image_init_fields(out, static_cast<int>(cinfo->output_width),
                         static_cast<int>(cinfo->output_height), bands, VIPS_FORMAT_UCHAR,
                         VIPS_CODING_NONE, InterpretationOf(bands), xres, yres);
  if (vips_image_write_prepare(out) != 0) {
    d->error = "cannot hold the picture";
    return {std::nullopt, {}, d->error};
  }
  if (!ReadRows(*d, staged, inverted)) return {std::nullopt, {}, d->error};
  // Reads on to the end marker: damage to the last units shows only here.
  jpeg_finish_decompress(cinfo);
  // In memory, the picture is the one copy; a temporary file is read back
  // through a picture of its own, which carries the profile.
  vips::VImage picture = staged ? d->out.copy() : d->out;
  if (!d->profile.empty()) {
    vips_image_set_blob_copy(picture.get_image(), VIPS_META_ICC_NAME, d->profile.data(),
                             d->profile.size());
  }
  return {picture, {}, {}};
}

}  // namespace lumivane
