// Progressive JPEGs with many scans, written with libjpeg through a scan script of our
// own: a picture of a few dozen scans decodes, one of more than a hundred (only a
// hostile file is cut so fine) is refused before the decoder loops through them all.

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/bytes.h"
#include "support/encode_pictures.h"
#include "ui/image.h"

namespace {

constexpr int kSide = 16;

std::vector<std::uint8_t> Grey() {
  std::vector<std::uint8_t> px(kSide * kSide);
  for (int i = 0; i < kSide * kSide; ++i) px[i] = static_cast<std::uint8_t>((i % kSide) * 13 + (i / kSide) * 5);
  return px;
}

// A grey picture in a DC scan, then one scan per AC coefficient; with `refine`, each
// coefficient first without its lowest bit and then in a second scan with it.
Bytes ProgressiveGrey(bool refine, int* scans) {
  std::vector<jpeg_scan_info> script;
  script.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
  for (int k = 1; k < 64; ++k) {
    script.push_back({1, {0, 0, 0, 0}, k, k, 0, refine ? 1 : 0});
    if (refine) script.push_back({1, {0, 0, 0, 0}, k, k, 1, 0});
  }
  *scans = static_cast<int>(script.size());

  const std::vector<std::uint8_t> px = Grey();
  return EncodeJpeg(kSide, kSide, 1, px.data(), 90, true, script);
}

// Start-of-scan markers in the file.
int CountScans(const Bytes& b) {
  int n = 0;
  for (std::size_t i = 0; i + 1 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == 0xDA) ++n;
  return n;
}

// libjpeg by itself, without any limit: the rows it gives, -1 when it fails.
struct PlainJob {
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  std::jmp_buf jump;
  std::vector<std::uint8_t> row;
  int rows = 0;
};

int PlainLibjpegRows(const Bytes& b) {
  auto job = std::make_unique<PlainJob>();
  job->d.err = jpeg_std_error(&job->err);
  job->d.client_data = job.get();
  job->err.error_exit = [](j_common_ptr c) { std::longjmp(static_cast<PlainJob*>(c->client_data)->jump, 1); };
  if (setjmp(job->jump)) {
    jpeg_destroy_decompress(&job->d);
    return -1;
  }
  jpeg_create_decompress(&job->d);
  job->d.client_data = job.get();
  jpeg_mem_src(&job->d, b.data(), static_cast<unsigned long>(b.size()));
  jpeg_read_header(&job->d, TRUE);
  jpeg_start_decompress(&job->d);
  job->row.resize(static_cast<std::size_t>(job->d.output_width) * job->d.output_components);
  while (job->d.output_scanline < job->d.output_height) {
    JSAMPROW r = job->row.data();
    job->rows += static_cast<int>(jpeg_read_scanlines(&job->d, &r, 1));
  }
  jpeg_finish_decompress(&job->d);
  jpeg_destroy_decompress(&job->d);
  return job->rows;
}

TEST(JpegScans, SixtyFourScansDecodeToThePicture) {
  int scans = 0;
  const Bytes file = ProgressiveGrey(false, &scans);
  ASSERT_EQ(scans, 64);
  ASSERT_EQ(CountScans(file), 64);
  const Image got = DecodePicture(file);
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.width, kSide);
  EXPECT_EQ(got.height, kSide);
  // The same coefficients as the plain file of the same quality: the same pixels.
  const std::vector<std::uint8_t> px = Grey();
  const Image plain = DecodePicture(EncodeJpeg(kSide, kSide, 1, px.data(), 90));
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(got.frames[0].rgba, plain.frames[0].rgba);
}

TEST(JpegScans, MoreThanAHundredScansAreRefused) {
  int scans = 0;
  const Bytes file = ProgressiveGrey(true, &scans);
  ASSERT_EQ(scans, 127);
  ASSERT_EQ(CountScans(file), 127);
  ASSERT_EQ(PlainLibjpegRows(file), kSide) << "a sound file, refused for its scans alone";
  EXPECT_TRUE(DecodePicture(file).empty());
}

}  // namespace
