#include "engine/picture/picture_io.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>
#include <vector>

#include "engine/picture/code_generator_lock.h"
#include "engine/picture/encoding.h"
#include "engine/picture/heic_support.h"
#include "engine/picture/jpeg_header.h"
#include "engine/picture/memory_budget.h"
#include "engine/picture/picture_ops.h"
#include "engine/run/folder_scan.h"
#include "platform/file_system.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

// A valid-looking PNG whose header declares w x h grey pixels, all zero.
std::string PngDeclaring(uint32_t w, uint32_t h, size_t rows_of_data) {
  std::string ihdr = Be32(w) + Be32(h) + std::string("\x08\x00\x00\x00\x00", 5);
  std::string raw(rows_of_data * (w + 1), '\0');
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string z(size, '\0');
  compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  z.resize(size);
  return "\x89PNG\r\n\x1a\n" + PngChunk("IHDR", ihdr) + PngChunk("IDAT", z) + PngChunk("IEND", "");
}

std::string NoisyJpeg(TempDir& dir) {
  std::string path = dir / "noisy.jpg";
  SavePicture(WithNoise(MakePicture(300, 300, "gray")), path, "JPEG", 90);
  return ReadWholeFile(path);
}

// A photograph's data damaged as files are: bytes overwritten in the
// middle of its scan, or cut short and closed. The decoder only warns and
// goes on, smearing the rest: such a picture is refused, with the reason.
TEST(ReadPictureTest, DamagedDataIsRefusedNotSmeared) {
  TempDir dir;
  const vips::VImage xy = vips::VImage::xyz(1200, 900);
  const vips::VImage pattern = ((xy[0] * 7 + xy[1] * 3).sin() * 60 + xy[1] / 9 + 60);
  SavePicture(vips::VImage::bandjoin({pattern, pattern * 0.8 + 20, xy[0] / 6})
                  .cast(VIPS_FORMAT_UCHAR)
                  .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
              dir / "photo.jpg", "JPEG", 90);
  const std::string sound = ReadWholeFile(dir / "photo.jpg");
  std::string overwritten = sound;
  unsigned seed = 3;
  for (size_t i = sound.size() / 2; i < sound.size() / 2 + 1500; ++i) {
    overwritten[i] = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
  }
  // Cut short and closed, as a copy that was stopped leaves it.
  const std::string closed = sound.substr(0, sound.size() * 3 / 5) + "\xFF\xD9";
  for (const auto& [name, bytes] :
       {std::pair{"overwritten.jpg", overwritten}, {"closed.jpg", closed}}) {
    const std::string src = dir.WriteFile(name, bytes);
    const PictureResult r = ProcessOnePicture(src, dir / "out.jpg", {}, {}, nullptr);
    EXPECT_EQ(r.outcome, PictureOutcome::kReadFailed) << name;
    EXPECT_EQ(static_cast<int>(r.read_failure.problem), static_cast<int>(ReadProblem::kDamaged));
    EXPECT_FALSE(r.read_failure.what.empty()) << name;
    EXPECT_FALSE(FileExists(dir / "out.jpg")) << name;
  }
  EXPECT_EQ(ProcessOnePicture(dir / "photo.jpg", dir / "out.jpg", {}, {}, nullptr).outcome,
            PictureOutcome::kProcessed);

  // A few bytes changed, read by the decoder without stopping (it shifts
  // the colour of the rest, or warns only as it finishes): refused too,
  // whole or shrunk.
  const vips::VImage whole = *LoadForTest(dir / "photo.jpg");
  int found = 0, shifted = 0;
  for (size_t at = sound.size() / 3; at < sound.size() * 2 / 3 && found < 3; at += 331) {
    std::string changed = sound;
    for (size_t i = at; i < at + 8; ++i) changed[i] = static_cast<char>((changed[i] ^ 0x5A) & 0xFE);
    const std::string src = dir.WriteFile("changed.jpg", changed);
    try {
      const vips::VImage read = vips::VImage::new_from_buffer(
                                    changed.data(), changed.size(), "",
                                    vips::VImage::option()->set("fail_on", VIPS_FAIL_ON_WARNING))
                                    .copy_memory();
      if ((read - whole).abs().avg() < 8) continue;
    } catch (const vips::VError&) {
      continue;  // stopped on the warning: the case above
    }
    ++found;
    for (int width : {0, 600}) {
      ReadFailure why;
      ReadOptions options;
      options.target = NoWiderThan(width);
      options.failure = &why;
      EXPECT_FALSE(ReadPicture(src, options)) << at << " at width " << width;
      EXPECT_EQ(static_cast<int>(why.problem), static_cast<int>(ReadProblem::kDamaged)) << at;
      shifted += why.what == "数据中有错误的字节，后面的颜色整段错位";
    }
  }
  EXPECT_EQ(found, 3);
  EXPECT_GE(shifted, 2);
}

