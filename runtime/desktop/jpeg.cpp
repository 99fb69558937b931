#include "runtime/desktop/jpeg.h"

#include <jpeglib.h>

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

namespace qm {
namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char text[JMSG_LENGTH_MAX];
};

extern "C" void onJpegError(j_common_ptr cinfo) {
  auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, mgr->text);
  std::longjmp(mgr->jump, 1);
}

extern "C" void onJpegMessage(j_common_ptr) {}  // warnings stay quiet

// Everything the decode changes lives here, on the heap, so a long jump out of
// the library leaves it well defined.
struct Decode {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  QImage image;
  std::vector<JSAMPLE> row;
  bool created = false;
};

// Adobe's CMYK pictures are stored inverted.
QRgb fromCmyk(const JSAMPLE* p) {
  const int c = p[0], m = p[1], y = p[2], k = p[3];
  return qRgb(c * k / 255, m * k / 255, y * k / 255);
}

}  // namespace

QImage decodeJpeg(const QByteArray& data, std::string* error) {
  if (error) error->clear();
  if (data.isEmpty()) {
    if (error) *error = "no picture data";
    return {};
  }
  const auto d = std::make_unique<Decode>();
  d->cinfo.err = jpeg_std_error(&d->err.pub);
  d->err.pub.error_exit = onJpegError;
  d->err.pub.output_message = onJpegMessage;
  d->err.text[0] = '\0';
  if (setjmp(d->err.jump)) {
    if (d->created) jpeg_destroy_decompress(&d->cinfo);
    if (error) *error = d->err.text;
    return {};
  }
  jpeg_create_decompress(&d->cinfo);
  d->created = true;
  jpeg_mem_src(&d->cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
               static_cast<unsigned long>(data.size()));
  jpeg_read_header(&d->cinfo, TRUE);
  const bool cmyk = d->cinfo.jpeg_color_space == JCS_CMYK || d->cinfo.jpeg_color_space == JCS_YCCK;
  d->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&d->cinfo);
  const int w = static_cast<int>(d->cinfo.output_width);
  const int h = static_cast<int>(d->cinfo.output_height);
  const int channels = d->cinfo.output_components;
  d->image = QImage(w, h, QImage::Format_RGB32);
  if (d->image.isNull()) {
    jpeg_destroy_decompress(&d->cinfo);
    if (error) *error = "picture too large";
    return {};
  }
  d->row.resize(static_cast<std::size_t>(w) * channels);
  JSAMPROW rows[1] = {d->row.data()};
  while (d->cinfo.output_scanline < d->cinfo.output_height) {
    const int y = static_cast<int>(d->cinfo.output_scanline);
    jpeg_read_scanlines(&d->cinfo, rows, 1);
    auto* out = reinterpret_cast<QRgb*>(d->image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const JSAMPLE* p = d->row.data() + static_cast<std::size_t>(x) * channels;
      out[x] = cmyk ? fromCmyk(p) : qRgb(p[0], p[1], p[2]);
    }
  }
  jpeg_finish_decompress(&d->cinfo);
  jpeg_destroy_decompress(&d->cinfo);
  return std::move(d->image);
}

QImage loadJpeg(const std::string& path, std::string* error) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = "cannot open " + path + ": " + f.errorString().toStdString();
    return {};
  }
  const QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    if (error) *error = "cannot read " + path + ": " + f.errorString().toStdString();
    return {};
  }
  std::string why;
  QImage image = decodeJpeg(data, &why);
  if (image.isNull() && error) *error = path + ": " + why;
  return image;
}

}  // namespace qm
