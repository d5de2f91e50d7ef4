#pragma once

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace veyra::testing {

// Compresses `pixels` (`height` rows of `width` * `components` samples in `space`) with libjpeg
// into a JPEG file's bytes; `configure` changes the settings after libjpeg's defaults. Header
// only: the test programs that use it link libjpeg themselves.
inline std::string CompressJpeg(int width, int height, int components, J_COLOR_SPACE space,
                                const std::vector<unsigned char>& pixels,
                                const std::function<void(jpeg_compress_struct&)>& configure = {}) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  if (configure) configure(cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = size_t(width) * size_t(components);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(pixels.data() + cinfo.next_scanline * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string file(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return file;
}

}  // namespace veyra::testing
