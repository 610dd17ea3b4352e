// JPEG through the libjpeg API. Errors leave by longjmp to the frame that called
// setjmp; everything that frame owns lives in a struct outside it. A file that
// ends inside its image data is refused rather than shown half grey; one that lacks
// only its end marker is shown. A file may not declare more pixels than its bytes
// could code, nor hold more scans than pictures use, nor make libjpeg take more
// memory than a few times the picture.

#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include <csetjmp>
#include <memory>

#include "ui/picture_formats.h"

namespace {

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  bool sawEnd = false;  // the data ran out and libjpeg made up an end marker
};

// Huffman coding spends at least one bit on every 8 x 8 block: 512 pixels a byte,
// doubled for slack. Arithmetic coding can go further; no picture needs more.
constexpr std::int64_t kHuffmanPixelsPerByte = 1024;
constexpr std::int64_t kArithmeticPixelsPerByte = 8192;
// Encoders write about ten scans; a file of hundreds only makes the decoder loop.
constexpr int kMaxScans = 100;

struct JpegJob {
  jpeg_decompress_struct cinfo;
  JpegError error;
  jpeg_progress_mgr progress;
  Image image;
  std::vector<std::uint8_t> row;
};

void OnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// Warnings are how libjpeg reports damaged or truncated image data: refuse those.
// Harmless ones (an unknown JFIF revision, stray bytes between markers, a bad ICC
// profile) keep the picture.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  auto* error = reinterpret_cast<JpegError*>(cinfo->err);
  switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:  // harmless by itself: pixels that were missing add JWRN_HIT_MARKER
      error->sawEnd = true;
      return;
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
      std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
    default:
      return;
  }
}

// A progressive file can hold a great many tiny scans; stop that early.
void OnProgress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// After the data ran out: a single-scan file decoded every row already (a missing
// row would have hit the made-up marker); a progressive one has all of its picture
// only if every coefficient of every component reached full precision.
bool AllScansArrived(j_decompress_ptr cinfo) {
  if (!jpeg_has_multiple_scans(cinfo)) return true;
  if (!cinfo->progressive_mode || !cinfo->coef_bits) return false;
  for (int c = 0; c < cinfo->num_components; ++c)
    for (int k = 0; k < DCTSIZE2; ++k)
      if (cinfo->coef_bits[c][k] != 0) return false;
  return true;
}

bool RunJpeg(JpegJob* job, const std::uint8_t* data, std::size_t size) {
  jpeg_decompress_struct* cinfo = &job->cinfo;
  cinfo->err = jpeg_std_error(&job->error.mgr);
  job->error.mgr.error_exit = OnError;
  job->error.mgr.emit_message = OnMessage;
  if (setjmp(job->error.jump)) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  jpeg_create_decompress(cinfo);
  job->progress.progress_monitor = OnProgress;
  cinfo->progress = &job->progress;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  const std::int64_t pixels = static_cast<std::int64_t>(cinfo->image_width) * cinfo->image_height;
  if (!PictureSizeAllowed(cinfo->image_width, cinfo->image_height) ||
      !DataCanFill(pixels, size, cinfo->arith_code ? kArithmeticPixelsPerByte : kHuffmanPixelsPerByte)) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  // Coefficients of a progressive file take 2 bytes a sample: at most 6 a pixel.
  cinfo->mem->max_memory_to_use = static_cast<long>(8 * pixels + 4 * 1024 * 1024);
  bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  jpeg_start_decompress(cinfo);
  int w = static_cast<int>(cinfo->output_width), h = static_cast<int>(cinfo->output_height);
  if (!PictureSizeAllowed(w, h) || cinfo->output_components != 4) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  job->image = StillImage(w, h);
  std::uint8_t* out = job->image.frames[0].rgba.data();
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = out + static_cast<std::size_t>(cinfo->output_scanline) * w * 4;
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) {
      jpeg_destroy_decompress(cinfo);
      return false;
    }
  }
  // Adobe's CMYK files store the inks inverted, which is what nearly every CMYK JPEG is.
  if (cmyk) {
    bool inverted = cinfo->saw_Adobe_marker;
    for (std::size_t i = 0; i < job->image.frames[0].rgba.size(); i += 4) {
      int c = out[i], m = out[i + 1], y = out[i + 2], k = out[i + 3];
      if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
      out[i] = static_cast<std::uint8_t>(c * k / 255);
      out[i + 1] = static_cast<std::uint8_t>(m * k / 255);
      out[i + 2] = static_cast<std::uint8_t>(y * k / 255);
      out[i + 3] = 255;
    }
  }
  // Checked before finishing: that frees the progression status.
  const bool whole = !job->error.sawEnd || AllScansArrived(cinfo);
  jpeg_finish_decompress(cinfo);
  jpeg_destroy_decompress(cinfo);
  return whole;
}

}  // namespace

Image DecodeJpeg(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return Image();
  auto job = std::make_unique<JpegJob>();
  if (!RunJpeg(job.get(), data, size)) return Image();
  return std::move(job->image);
}