// Damage belongs to the picture: whatever loaders ran before (a phone's
// HEIC among them), on whatever thread, and wherever the decoder finds it,
// mid-scan or only at the end marker (units left over before it).
TEST(ReadPictureTest, DamageIsThePicturesWhateverWasReadBeforeAndWherever) {
  TempDir dir;
  for (const char* format : {"HEIC", "WEBP", "GIF", "TIFF", "PNG"}) {
    const std::string src = dir / (std::string("first.") + format);
    SavePicture(MakePicture(64, 48, "red"), src, format, 0);
    ASSERT_EQ(ReadPicture(src).has_value(), std::string(format) != "HEIC" || SystemDecodesHevc())
        << format;
  }
  const std::string sound = NoisyJpeg(dir);
  std::string overwritten = sound;
  std::fill(overwritten.begin() + sound.size() / 2, overwritten.begin() + sound.size() / 2 + 900,
            '\0');
  // Units the decoder did not need, as a flipped bit in a code leaves: more
  // than it reads ahead.
  const std::string left_over =
      sound.substr(0, sound.size() - 2) + std::string(64, '\x12') + "\xFF\xD9";
  const std::string mid = dir.WriteFile("mid.jpg", overwritten);
  const std::string end = dir.WriteFile("end.jpg", left_over);
  for (const int threads : {1, 2}) {
    std::atomic<int> refused = 0;
    std::vector<std::thread> readers;
    for (int t = 0; t < threads; ++t) {
      readers.emplace_back([&] {
        for (const std::string& src : {mid, end}) {
          ReadFailure why;
          ReadOptions options;
          options.failure = &why;
          refused += !ReadPicture(src, options) && why.problem == ReadProblem::kDamaged;
        }
      });
    }
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(refused, 2 * threads) << threads << " at once";
  }
  EXPECT_TRUE(ReadPicture(dir.WriteFile("sound.jpg", sound)));
}

