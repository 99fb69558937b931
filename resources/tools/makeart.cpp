// Draws the program's icons (PNG), its pictures (PNG, or JPEG through
// libjpeg) and the pointer. Run once; its output is kept beside the resource list.
//   qm_makeart <resources folder>
#include <cstdio>
// jpeglib.h uses size_t and FILE without including <cstdio>; this line keeps the
// formatter from sorting it above.
#include <jpeglib.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

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
      {"vcrfirst.png",
       [](QPainter& p) {
         bar(p, 6);
         left(p, 10);
         left(p, 17);
       }},
      {"vcrprior.png",
       [](QPainter& p) {
         left(p, 5);
         left(p, 15);
       }},
      {"vcrup.png",
       [](QPainter& p) {
         triangle(p, {16, 7}, {6, 24}, {26, 24}, kInk);
       }},
      {"find.png",
       [](QPainter& p) {
         p.setPen(QPen(kInk, 3));
         p.setBrush(QColor(210, 230, 250));
         p.drawEllipse(QRectF(5, 4, 15, 15));
         p.setPen(QPen(QColor(120, 80, 40), 4, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(18, 18), QPointF(27, 27));
       }},
      {"vcrdown.png",
       [](QPainter& p) {
         triangle(p, {16, 25}, {6, 8}, {26, 8}, kInk);
       }},
      {"vcrnext.png",
       [](QPainter& p) {
         right(p, 7);
         right(p, 17);
       }},
      {"vcrlast.png",
       [](QPainter& p) {
         right(p, 5);
         right(p, 12);
         bar(p, 23);
       }},
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
         p.drawPolygon(
             QPolygonF({QPointF(16, 4), QPointF(28, 10), QPointF(16, 16), QPointF(4, 10)}));
         p.setBrush(QColor(70, 120, 180));
         p.drawPolygon(
             QPolygonF({QPointF(4, 10), QPointF(16, 16), QPointF(16, 29), QPointF(4, 23)}));
         p.setBrush(QColor(40, 90, 150));
         p.drawPolygon(
             QPolygonF({QPointF(28, 10), QPointF(16, 16), QPointF(16, 29), QPointF(28, 23)}));
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
         p.drawPolygon(QPolygonF(
             {QPointF(5, 4), QPointF(27, 4), QPointF(27, 21), QPointF(20, 28), QPointF(5, 28)}));
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

// ---- the companion program's wallpaper: a still green pond, ripples spreading

QImage readerWallpaper() {
  const int w = 1024, h = 768;
  QImage img(w, h, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient pond(0, 0, w * 0.35, h);
  pond.setColorAt(0, QColor(14, 44, 32));
  pond.setColorAt(0.55, QColor(40, 96, 64));
  pond.setColorAt(1, QColor(132, 150, 88));
  p.fillRect(img.rect(), pond);
  p.setBrush(Qt::NoBrush);
  // two sets of ripples, flattened like water seen from the shore
  struct Ripple {
    double cx, cy;
    int rings;
  };
  for (const Ripple& r : {Ripple{300, 560, 12}, Ripple{790, 450, 9}}) {
    for (int i = 1; i <= r.rings; ++i) {
      const double rx = 26.0 * i + 1.6 * i * i;
      p.setPen(QPen(QColor(230, 255, 220, std::max(4, 36 - 3 * i)), 1.4));
      p.drawEllipse(QPointF(r.cx, r.cy), rx, rx * 0.36);
    }
  }
  // darker corners keep the eye on the middle
  QRadialGradient vignette(w / 2.0, h / 2.0, w * 0.72);
  vignette.setColorAt(0.55, QColor(0, 0, 0, 0));
  vignette.setColorAt(1, QColor(0, 0, 0, 70));
  p.fillRect(img.rect(), vignette);
  QFont f("Liberation Serif");
  f.setPixelSize(64);
  f.setItalic(true);
  p.setFont(f);
  p.setPen(QColor(235, 255, 230, 60));
  p.drawText(QRect(0, h - 150, w - 48, 100), Qt::AlignRight | Qt::AlignVCenter, "Skimwell");
  return img;
}

// ---- the set-up tab's picture: a wizard's hat and wand

void star(QPainter& p, QPointF c, double outer, double inner, const QColor& col) {
  QPainterPath path;
  for (int i = 0; i < 10; ++i) {
    const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5, r = i % 2 ? inner : outer;
    const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    if (i == 0)
      path.moveTo(pt);
    else
      path.lineTo(pt);
  }
  path.closeSubpath();
  p.fillPath(path, col);
}

QImage wizard() {
  const int s = 128;
  QImage img(s, s, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient sky(64, 56, 90);
  sky.setColorAt(0, QColor(250, 248, 255));
  sky.setColorAt(1, QColor(200, 205, 235));
  p.fillRect(img.rect(), sky);
  const QColor gold(236, 184, 50);
  // the hat: a cone whose tip droops to one side, on a wide brim
  QPainterPath cone;
  cone.moveTo(30, 96);
  cone.cubicTo(40, 70, 50, 40, 64, 16);
  cone.quadTo(74, 8, 88, 16);
  cone.quadTo(76, 18, 72, 30);
  cone.cubicTo(78, 56, 86, 78, 96, 96);
  cone.closeSubpath();
  QLinearGradient cloth(30, 0, 100, 0);
  cloth.setColorAt(0, QColor(70, 60, 150));
  cloth.setColorAt(1, QColor(38, 30, 96));
  p.setPen(QPen(QColor(28, 22, 70), 1.5));
  p.setBrush(cloth);
  p.drawPath(cone);
  p.setBrush(QColor(52, 42, 120));
  p.drawEllipse(QRectF(14, 88, 98, 20));
  p.setPen(Qt::NoPen);
  p.setBrush(gold);
  p.drawRect(QRectF(31, 86, 64, 7));
  star(p, {58, 62}, 7, 3, gold);
  star(p, {74, 44}, 4.5, 2, gold);
  star(p, {70, 78}, 3.5, 1.5, gold);
  // a crescent, cut from a disc
  QPainterPath moon;
  moon.addEllipse(QRectF(47, 36, 12, 12));
  QPainterPath bite;
  bite.addEllipse(QRectF(51, 34, 12, 12));
  p.fillPath(moon.subtracted(bite), gold);
  // the wand, with sparkles at its tip
  p.setPen(QPen(QColor(60, 40, 30), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(88, 116), QPointF(112, 80));
  p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(109.8, 83.3), QPointF(112, 80));
  star(p, {114, 74}, 8, 3, gold);
  star(p, {104, 62}, 3.5, 1.4, gold);
  star(p, {122, 88}, 3, 1.2, gold);
  return img;
}

// ---- the notes form's picture: a ruled pad with a pencil

QImage notepad() {
  const int s = 64;
  QImage img(s, s, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 40));
  p.drawRoundedRect(QRectF(10, 8, 44, 54), 2, 2);  // shadow
  p.setPen(QPen(QColor(170, 150, 70), 1));
  p.setBrush(QColor(255, 244, 160));
  p.drawRect(QRectF(8.5, 6.5, 44, 54));
  p.setPen(QPen(QColor(130, 170, 220), 1));
  for (int y = 20; y <= 56; y += 6) p.drawLine(QPointF(9, y + 0.5), QPointF(52, y + 0.5));
  p.setPen(QPen(QColor(220, 110, 110), 1));
  p.drawLine(QPointF(16.5, 13), QPointF(16.5, 60));
  // the binding, with rings through it
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(150, 60, 50));
  p.drawRect(QRectF(8, 6, 45, 7));
  p.setPen(QPen(QColor(120, 120, 130), 1.8));
  p.setBrush(Qt::NoBrush);
  for (int x = 13; x <= 49; x += 6) p.drawArc(QRectF(x - 2.5, 2, 5, 8), 0, 180 * 16);
  // the pencil, lying across the corner
  p.save();
  p.translate(46, 44);
  p.rotate(-50);
  p.setPen(QPen(QColor(120, 80, 20), 0.8));
  p.setBrush(QColor(245, 180, 40));
  p.drawRect(QRectF(-16, -3, 26, 6));
  p.setBrush(QColor(230, 140, 140));
  p.drawRect(QRectF(10, -3, 5, 6));
  p.setBrush(QColor(190, 190, 190));
  p.drawRect(QRectF(8, -3, 3, 6));
  p.setBrush(QColor(240, 210, 160));
  p.drawPolygon(QPolygonF({QPointF(-16, -3), QPointF(-24, 0), QPointF(-16, 3)}));
  p.setBrush(QColor(50, 50, 50));
  p.setPen(Qt::NoPen);
  p.drawPolygon(QPolygonF({QPointF(-21.3, -1), QPointF(-24, 0), QPointF(-21.3, 1)}));
  p.restore();
  return img;
}

// ---- the pointer: a gloved hand pointing up. Its hot spot, the fingertip at
// (12, 0), is kept with the name in resources.cpp.

QImage glove() {
  QImage img(kSize, kSize, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // Edges on half pixels keep the one-pixel outline crisp.
  QPainterPath hand;
  hand.setFillRule(Qt::WindingFill);                   // overlapping parts stay filled
  hand.addRoundedRect(QRectF(9.5, 0.5, 6, 18), 3, 3);  // the pointing finger
  struct Knuckle {
    double x, y, w;
  };
  const Knuckle knuckles[] = {{15.5, 9.5, 5}, {20.5, 10.5, 5}, {25.5, 12.5, 4}};
  for (const Knuckle& k : knuckles)
    hand.addRoundedRect(QRectF(k.x, k.y, k.w, 19 - k.y), k.w / 2, k.w / 2);
  hand.addRoundedRect(QRectF(9.5, 14.5, 20, 10), 3, 3);  // the palm
  QPainterPath thumb;
  thumb.moveTo(11, 24);
  thumb.cubicTo(7, 21, 3.5, 18, 4, 15.5);
  thumb.cubicTo(4.5, 12.5, 7.5, 13, 11, 17);
  thumb.closeSubpath();
  hand = hand.united(thumb).simplified();
  const QColor outline(25, 25, 30);
  p.setPen(QPen(outline, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  p.drawPath(hand);
  // where each curled finger meets the next
  for (const Knuckle& k : knuckles) p.drawLine(QPointF(k.x, k.y + 2), QPointF(k.x, 17));
  // the cuff, with its stitching
  p.setBrush(QColor(225, 228, 235));
  p.drawRoundedRect(QRectF(11.5, 24.5, 17, 6), 1.5, 1.5);
  p.setPen(QPen(QColor(120, 125, 140), 1, Qt::DotLine));
  p.drawLine(QPointF(13.5, 27.5), QPointF(26.5, 27.5));
  return img;
}

// The programs' icons again at the sizes desktops show: the drawings scale.
struct AppIcon {
  const char* name;  // icons/apps/<name>-<size>.png
  const char* drawnAs;
};
constexpr AppIcon kAppIcons[] = {{"quillmark", "qm.png"}, {"skimwell", "webpage.png"}};
constexpr int kAppSizes[] = {48, 64, 128, 256};

QImage drawIcon(const Icon& icon, int size) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(double(size) / kSize, double(size) / kSize);
  icon.draw(p);
  return img;
}

struct Picture {
  const char* file;  // under the resources folder
  bool jpeg;
  std::function<QImage()> draw;
};

const std::vector<Picture>& pictures() {
  static const std::vector<Picture> all = {
      {"pictures/newqmk 2.jpg", true, wallpaper}, {"pictures/skimwell.jpg", true, readerWallpaper},
      {"pictures/wiz.jpg", true, wizard},         {"pictures/notepad.png", false, notepad},
      {"cursors/glove.png", false, glove},
  };
  return all;
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
  const auto save = [&](const QImage& img, const std::string& folder, const std::string& file) {
    const std::string path = dir + "/" + folder + "/" + file;
    if (!QDir().mkpath(QString::fromStdString(dir + "/" + folder)) ||
        !img.save(QString::fromStdString(path), "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ++failures;
    }
  };
  for (const Icon& icon : icons()) {
    save(drawIcon(icon, kSize), "icons", icon.file);
    for (const AppIcon& app : kAppIcons)
      if (std::string(app.drawnAs) == icon.file)
        for (int size : kAppSizes)
          save(drawIcon(icon, size), "icons/apps",
               std::string(app.name) + "-" + std::to_string(size) + ".png");
  }
  for (const Picture& pic : pictures()) {
    const std::string path = dir + "/" + pic.file;
    const QString qpath = QString::fromStdString(path);
    const bool written = QDir().mkpath(QFileInfo(qpath).path()) &&
                         (pic.jpeg ? writeJpeg(pic.draw(), path) : pic.draw().save(qpath, "PNG"));
    if (!written) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
