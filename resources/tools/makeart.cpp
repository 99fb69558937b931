// Draws the program's icons (PNG) and the frame's wallpaper (JPEG through
// libjpeg). Run once; its output is kept beside the resource list.
//   qm_makeart <resources folder>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <jpeglib.h>

namespace {

constexpr int kSize = 32;
const QColor kInk(30, 60, 120);
const QColor kGreen(40, 140, 70);
const QColor kRed(190, 40, 40);

void triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& col) {
  QPainterPath path;
  path.moveTo(a);
  path.lineTo(b);
  path.lineTo(c);
  path.closeSubpath();
  p.fillPath(path, col);
}

void left(QPainter& p, double x) { triangle(p, {x, 16}, {x + 10, 7}, {x + 10, 25}, kInk); }
void right(QPainter& p, double x) { triangle(p, {x + 10, 16}, {x, 7}, {x, 25}, kInk); }
void bar(QPainter& p, double x) { p.fillRect(QRectF(x, 7, 3, 18), kInk); }

void page(QPainter& p) {
  p.setPen(QPen(QColor(90, 90, 90), 1.2));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 3.5, 17, 24));
  p.setPen(QPen(QColor(150, 170, 200), 1));
  for (int y = 9; y <= 22; y += 4) p.drawLine(QPointF(9, y), QPointF(21, y));
}