TEST(ReadPictureTest, BrokenAndHostilePicturesAreReadFailuresAndNothingHangs) {
  TempDir dir;
  const std::string good_jpeg = NoisyJpeg(dir);
  MakePictureFile(dir / "ok.png", 20, 20, "red", "PNG");
  std::string bad_crc_png = ReadWholeFile(dir / "ok.png");
  bad_crc_png[bad_crc_png.find("IDAT") + 6] ^= 0x55;
  std::string bmp_huge("BM", 2);
  bmp_huge += std::string(12, '\0');
  bmp_huge += std::string("\x28\0\0\0", 4) + std::string("\xa0\x86\x01\0", 4) +
              std::string("\xa0\x86\x01\0", 4) + std::string("\x01\0\x18\0", 4) +
              std::string(24, '\0') + std::string(64, '\x7f');
  bmp_huge[10] = 54;
  // Sound JPEGs of kinds the decoder does not read: 12 bits a sample, lossless.
  const size_t frame = good_jpeg.find(std::string("\xFF\xC0", 2));
  ASSERT_NE(frame, std::string::npos);
  std::string twelve_bit = good_jpeg, lossless = good_jpeg;
  twelve_bit[frame + 4] = 12;
  lossless[frame + 1] = '\xC3';

  using enum ReadProblem;
  struct Case {
    const char* name;
    std::string bytes;
    ReadProblem why = kDamaged;  // what the log line tells
  } cases[] = {
      {"zero.jpg", "", kEmpty},
      {"header_only.jpg", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11)},
      {"truncated.jpg", good_jpeg.substr(0, good_jpeg.size() / 2)},
      {"text.jpg", "just some text, not a picture\n", kNotAPicture},
      {"svg.jpg", "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'/>", kNotAPicture},
      {"mvg.jpg", "viewbox 0 0 10 10 fill red rectangle 0,0 10,10", kNotAPicture},
      {"bad_crc.png", bad_crc_png},
      {"huge.png", PngDeclaring(65535, 65535, 1), kTooLarge},
      {"bomb.png", PngDeclaring(12000, 12000, 12000), kTooLarge},
      {"huge.bmp", bmp_huge, kTooLarge},
      {"gif_no_frame.jpg", "GIF89a\x01\0\x01\0\0\0\0;"},
      {"webp_cut.jpg", std::string("RIFF\x40\0\0\0WEBPVP8 \x30\0\0\0", 20)},
      {"video.jpg", std::string("\0\0\0\x18"
                                "ftypmp42\0\0\0\0mp42isom",
                                24)},
      {"tiff_cut.jpg", std::string("II*\0\x08\0\0\0\x01\0", 10)},
      {"twelve_bit.jpg", twelve_bit, kUnsupported},
      {"lossless.jpg", lossless, kUnsupported},
      // A few hundred bytes claiming 30000 x 65000, progressive: its decoder
      // would hold every coefficient at full size.
      {"bomb.jpg",
       std::string("\xFF\xD8\xFF\xC2\0\x11\x08\xFD\xE8\x75\x30\x03"
                   "\x01\x22\0\x02\x11\x01\x03\x11\x01\xFF\xD9",
                   23) +
           std::string(547, '\0'),
       kTooLarge},
  };
  for (const auto& c : cases) {
    std::string src = dir.WriteFile(c.name, c.bytes);
    std::string out = dir / (std::string("out_") + c.name);
    auto start = std::chrono::steady_clock::now();
    const PictureResult r = ProcessOnePicture(src, out, {}, {}, nullptr);
    EXPECT_EQ(r.outcome, PictureOutcome::kReadFailed) << c.name;
    EXPECT_EQ(static_cast<int>(r.read_failure.problem), static_cast<int>(c.why)) << c.name;
    if (c.why == kUnsupported) {
      EXPECT_FALSE(r.read_failure.what.empty()) << c.name;
    }
    EXPECT_FALSE(FileExists(out)) << c.name;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.name;
  }
#ifndef _WIN32
  // A FIFO must neither block nor count.
  ASSERT_EQ(mkfifo((dir / "fifo.jpg").c_str(), 0600), 0);
  EXPECT_EQ(ProcessOnePicture(dir / "fifo.jpg", dir / "o.jpg", {}, {}, nullptr).outcome,
            PictureOutcome::kReadFailed);
#endif
  // The intact originals of the damaged ones still read.
  EXPECT_TRUE(ReadPicture(dir / "ok.png"));
}

TEST(ProcessOnePictureMetadataTest, ExifOrientedPictureComesOutUprightWithoutPrivateData) {
  TempDir dir;
  std::string src = dir.WriteFile("camera.jpg", JpegWithExifOrientation6(dir / "exif_src.jpg"));
  ASSERT_EQ(ReadJpegHeader(ReadWholeFile(src))->orientation, 6);
  std::string out = dir / "out.jpg";
  ASSERT_EQ(ProcessOnePicture(src, out, {}, {}, nullptr).outcome, PictureOutcome::kProcessed);
  auto w = LoadForTest(out);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->width(), 20);
  EXPECT_EQ(w->height(), 40);
  EXPECT_TRUE(IsNear(PixelAt(*w, 10, 5), 1, 0, 0, 0.2));   // red now on top
  EXPECT_TRUE(IsNear(PixelAt(*w, 10, 35), 0, 0, 1, 0.2));  // blue below
  const std::string written = ReadWholeFile(out);
  EXPECT_EQ(written.find("taken at home"), std::string::npos);
  EXPECT_EQ(written.find(std::string("N\0\0\0", 4)), std::string::npos) << "GPS kept";
  EXPECT_EQ(ReadJpegHeader(written)->orientation, 1);
}

