// Picture files from canvases: PNG (libpng), JPEG (libjpeg) and uncompressed 24-bit BMP.
// Every file is the same bytes for the same canvas: no time stamps, fixed settings.
#pragma once
#include <string>

#include "tools/dataset/canvas.h"

namespace dataset {

std::string EncodePng(const Canvas& canvas);
std::string EncodeJpeg(const Canvas& canvas, int quality);
std::string EncodeBmp(const Canvas& canvas);

}  // namespace dataset