void programIcon(QPainter& p) {
  QLinearGradient g(0, 0, 32, 32);
  g.setColorAt(0, QColor(40, 110, 170));
  g.setColorAt(1, QColor(20, 50, 100));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
  // a quill across the letter
  p.setPen(QPen(Qt::white, 3.2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(7, 6, 16, 17));
  p.setPen(QPen(QColor(250, 210, 90), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(16, 17), QPointF(27, 28));
  QPainterPath vane;
  vane.moveTo(27, 28);
  vane.quadTo(30, 20, 22, 17);
  vane.quadTo(24, 23, 27, 28);
  p.fillPath(vane, QColor(250, 210, 90));
}

struct Icon {
  const char* file;
  std::function<void(QPainter&)> draw;
};

const std::vector<Icon>& icons() {
  static const std::vector<Icon> all = {
      {"qm.png", programIcon},
      {"vcrfirst.png", [](QPainter& p) { bar(p, 6); left(p, 10); left(p, 17); }},
      {"vcrprior.png", [](QPainter& p) { left(p, 5); left(p, 15); }},
      {"vcrup.png", [](QPainter& p) { triangle(p, {16, 7}, {6, 24}, {26, 24}, kInk); }},
      {"find.png",
       [](QPainter& p) {
         p.setPen(QPen(kInk, 3));
         p.setBrush(QColor(210, 230, 250));
         p.drawEllipse(QRectF(5, 4, 15, 15));
         p.setPen(QPen(QColor(120, 80, 40), 4, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(18, 18), QPointF(27, 27));
       }},
      {"vcrdown.png", [](QPainter& p) { triangle(p, {16, 25}, {6, 8}, {26, 8}, kInk); }},
      {"vcrnext.png", [](QPainter& p) { right(p, 7); right(p, 17); }},
      {"vcrlast.png", [](QPainter& p) { right(p, 5); right(p, 12); bar(p, 23); }},
      {"mark.png",
       [](QPainter& p) {
         p.setPen(QPen(kGreen, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
         p.drawPolyline(QPolygonF({QPointF(6, 17), QPointF(13, 24), QPointF(26, 8)}));
       }},
      {"insert.png",
       [](QPainter& p) {
         page(p);
         p.setPen(Qt::NoPen);
         p.setBrush(kGreen);
         p.drawEllipse(QRectF(15, 15, 15, 15));
         p.fillRect(QRectF(21, 18, 3, 9), Qt::white);
         p.fillRect(QRectF(18, 21, 9, 3), Qt::white);
       }},
      {"edit.png",
       [](QPainter& p) {
         page(p);
         p.setPen(QPen(QColor(200, 140, 30), 4.5, Qt::SolidLine, Qt::FlatCap));
         p.drawLine(QPointF(28, 6), QPointF(13, 21));
         triangle(p, {13.5, 20.5}, {10, 25}, {15.5, 23}, QColor(60, 60, 60));
       }},
      {"delete.png",
       [](QPainter& p) {
         p.setPen(QPen(kRed, 5, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(8, 8), QPointF(24, 24));
         p.drawLine(QPointF(24, 8), QPointF(8, 24));
       }},
      {"ditto.png",
       [](QPainter& p) {
         p.setPen(Qt::NoPen);
         p.setBrush(kInk);
         for (double x : {7.0, 18.0}) {
           p.drawEllipse(QRectF(x, 7, 8, 8));
           triangle(p, {x + 8, 11}, {x + 1, 24}, {x + 3, 12}, kInk);
         }
       }},
      {"close.png",
       [](QPainter& p) {
         // a door with an arrow leaving it
         p.setPen(QPen(QColor(90, 60, 30), 1.5));
         p.setBrush(QColor(190, 140, 80));
         p.drawRect(QRectF(5.5, 4.5, 13, 23));
         p.setBrush(QColor(90, 60, 30));
         p.drawEllipse(QRectF(14, 15, 2.5, 2.5));
         p.setPen(QPen(kGreen, 3, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(17, 16), QPointF(26, 16));
         triangle(p, {30, 16}, {24, 10}, {24, 22}, kGreen);
       }},
      {"cube.png",
       [](QPainter& p) {
         p.setPen(QPen(kInk, 1.2));
         p.setBrush(QColor(120, 170, 220));
         p.drawPolygon(QPolygonF({QPointF(16, 4), QPointF(28, 10), QPointF(16, 16), QPointF(4, 10)}));
         p.setBrush(QColor(70, 120, 180));
         p.drawPolygon(QPolygonF({QPointF(4, 10), QPointF(16, 16), QPointF(16, 29), QPointF(4, 23)}));
         p.setBrush(QColor(40, 90, 150));
         p.drawPolygon(QPolygonF({QPointF(28, 10), QPointF(16, 16), QPointF(16, 29), QPointF(28, 23)}));
       }},
      {"bulb.png",
       [](QPainter& p) {
         QRadialGradient g(16, 12, 11);
         g.setColorAt(0, QColor(255, 250, 200));
         g.setColorAt(1, QColor(240, 200, 50));
         p.setPen(QPen(QColor(150, 120, 20), 1.2));
         p.setBrush(g);
         p.drawEllipse(QRectF(6, 2, 20, 20));
         p.setBrush(QColor(150, 150, 150));
         p.drawRect(QRectF(11.5, 21.5, 9, 7));
         p.setPen(QPen(QColor(90, 90, 90), 1));
         p.drawLine(QPointF(12, 24), QPointF(20, 24));
         p.drawLine(QPointF(12, 26.5), QPointF(20, 26.5));
       }},
      {"note.png",
       [](QPainter& p) {
         p.setPen(QPen(QColor(170, 150, 60), 1.2));
         p.setBrush(QColor(255, 240, 140));
         p.drawPolygon(QPolygonF({QPointF(5, 4), QPointF(27, 4), QPointF(27, 21), QPointF(20, 28), QPointF(5, 28)}));
         p.setPen(QPen(QColor(150, 130, 60), 1));
         for (int y = 10; y <= 20; y += 5) p.drawLine(QPointF(8, y), QPointF(24, y));
       }},
      {"note-alert.png",
       [](QPainter& p) {
         p.setPen(QPen(QColor(170, 150, 60), 1.2));
         p.setBrush(QColor(255, 240, 140));
         p.drawPolygon(QPolygonF({QPointF(3, 6), QPointF(23, 6), QPointF(23, 28), QPointF(3, 28)}));
         p.setPen(Qt::NoPen);
         p.setBrush(kRed);
         p.drawEllipse(QRectF(17, 2, 13, 13));
         p.fillRect(QRectF(22.5, 4.5, 2.5, 5.5), Qt::white);
         p.fillRect(QRectF(22.5, 11, 2.5, 2.5), Qt::white);
       }},
      {"target.png",
       [](QPainter& p) {
         p.setPen(Qt::NoPen);
         const QColor rings[] = {kRed, Qt::white, kRed, Qt::white, kRed};
         for (int i = 0; i < 5; ++i) {
           p.setBrush(rings[i]);
           const double r = 14 - i * 3;
           p.drawEllipse(QPointF(16, 16), r, r);
         }
       }},
      {"webpage.png",
       [](QPainter& p) {
         page(p);
         p.setPen(QPen(QColor(40, 110, 170), 1.5));
         p.setBrush(QColor(200, 225, 245));
         p.drawEllipse(QRectF(14, 14, 16, 16));
         p.drawLine(QPointF(14, 22), QPointF(30, 22));
         p.drawEllipse(QRectF(18.5, 14, 7, 16));
       }},
      {"help.png",
       [](QPainter& p) {
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(40, 110, 170));
         p.drawEllipse(QRectF(2, 2, 28, 28));
         QFont f("Liberation Sans");
         f.setPixelSize(22);
         f.setBold(true);
         p.setFont(f);
         p.setPen(Qt::white);
         p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, "?");
       }},
  };
  return all;
}

QImage wallpaper() {
  const int w = 1024, h = 768;
  QImage img(w, h, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, w, h);
  sky.setColorAt(0, QColor(18, 42, 82));
  sky.setColorAt(0.55, QColor(28, 92, 128));
  sky.setColorAt(1, QColor(60, 150, 150));
  p.fillRect(img.rect(), sky);
  // soft rings of light
  for (int i = 0; i < 9; ++i) {
    const double cx = 140 + 105.0 * i, cy = 560 - 230 * std::sin(i * 0.7);
    QRadialGradient glow(cx, cy, 90 + 18 * (i % 4));
    glow.setColorAt(0, QColor(255, 255, 255, 34));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(cx, cy), 90 + 18 * (i % 4), 90 + 18 * (i % 4));
  }
  // flowing lines, like strokes of a pen
  for (int k = 0; k < 14; ++k) {
    QPainterPath path;
    const double base = 160 + 36 * k;
    path.moveTo(-20, base);
    for (int x = 0; x <= w + 40; x += 40)
      path.lineTo(x, base + 46 * std::sin(x / 170.0 + k * 0.45) + 14 * std::sin(x / 53.0));
    p.setPen(QPen(QColor(200, 230, 255, 22 + 3 * (k % 5)), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  }
  QFont f("Liberation Serif");
  f.setPixelSize(64);
  f.setItalic(true);
  p.setFont(f);
  p.setPen(QColor(255, 255, 255, 60));
  p.drawText(QRect(0, h - 150, w - 48, 100), Qt::AlignRight | Qt::AlignVCenter, "Quillmark");
  return img;
}

bool writeJpeg(const QImage& source, const std::string& path) {
  const QImage img = source.convertToFormat(QImage::Format_RGB888);
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);  // the library exits on error: a tool, not the program
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = static_cast<JDIMENSION>(img.width());
  cinfo.image_height = static_cast<JDIMENSION>(img.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 88, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(img.constScanLine(static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
    return 2;
  }
  QGuiApplication app(argc, argv);
  const std::string dir = argv[1];
  int failures = 0;
  for (const Icon& icon : icons()) {
    QImage img(kSize, kSize, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    {
      QPainter p(&img);
      p.setRenderHint(QPainter::Antialiasing);
      icon.draw(p);
    }
    const std::string path = dir + "/icons/" + icon.file;
    if (!img.save(QString::fromStdString(path), "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ++failures;
    }
  }
  const std::string jpg = dir + "/pictures/newqmk 2.jpg";
  if (!writeJpeg(wallpaper(), jpg)) {
    std::fprintf(stderr, "cannot write %s\n", jpg.c_str());
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}