// Thinner than the decoder's reduction, or with a harmless warning in it:
// each is read, and no picture can end the run.
TEST(ReadPictureTest, ThinPicturesAndStrayBytesBeforeAMarkerAreRead) {
  TempDir dir;
  struct Case {
    int w, h, width;
  } cases[] = {{5000, 1, 640}, {5121, 2, 640}, {5121, 2, 100},
               {1000, 3, 1},   {1281, 3, 1},   {2561, 7, 1}};
  for (const Case& c : cases) {
    for (const char* format : {"JPEG", "PNG", "BMP"}) {
      const std::string src = dir / (std::string("thin.") + format);
      SavePicture(MakePicture(c.w, c.h, "teal"), src, format, 90);
      ReadOptions options;
      options.target = NoWiderThan(c.width);
      const auto picture = ReadPicture(src, options);
      ASSERT_TRUE(picture) << c.w << "x" << c.h << " " << format;
      EXPECT_EQ(PictureSize({picture->width(), picture->height()}), ShrunkSize(c.w, c.h, c.width))
          << c.w << "x" << c.h << " " << format;
    }
  }
  // "Corrupt JPEG data: 3 extraneous bytes before marker 0xdb": every
  // reader shows it, with the same pixels.
  std::string jpeg = NoisyJpeg(dir);
  jpeg.insert(jpeg.find("\xFF\xDB"), std::string(3, '\0'));
  const std::string stray = dir.WriteFile("stray.jpg", jpeg);
  EXPECT_EQ(ProcessOnePicture(stray, dir / "o.jpg", {}, {}, nullptr).outcome,
            PictureOutcome::kProcessed);
}

TEST(ReadPictureTest, SixteenBitPicturesAreConvertedThroughTheirProfile) {
  TempDir dir;
  // Pure green in Display P3, 16 bits a channel, opaque and half transparent.
  const vips::VImage p3 =
      MakePicture(8, 8, "#00ff00")
          .icc_export(vips::VImage::option()->set("output_profile", "p3")->set("depth", 16));
  ASSERT_EQ(p3.format(), VIPS_FORMAT_USHORT);
  SavePicture(p3, dir / "p3.png", "PNG");
  SavePicture(p3.bandjoin_const({32768}), dir / "p3_half.png", "PNG");
  auto opaque = ReadPicture(dir / "p3.png");
  auto half = ReadPicture(dir / "p3_half.png");
  ASSERT_TRUE(opaque && half);
  EXPECT_TRUE(IsNear(PixelAt(*opaque, 4, 4), 0, 1, 0, 0.03));
  EXPECT_TRUE(IsNear(PixelAt(*half, 4, 4), 0.5, 1, 0.5, 0.03));  // laid on white
}

std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

