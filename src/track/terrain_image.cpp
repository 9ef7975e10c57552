// The terrain's image files: terrain.png as 16-bit grey (read and written
// through libpng on our streams) and the binary PPM/PGM shading and shadow
// images.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "files/files.h"
#include "platform/platform.h"
#include "track/terrain_local.h"

static void png_read_cb(png_structp png, png_bytep data, png_size_t size) {
  Stream* s = (Stream*)png_get_io_ptr(png);
  if (stream_read_block(s, data, size) != size) png_error(png, "unexpected end of file");
}

static void png_write_cb(png_structp png, png_bytep data, png_size_t size) {
  Stream* s = (Stream*)png_get_io_ptr(png);
  if (stream_write_block(s, data, size) != size) png_error(png, "write failed");
}

static void png_flush_cb(png_structp) {}

static void png_warning_cb(png_structp, png_const_charp) {}

static void png_error_cb(png_structp png, png_const_charp text) {
  log_printf("PNG error: %s\n", text);
  png_longjmp(png, 1);
}

// Every form of PNG becomes one 16-bit grey sample per pixel: palettes and
// low bit depths are expanded, colour turned grey, alpha dropped, 8-bit
// samples widened by repeating the byte.
static void grey16_transforms(png_structp png, png_infop info) {
  int type = png_get_color_type(png, info);
  int depth = png_get_bit_depth(png, info);
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (type & PNG_COLOR_MASK_ALPHA || png_get_valid(png, info, PNG_INFO_tRNS)) png_set_strip_alpha(png);
  if (type == PNG_COLOR_TYPE_PALETTE || (type & PNG_COLOR_MASK_COLOR))
    png_set_rgb_to_gray_fixed(png, 1, -1, -1);
  png_set_expand_16(png);
  png_set_swap(png);  // samples in this machine's order
  png_read_update_info(png, info);
}

bool png_read_grey16(const char* name, uint16_t** pixels_out, int* width, int* height) {
  Stream* s = stream_open(name, "rb");
  if (!s) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_error_cb, png_warning_cb);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  uint16_t* volatile pixels = nullptr;
  png_bytep* volatile rows = nullptr;
  bool ok = false;
  if (info && setjmp(png_jmpbuf(png)) == 0) {
    png_set_read_fn(png, s, png_read_cb);
    png_read_info(png, info);
    grey16_transforms(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || w > 65536 || h > 65536 || png_get_rowbytes(png, info) != 2 * (size_t)w)
      png_error(png, "unsupported image");
    pixels = (uint16_t*)alloc_or_die((size_t)w * h * 2);
    rows = (png_bytep*)alloc_or_die(sizeof(png_bytep) * h);
    for (png_uint_32 y = 0; y < h; y++) rows[y] = (png_bytep)(pixels + (size_t)y * w);
    png_read_image(png, rows);
    *width = (int)w;
    *height = (int)h;
    ok = true;
  }
  png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
  mem_free(rows);
  stream_close(s);
  if (!ok) {
    mem_free(pixels);
    return false;
  }
  *pixels_out = pixels;
  return true;
}

bool png_write_grey16(const char* name, const uint16_t* pixels, int width, int height) {
  Stream* s = stream_open(name, "wb");
  if (!s) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_error_cb, png_warning_cb);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info && setjmp(png_jmpbuf(png)) == 0) {
    png_set_write_fn(png, s, png_write_cb, png_flush_cb);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 16, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_swap(png);
    for (int y = 0; y < height; y++) png_write_row(png, (png_const_bytep)(pixels + (size_t)y * width));
    png_write_end(png, info);
    ok = true;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (!stream_close(s)) ok = false;
  return ok;
}

// ---------------------------------------------------------------------------
// Binary PPM (P6) and PGM (P5)
// ---------------------------------------------------------------------------

// Skips white space and "#" comments of a PNM header.
static void pnm_skip(Stream* s) {
  for (;;) {
    int c = stream_peek_char(s);
    if (c == '#') {
      while (c != STREAM_EOF && c != '\n') c = stream_read_char(s);
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      stream_read_char(s);
    } else {
      return;
    }
  }
}

static bool pnm_int(Stream* s, int* out) {
  pnm_skip(s);
  int v = 0, digits = 0, c;
  while ((c = stream_peek_char(s)) >= '0' && c <= '9' && digits < 9) {
    v = v * 10 + (c - '0');
    digits++;
    stream_read_char(s);
  }
  *out = v;
  return digits > 0;
}

int pnm_read(const char* name, int channels, uint8_t** pixels_out, int* width, int* height) {
  Stream* s = stream_open(name, "rb");
  if (!s) return 0;
  int w = 0, h = 0, maxval = 0;
  bool ok = stream_read_char(s) == 'P' && stream_read_char(s) == (channels == 3 ? '6' : '5') &&
            pnm_int(s, &w) && pnm_int(s, &h) && pnm_int(s, &maxval) && maxval == 255 && w > 0 && h > 0 &&
            w <= 65536 && h <= 65536;
  // Exactly one white-space byte separates the header from the samples.
  if (ok) ok = stream_read_char(s) != STREAM_EOF;
  uint8_t* pixels = nullptr;
  if (ok) {
    size_t size = (size_t)w * h * channels;
    pixels = (uint8_t*)alloc_or_die(size);
    ok = stream_read_block(s, pixels, size) == size;
  }
  stream_close(s);
  if (!ok) {
    mem_free(pixels);
    return -1;
  }
  *pixels_out = pixels;
  *width = w;
  *height = h;
  return 1;
}
