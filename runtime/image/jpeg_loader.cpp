// JPEG through libjpeg: grey and colour baseline and progressive images.
#include <cstdio>
// The library's header needs FILE and size_t declared first.
#include <jpeglib.h>
#include <jerror.h>

#include <csetjmp>
#include <cstring>
#include <utility>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/image/image_loader.h"
#include "runtime/image/loader_io.h"

namespace rt {
namespace {

constexpr size_t kInputBufferSize = 4096;
constexpr uint64_t kMaxDecodeBytes = uint64_t{1} << 29;

struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
};

// The source manager over an image stream; what is left to read is counted from the
// stream's size measured when it was set up.
struct StreamSource {
  jpeg_source_mgr base;
  ImageStream* stream;
  int64_t remaining;
  bool startOfFile;
  JOCTET buffer[kInputBufferSize];
};

// Messages go to the runtime's log instead of the standard error stream.
void OutputMessage(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  LogAddFormat("JPEG: %s\n", text);
}

void ErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void InitSource(j_decompress_ptr cinfo) { reinterpret_cast<StreamSource*>(cinfo->src)->startOfFile = true; }

// An early end of the data is padded with an end-of-image marker, so a cut file still
// decodes what it holds.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  size_t got = 0;
  if (src->remaining > 0) {
    const size_t want = src->remaining < int64_t{kInputBufferSize} ? static_cast<size_t>(src->remaining)
                                                                    : kInputBufferSize;
    got = ImageStreamRead(src->stream, src->buffer, want);
    src->remaining -= static_cast<int64_t>(want);
    if (got < want) src->remaining = 0;
  }
  if (got == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    got = 2;
  }
  src->base.next_input_byte = src->buffer;
  src->base.bytes_in_buffer = got;
  src->startOfFile = false;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  while (count > static_cast<long>(src->bytes_in_buffer)) {
    count -= static_cast<long>(src->bytes_in_buffer);
    FillInputBuffer(cinfo);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

}  // namespace

int LoadJpegImage(ImageStream* stream, GraphImage* image) {
  uint8_t marker[2];
  if (!ImageStreamReadExact(stream, marker, sizeof marker) || marker[0] != 0xFF || marker[1] != 0xD8) return -1;
  const int64_t size = ImageStreamSize(stream);
  if (size < 0 || ImageStreamSeek(stream, 0, kSeekSet) != 0) return -1;

  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  ErrorManager error;
  StreamSource* source = nullptr;
  uint8_t* volatile pixels = nullptr;
  cinfo.err = jpeg_std_error(&error.base);
  error.base.error_exit = ErrorExit;
  error.base.output_message = OutputMessage;
  if (setjmp(error.jump)) {
    if (pixels) MemFree(pixels);
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  jpeg_CreateDecompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
  source = static_cast<StreamSource*>(
      (*cinfo.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_PERMANENT, sizeof(StreamSource)));
  source->base.init_source = InitSource;
  source->base.fill_input_buffer = FillInputBuffer;
  source->base.skip_input_data = SkipInputData;
  source->base.resync_to_restart = jpeg_resync_to_restart;
  source->base.term_source = TermSource;
  source->base.bytes_in_buffer = 0;
  source->base.next_input_byte = nullptr;
  source->stream = stream;
  source->remaining = size;
  cinfo.src = &source->base;

  jpeg_read_header(&cinfo, TRUE);
  // Refused before the decoder sets up buffers for a size no picture of ours has.
  if (!ImageSizeAllowed(cinfo.image_width, cinfo.image_height, "JPEG")) longjmp(error.jump, 1);
  if (uint64_t{cinfo.image_width} * cinfo.image_height * 4 > kMaxDecodeBytes) {
    LogAdd("JPEG: 画像が大きすぎます\n");
    longjmp(error.jump, 1);
  }
  cinfo.mem->max_memory_to_use = kMaxDecodeBytes;
#ifdef JCS_EXTENSIONS
  // The decoder writes blue, green, red itself, straight into the image's rows.
  if (cinfo.out_color_space == JCS_RGB) cinfo.out_color_space = JCS_EXT_BGR;
#endif
  jpeg_start_decompress(&cinfo);
  const int components = cinfo.output_components;
  if (components != 1 && components != 3) {
    LogAdd("JPEG: この色空間には対応していません\n");
    longjmp(error.jump, 1);
  }
  const int64_t pitch = int64_t{cinfo.output_width} * components;
  pixels = AllocImagePixels(pitch, cinfo.output_height);
  if (!pixels) ERREXIT1(&cinfo, JERR_OUT_OF_MEMORY, 0);
  const bool swapRedBlue = components == 3 && cinfo.out_color_space == JCS_RGB;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels + static_cast<size_t>(cinfo.output_scanline) * static_cast<size_t>(pitch);
    jpeg_read_scanlines(&cinfo, &row, 1);
    if (swapRedBlue) {
      for (JDIMENSION x = 0; x < cinfo.output_width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
    }
  }
  jpeg_finish_decompress(&cinfo);
  const JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
  jpeg_destroy_decompress(&cinfo);

  if (components == 1) {
    SetColorFormatPal8Gray(&image->format);
  } else {
    SetColorFormatRGB888(&image->format);
  }
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->pitch = static_cast<int32_t>(pitch);
  image->pixels = pixels;
  return 0;
}

}  // namespace rt