// What other programs read right: a JFIF header with the resolution, no
// profile that does not parse, a BMP whose alpha bytes are all zero opaque.
TEST(ProcessOnePictureMetadataTest, OutputsOtherProgramsReadRight) {
  TempDir dir;
  const std::string out = dir / "out.jpg";
  SavePicture(MakePicture(16, 16, "blue"), dir / "plain.png", "PNG");
  ASSERT_EQ(ProcessOnePicture(dir / "plain.png", out, {}, {}, nullptr).outcome,
            PictureOutcome::kProcessed);
  EXPECT_EQ(ReadWholeFile(out).substr(2, 18),
            std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x01\x00\x48\x00\x48\x00\x00", 18));
  vips::VImage fine =
      MakePicture(16, 16, "blue")
          .copy(vips::VImage::option()->set("xres", 300 / 25.4)->set("yres", 300 / 25.4));
  SavePicture(fine, dir / "fine.png", "PNG");
  ASSERT_EQ(ProcessOnePicture(dir / "fine.png", out, {}, {}, nullptr).outcome,
            PictureOutcome::kProcessed);
  EXPECT_EQ(ReadWholeFile(out).substr(14, 4), std::string("\x01\x2C\x01\x2C", 4));  // 300 dpi

  SavePicture(MakePicture(16, 16, "blue"), dir / "blue.jpg", "JPEG");
  const std::string icc = std::string("ICC_PROFILE\0\x01\x01", 14) + std::string(300, 'x');
  std::string junk = ReadWholeFile(dir / "blue.jpg");
  junk.insert(2, "\xFF\xE2" +
                     std::string{static_cast<char>((icc.size() + 2) >> 8),
                                 static_cast<char>((icc.size() + 2) & 0xFF)} +
                     icc);
  dir.WriteFile("junk.jpg", junk);
  ASSERT_EQ(ProcessOnePicture(dir / "junk.jpg", out, {}, {}, nullptr).outcome,
            PictureOutcome::kProcessed);
  EXPECT_EQ(ReadWholeFile(out).find("ICC_PROFILE"), std::string::npos);

  // 4 x 4, 32 bits with an alpha mask, every alpha byte zero, all blue.
  std::string bmp = "BM" + Le32(70 + 64) + Le32(0) + Le32(70) + Le32(56) + Le32(4) + Le32(4) +
                    std::string("\x01\x00\x20\x00", 4) + Le32(3) + Le32(64) + Le32(0) + Le32(0) +
                    Le32(0) + Le32(0) + Le32(0xFF0000) + Le32(0xFF00) + Le32(0xFF) +
                    Le32(0xFF000000);
  for (int i = 0; i < 16; ++i) bmp += std::string("\xFF\x00\x00\x00", 4);
  ASSERT_EQ(ProcessOnePicture(dir.WriteFile("zero_alpha.bmp", bmp), out, {}, {}, nullptr).outcome,
            PictureOutcome::kProcessed);
  auto w = LoadForTest(out);
  ASSERT_TRUE(w);
  EXPECT_TRUE(IsNear(PixelAt(*w, 2, 2), 0, 0, 1, 0.1));  // not laid on white as transparent

  // Optimised Huffman tables: the same pixels in fewer bytes.
  const vips::VImage photo = WithNoise(MakePicture(400, 300, "teal"));
  const auto ours = EncodeJpeg(photo, 95);
  ASSERT_TRUE(ours);
  SavePicture(photo, dir / "plain.jpg", "JPEG", 95);
  const std::string plain = ReadWholeFile(dir / "plain.jpg");
  EXPECT_LT(ours->size(), plain.size() * 99 / 100);
  const auto a = LoadForTest(dir.WriteFile("ours.jpg", *ours)), b = LoadForTest(dir / "plain.jpg");
  ASSERT_TRUE(a && b);
  EXPECT_EQ((*a - *b).abs().max(), 0);
}

TEST(ReadPictureTest, MemoryIsHeldAsLongAsAskedAndCountsTheUprightCopy) {
  TempDir dir;
  const std::string src =
      dir.WriteFile("camera.jpg", JpegWithExifOrientation6(dir / "exif_src.jpg"));
  MemoryBudget& budget = MemoryBudget::ForPictures();
  std::optional<MemoryBudget::Ticket> ticket;
  ReadOptions options;
  options.hold = &ticket;
  ASSERT_TRUE(ReadPicture(src, options));
  // The file's bytes, the picture decoded and turned upright in a copy,
  // and its encoding (the encoder's buffer, the copy, the coefficients).
  EXPECT_EQ(budget.used(), ReadWholeFile(src).size() + 2u * 40 * 20 * 3 + 8u * 40 * 20);
  ticket.reset();
  EXPECT_EQ(budget.used(), 0u);
  // Room for the file but not for decoding it: the reading gives its share
  // back and waits for the whole, and goes on once the room is there.
  auto others = budget.Acquire(budget.capacity() - ReadWholeFile(src).size() - 100);
  std::atomic<bool> read = false;
  std::thread reader([&] { read = ReadPicture(src).has_value(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(read);
  others.reset();
  reader.join();
  EXPECT_TRUE(read);
  // A share held for a whole run (its watermark picture) leaves room that
  // will not come: a picture that needs it is refused, not left waiting.
  auto mark = budget.Acquire(budget.capacity() - 100);
  mark->Pin();
  EXPECT_FALSE(ReadPicture(src));
  mark.reset();
  EXPECT_EQ(budget.used(), 0u);
  // A progressive photograph whose coefficients and pixels do not fit
  // together is decoded through a file, holding one after the other.
  const vips::VImage photo = WithNoise(MakePicture(1000, 1000, "teal"));
  photo.jpegsave((dir / "progressive.jpg").c_str(),
                 vips::VImage::option()
                     ->set("interlace", true)
                     ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_OFF));
  const std::string progressive = dir / "progressive.jpg";
  ReadOptions unencoded;
  unencoded.encoded = false;
  auto most = budget.Acquire(budget.capacity() - ReadWholeFile(progressive).size() - 7'000'000);
  most->Pin();  // room for 7 MB: the coefficients (6 MB) or the pixels (3 MB), not both
  const auto staged = ReadPicture(progressive, unencoded);
  most.reset();
  const auto direct = ReadPicture(progressive, unencoded);
  ASSERT_TRUE(staged && direct);
  EXPECT_EQ((*staged - *direct).abs().max(), 0);

  // An enlarged picture is held whole at its new size: counted, and refused
  // up front with the step that is too large or needs the memory.
  auto enlarged = [&](int side, bool progressive_output) {
    ReadFailure why;
    ReadOptions o;
    o.target = [side](PictureSize) { return PictureSize{side, side}; };
    o.progressive_output = progressive_output;
    o.failure = &why;
    const bool read = ReadPicture(src, o).has_value();
    return std::make_pair(read, why);
  };
  EXPECT_TRUE(enlarged(2000, false).first);
  const auto [huge_read, huge] = enlarged(20000, false);
  EXPECT_FALSE(huge_read);
  EXPECT_EQ(huge.problem, ReadProblem::kTooLarge);
  EXPECT_EQ(huge.what, "放大到 20000×20000");
  const auto [large_read, large] = enlarged(11000, true);
  EXPECT_FALSE(large_read);
  EXPECT_EQ(large.problem, ReadProblem::kNoMemory);
  EXPECT_EQ(large.what, "放大到 11000×11000");
  EXPECT_EQ(budget.used(), 0u);
}

// A joined page's pictures lie in memory until its last part is written:
// they hold their share of the budget all that time, as a single
// picture's pixels do.
TEST(ReadPictureTest, AJoinedPageHoldsItsPicturesShareUntilItIsWritten) {
  TempDir dir;
  std::vector<std::string> sources;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
    sources.push_back(dir / name);
    SavePicture(WithNoise(MakePicture(400, 300, "teal")), sources.back(), "JPEG", 90);
  }
  ExtraOperations extras;
  extras.join = true;
  extras.join_gap = 10;
  std::uint64_t held = 0;
  const OutputNamer namer = [&](PictureSize, const std::vector<int>&) {
    held = MemoryBudget::ForPictures().used();
    return NamedOutputs{dir / "page.jpg", {dir / "page.jpg"}, {}};
  };
  const PictureResult r =
      ProcessOutput({sources, true}, dir / "page.jpg", {}, {}, nullptr, extras, namer, nullptr);
  EXPECT_EQ(r.outcome, PictureOutcome::kProcessed);
  EXPECT_GE(held, 3u * 400 * 300 * 3);
  EXPECT_EQ(MemoryBudget::ForPictures().used(), 0u);
}

// A page is as wide as asked, whatever its first picture: a wider one is
// shrunk to it, a narrower one lies in the middle of the gap colour.
TEST(ReadPictureTest, APageIsAsWideAsAskedWhateverItsFirstPicture) {
  TempDir dir;
  std::vector<std::string> sources;
  for (auto [name, w, h] : {std::tuple{"a.jpg", 400, 300}, {"b.jpg", 2400, 1800}}) {
    sources.push_back(dir / name);
    SavePicture(MakePicture(w, h, "red"), sources.back(), "JPEG", 90);
  }
  ProcessingSettings settings;
  settings.width = 790;
  PictureSwitches switches;
  switches.width = true;
  ExtraOperations extras;
  extras.join = true;
  extras.join_colour = "#000000";
  const PictureResult r = ProcessOutput({sources, true}, dir / "page.jpg", settings, switches,
                                        nullptr, extras, nullptr, nullptr);
  ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
  const auto page = LoadForTest(dir / "page.jpg");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->width(), 790);
  EXPECT_EQ(page->height(), 300 + 1800 * 790 / 2400);
  EXPECT_TRUE(IsNear(PixelAt(*page, 20, 150), 0, 0, 0, 0.1));  // beside the small one: the gap's
  EXPECT_TRUE(IsNear(PixelAt(*page, 395, 150), 1, 0, 0, 0.1));
  // An opaque page is written without an alpha band.
  extras.format = kPngOutput;
  ASSERT_EQ(ProcessOutput({sources, true}, dir / "page.png", settings, switches, nullptr, extras,
                          nullptr, nullptr)
                .outcome,
            PictureOutcome::kProcessed);
  EXPECT_EQ(LoadForTest(dir / "page.png")->bands(), 3);
  // Too tall for a JPEG: refused from the headers, before a picture is read.
  extras.format = kJpegOutput;
  for (const std::string& source : sources) {
    SavePicture(MakePicture(790, 40000, "red"), source, "PNG", 0);
  }
  const PictureResult tall = ProcessOutput({sources, true}, dir / "tall.jpg", settings, switches,
                                           nullptr, extras, nullptr, nullptr);
  EXPECT_EQ(tall.outcome, PictureOutcome::kReadFailed);
  EXPECT_EQ(tall.read_failure.problem, ReadProblem::kTooLarge);
}

#ifndef _WIN32  // a small file system mounted as POSIX mounts it
TEST(ProcessOnePictureMetadataTest, FullDiskLeavesTheOriginalByteIdentical) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
  TempDir dir;
  std::string mnt = dir.MakeFolder("small");
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=256k") != 0) GTEST_SKIP() << "no tmpfs";
  // The target is the source folder, so the write would replace the original.
  std::string src = mnt + "/a.jpg";
  SavePicture(WithNoise(MakePicture(200, 200, "gray")), src, "JPEG", 60);
  const std::string original = ReadWholeFile(src);
  // Fill the rest of the disk, down to the last block.
  int n = 0;
  for (size_t size = 64 * 1024; size > 0; size /= 2) {
    while (platform::WriteFileAtomically(mnt + "/fill" + std::to_string(n++),
                                         std::string(size, 'x'))) {
    }
  }
  ProcessingSettings s;
  s.quanlity = 0;  // quality 100: larger than the original
  PictureSwitches sw;
  sw.quality = true;
  const PictureResult full = ProcessOnePicture(src, src, s, sw, nullptr);
  EXPECT_EQ(full.outcome, PictureOutcome::kWriteFailed);
  EXPECT_EQ(full.write_problem, platform::WriteProblem::kDiskFull);  // told as such
  EXPECT_TRUE(ReadWholeFile(src) == original);
  int leftovers = 0;
  if (auto entries = platform::ListDirectory(mnt)) {
    for (const auto& e : *entries) leftovers += e.name.ends_with(".tmp");
  }
  EXPECT_EQ(leftovers, 0);
  umount2(mnt.c_str(), MNT_DETACH);
}
#endif

// Small pictures shrunk on every core at once: each shrink builds and drops
// the library's generated code, whose own bookkeeping is not thread-safe.
// This corrupted the heap within seconds before its calls were locked.
TEST(ReadPictureTest, ManyThreadsShrinkingAtOnceNeverCorruptTheProcess) {
  EXPECT_TRUE(VIPS_MINOR_VERSION > 14 || CodeGeneratorLocked());  // the fast paths stay on
  TempDir dir;
  const std::string path = dir / "small.jpg";
  SavePicture(WithNoise(MakePicture(48, 36, "teal")), path, "JPEG", 90);
  std::vector<std::thread> threads;
  std::atomic<int> read{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      ReadOptions options;
      // The long stress is bench/catalogue.sh's; here each width of the
      // generated code is asked on every thread at once many times over.
      for (int i = 0; i < 1200; ++i) {
        options.target = NoWiderThan(8 + i % 30);
        if (ReadPicture(path, options)) ++read;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(read, 4800);
}

// Pictures saved from web pages under a name that is not their format,
// and run-length coded BMPs: each read by what it holds.
TEST(ReadPictureTest, PicturesAreReadByTheirContent) {
  TempDir dir;
  for (const char* format : {"WEBP", "GIF", "TIFF", "HEIC"}) {
    const std::string src = dir / (std::string(format) + ".jpg");
    SavePicture(MakePicture(64, 48, "red"), src, format, 0);
    ReadFailure why;
    ReadOptions options;
    options.target = NoWiderThan(32);
    options.failure = &why;
    const auto picture = ReadPicture(src, options);
    if (std::string(format) == "HEIC" && !SystemDecodesHevc()) {  // told as such, not as damage
      EXPECT_FALSE(picture);
      EXPECT_EQ(static_cast<int>(why.problem), static_cast<int>(ReadProblem::kNoDecoder));
      continue;
    }
    ASSERT_TRUE(picture) << format;
    EXPECT_EQ(PictureSize({picture->width(), picture->height()}), PictureSize({32, 24})) << format;
    EXPECT_TRUE(IsNear(PixelAt(*picture, 16, 12), 1, 0, 0, 0.1)) << format;
  }
  // 4 x 2, palette blue and red, as 8-bit and 4-bit runs; the 4-bit one
  // skips its first pixel (it keeps colour 0, blue).
  auto rle = [](int bits, const std::string& runs) {
    return "BM" + Le32(62 + runs.size()) + Le32(0) + Le32(62) + Le32(40) + Le32(4) + Le32(2) +
           std::string{1, 0, static_cast<char>(bits), 0} + Le32(bits == 8 ? 1 : 2) +
           Le32(runs.size()) + Le32(0) + Le32(0) + Le32(2) + Le32(0) + Le32(0xFF) + Le32(0xFF0000) +
           runs;
  };
  using namespace std::string_literals;
  const std::string rle8 = rle(8, "\x04\x01\x00\x00\x00\x03\x00\x01\x00\x00\x01\x01\x00\x01"s);
  const std::string rle4 = rle(4, "\x04\x10\x00\x00\x00\x02\x01\x00\x00\x03\x01\x10\x00\x01"s);
  const auto top_rows = {std::pair{rle8, "BRBR"}, std::pair{rle4, "BBRR"}};
  for (const auto& [bytes, top] : top_rows) {
    const auto picture = ReadPicture(dir.WriteFile("runs.bmp", bytes));
    ASSERT_TRUE(picture);
    for (int x = 0; x < 4; ++x) {
      const double red = top[x] == 'R' ? 1 : 0;
      EXPECT_TRUE(IsNear(PixelAt(*picture, x, 0), red, 0, 1 - red, 0.05)) << top << x;
    }
  }
  EXPECT_TRUE(IsNear(PixelAt(*ReadPicture(dir.WriteFile("r.bmp", rle8)), 1, 1), 1, 0, 0, 0.05));
  // Runs that leave the picture or stop short are refused.
  EXPECT_FALSE(ReadPicture(dir.WriteFile("over.bmp", rle(8, "\x09\x01\x00\x01"s))));
  EXPECT_FALSE(ReadPicture(dir.WriteFile("short.bmp", rle(8, "\x04\x01\x00\x00"s))));
}

}  // namespace
}  // namespace lumivane
