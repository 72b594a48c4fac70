// trv-draw-images FOLDER: draws the program's own images into FOLDER. The images in gui/images
// were made with it; run it again after changing a drawing (QT_QPA_PLATFORM=offscreen works).
//
// Icons are written as .ico files holding 16, 32 and 48 pixel pictures; the hand cursor as a
// .cur file; the wallpapers as JPEG.

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Draw = std::function<void(QPainter&)>;  // draws on a 48 x 48 canvas

const QColor kInk(0x1d, 0x35, 0x57);
const QColor kBlue(0x2b, 0x6c, 0xb0);
const QColor kLightBlue(0x9c, 0xc7, 0xf0);
const QColor kRed(0xd6, 0x3a, 0x2f);
const QColor kAmber(0xf2, 0xa9, 0x1e);
const QColor kGreen(0x2e, 0xa0, 0x4a);
const QColor kPaper(0xfb, 0xf8, 0xef);

QImage render(const Draw& draw, int size) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 48.0, size / 48.0);
  draw(p);
  return img;
}

// The Windows icon container (ICONDIR) with one PNG-free 32-bit picture per size, as Qt writes
// a single picture; several are joined here.
QByteArray iconFile(const Draw& draw, int type, int hotX = 0, int hotY = 0) {
  const std::vector<int> sizes = {16, 32, 48};
  std::vector<QByteArray> bodies;
  for (int size : sizes) {
    QByteArray one;
    QBuffer buffer(&one);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(render(draw, size)))
      std::fprintf(stderr, "ico: %s\n", qPrintable(writer.errorString()));
    bodies.push_back(one.mid(6 + 16));  // the picture after Qt's own directory
  }
  QByteArray out;
  auto put16 = [&](int v) {
    out.append(static_cast<char>(v & 0xff));
    out.append(static_cast<char>((v >> 8) & 0xff));
  };
  auto put32 = [&](quint32 v) {
    put16(static_cast<int>(v & 0xffff));
    put16(static_cast<int>(v >> 16));
  };
  put16(0);
  put16(type);  // 1 icon, 2 cursor
  put16(static_cast<int>(sizes.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const int size = sizes[i];
    out.append(static_cast<char>(size));
    out.append(static_cast<char>(size));
    out.append('\0');  // no palette
    out.append('\0');
    if (type == 2) {  // a cursor keeps its hot spot where an icon keeps planes and depth
      put16(hotX * size / 48);
      put16(hotY * size / 48);
    } else {
      put16(1);
      put16(32);
    }
    put32(static_cast<quint32>(bodies[i].size()));
    put32(offset);
    offset += static_cast<quint32>(bodies[i].size());
  }
  for (const QByteArray& b : bodies) out.append(b);
  return out;
}

bool save(const QString& folder, const QString& name, const QByteArray& data) {
  QFile f(folder + "/" + name);
  if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
    return false;
  }
  return true;
}

// --- the drawings ---

// A life ring: the program's sign, help at hand.
void lifeRing(QPainter& p) {
  const QPointF c(24, 24);
  QPainterPath ring;
  ring.addEllipse(c, 21, 21);
  ring.addEllipse(c, 10, 10);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255));
  p.drawPath(ring);
  p.save();
  p.setClipPath(ring);
  p.setBrush(kRed);
  for (int k = 0; k < 4; ++k) p.drawPie(QRectF(2, 2, 44, 44), (k * 90 + 22) * 16, 46 * 16);
  p.restore();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kInk, 1.6));
  p.drawEllipse(c, 21, 21);
  p.drawEllipse(c, 10, 10);
  p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap));
  for (double a : {45.0, 135.0, 225.0, 315.0}) {  // the rope
    const double r = a * M_PI / 180;
    p.drawLine(QPointF(24 + 19 * std::cos(r), 24 + 19 * std::sin(r)),
               QPointF(24 + 23 * std::cos(r), 24 + 23 * std::sin(r)));
  }
}

void trafficLight(QPainter& p, int lit) {  // lit: 0 green, 1 amber, 2 red
  p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.5));
  p.setBrush(QColor(0x3a, 0x3d, 0x42));
  p.drawRoundedRect(QRectF(13, 2, 22, 44), 6, 6);
  const QColor colours[3] = {kRed, kAmber, kGreen};  // top to bottom
  for (int k = 0; k < 3; ++k) {
    const bool on = (2 - k) == lit;
    QColor c = colours[k];
    if (!on) c = c.darker(330);
    QRadialGradient g(QPointF(22, 9 + 14 * k), 8);
    g.setColorAt(0, on ? c.lighter(160) : c);
    g.setColorAt(1, c);
    p.setPen(QPen(QColor(0x15, 0x15, 0x15), 1));
    p.setBrush(g);
    p.drawEllipse(QPointF(24, 10 + 14 * k), 6.5, 6.5);
  }
}

void envelope(QPainter& p, QRectF r) {
  p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kPaper);
  p.drawRect(r);
  QPainterPath flap;
  flap.moveTo(r.topLeft());
  flap.lineTo(r.center().x(), r.top() + r.height() * 0.55);
  flap.lineTo(r.topRight());
  p.setBrush(Qt::NoBrush);
  p.drawPath(flap);
}

void arrow(QPainter& p, QPointF from, QPointF to, QColor colour, double width) {
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(from, to);
  const double a = std::atan2(to.y() - from.y(), to.x() - from.x());
  const double head = width * 2.2;
  for (double side : {2.5, -2.5})
    p.drawLine(to, QPointF(to.x() - head * std::cos(a + side / 2.5 * 0.6 * M_PI / 1.2),
                           to.y() - head * std::sin(a + side / 2.5 * 0.6 * M_PI / 1.2)));
}

void sendMail(QPainter& p) {
  envelope(p, QRectF(3, 14, 30, 22));
  arrow(p, QPointF(26, 30), QPointF(44, 12), kGreen, 4);
}

void person(QPainter& p, QPointF at, double scale, QColor colour) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(colour);
  p.drawEllipse(QPointF(at.x(), at.y() - 7 * scale), 5 * scale, 5 * scale);
  QPainterPath body;
  body.moveTo(at.x() - 9 * scale, at.y() + 9 * scale);
  body.cubicTo(at.x() - 9 * scale, at.y() - 2 * scale, at.x() + 9 * scale, at.y() - 2 * scale,
               at.x() + 9 * scale, at.y() + 9 * scale);
  body.closeSubpath();
  p.drawPath(body);
}

void addressBook(QPainter& p) {
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(kBlue);
  p.drawRoundedRect(QRectF(8, 4, 30, 40), 3, 3);
  p.setBrush(kPaper);
  p.drawRect(QRectF(12, 8, 22, 32));
  p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
  for (double y : {10.0, 18.0, 26.0, 34.0}) p.drawLine(QPointF(5, y), QPointF(11, y));  // rings
  person(p, QPointF(23, 24), 1.0, kLightBlue);
  QFont f("DejaVu Sans", 13, QFont::Bold);
  p.setFont(f);
  p.setPen(kGreen);
  p.drawText(QRectF(28, 26, 20, 20), Qt::AlignCenter, "@");
}

void stopwatch(QPainter& p) {
  p.setPen(QPen(kInk, 2));
  p.setBrush(kPaper);
  p.drawEllipse(QPointF(24, 26), 18, 18);
  p.setBrush(kRed);
  p.drawRoundedRect(QRectF(20, 2, 8, 5), 1.5, 1.5);  // the stopwatch's button
  p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap));
  for (int k = 0; k < 12; ++k) {
    const double a = k * M_PI / 6;
    p.drawLine(QPointF(24 + 14 * std::cos(a), 26 + 14 * std::sin(a)),
               QPointF(24 + 16 * std::cos(a), 26 + 16 * std::sin(a)));
  }
  p.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(24, 26), QPointF(24, 14));
  p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(24, 26), QPointF(32, 30));
}

void changedLetter(QPainter& p) {
  envelope(p, QRectF(4, 12, 40, 26));
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  p.drawEllipse(QPointF(40, 12), 7, 7);  // news
}

void letter(QPainter& p) {
  envelope(p, QRectF(4, 11, 40, 26));
}

// A paper clip over a sheet.
void attachment(QPainter& p) {
  p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kPaper);
  p.drawRect(QRectF(10, 8, 28, 36));
  QPainterPath clip;
  clip.moveTo(21, 30);
  clip.lineTo(21, 9);
  clip.arcTo(QRectF(21, 3, 10, 10), 180, -180);
  clip.lineTo(31, 34);
  clip.arcTo(QRectF(16, 27, 15, 15), 0, -180);
  clip.lineTo(16, 14);
  p.setPen(QPen(kBlue, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(clip);
}

void onHold(QPainter& p) {
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(kAmber);
  p.drawEllipse(QPointF(24, 24), 20, 20);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(15, 13, 6, 22), 2, 2);
  p.drawRoundedRect(QRectF(27, 13, 6, 22), 2, 2);
}

void inbox(QPainter& p) {
  envelope(p, QRectF(10, 4, 28, 20));
  p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kLightBlue);
  QPainterPath tray;
  tray.moveTo(3, 26);
  tray.lineTo(16, 26);
  tray.lineTo(19, 32);
  tray.lineTo(29, 32);
  tray.lineTo(32, 26);
  tray.lineTo(45, 26);
  tray.lineTo(45, 44);
  tray.lineTo(3, 44);
  tray.closeSubpath();
  p.drawPath(tray);
}

void member(QPainter& p) {
  person(p, QPointF(24, 26), 2.0, kLightBlue);
}

void moveArrow(QPainter& p, bool up) {
  p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kGreen);
  QPainterPath shape;
  const double tip = up ? 4 : 44, base = up ? 22 : 26, tail = up ? 44 : 4;
  shape.moveTo(24, tip);
  shape.lineTo(44, base);
  shape.lineTo(32, base);
  shape.lineTo(32, tail);
  shape.lineTo(16, tail);
  shape.lineTo(16, base);
  shape.lineTo(4, base);
  shape.closeSubpath();
  p.drawPath(shape);
}

void checkMark(QPainter& p) {
  p.setPen(QPen(kGreen, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath tick;
  tick.moveTo(8, 25);
  tick.lineTo(19, 36);
  tick.lineTo(40, 11);
  p.drawPath(tick);
}

void hand(QPainter& p) {
  p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  QPainterPath h;  // a pointing hand, the finger's tip at (16, 2)
  h.moveTo(13, 22);
  h.lineTo(13, 5);
  h.cubicTo(13, 1, 19, 1, 19, 5);
  h.lineTo(19, 18);
  h.lineTo(22, 17);
  h.cubicTo(25, 16, 26, 18, 26, 19);
  h.lineTo(29, 18.5);
  h.cubicTo(32, 18, 33, 20, 33, 21);
  h.lineTo(35, 21);
  h.cubicTo(38, 21, 39, 23, 39, 25);
  h.lineTo(39, 34);
  h.cubicTo(39, 40, 35, 44, 29, 44);
  h.lineTo(22, 44);
  h.cubicTo(17, 44, 14, 41, 11, 37);
  h.lineTo(5, 28);
  h.cubicTo(3, 25, 6, 22, 9, 24);
  h.closeSubpath();
  p.drawPath(h);
}

// A wallpaper: a calm gradient, the life ring and the program's name.
QImage wallpaper(QColor top, QColor bottom, QColor text) {
  QImage img(1280, 960, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, img.height());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(img.rect(), g);
  p.setOpacity(0.9);
  p.save();
  p.translate(img.width() / 2.0 - 120, img.height() / 2.0 - 200);
  p.scale(5, 5);
  lifeRing(p);
  p.restore();
  p.setOpacity(1);
  QFont f("DejaVu Sans", 54, QFont::Bold);
  p.setFont(f);
  p.setPen(text);
  p.drawText(QRectF(0, img.height() / 2.0 + 70, img.width(), 100), Qt::AlignCenter,
             "Vorn Trovanel");
  QFont small("DejaVu Sans", 22);
  p.setFont(small);
  p.drawText(QRectF(0, img.height() / 2.0 + 170, img.width(), 50), Qt::AlignCenter,
             "Help desk case tracker");
  return img;
}

bool saveJpeg(const QString& folder, const QString& name, const QImage& img) {
  QImageWriter w(folder + "/" + name, "jpeg");
  w.setQuality(88);
  if (w.write(img)) return true;
  std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(name), qPrintable(w.errorString()));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: trv-draw-images FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  struct Icon {
    const char* name;
    Draw draw;
  };
  const std::vector<Icon> icons = {
      {"Zoruve.ico", lifeRing},
      {"Trffc10a.ico", [](QPainter& p) { trafficLight(p, 0); }},
      {"Trffc10b.ico", [](QPainter& p) { trafficLight(p, 1); }},
      {"Trffc10c.ico", [](QPainter& p) { trafficLight(p, 2); }},
      {"SEND1.ICO", sendMail},
      {"To2.ico", addressBook},
      {"Timer.ico", stopwatch},
      {"~letter.ico", changedLetter},
      {"~at.ico", onHold},
      {"attach1.ico", attachment},
      {"letter.ico", letter},
      {"Mail10.ico", inbox},
      {"Member.ico", member},
      {"MOVEUP.ICO", [](QPainter& p) { moveArrow(p, true); }},
      {"MOVEDOWN.ICO", [](QPainter& p) { moveArrow(p, false); }},
      {"~QwCheck.ICO", checkMark},
  };
  bool ok = true;
  for (const Icon& i : icons) ok = save(folder, i.name, iconFile(i.draw, 1)) && ok;
  ok = save(folder, "Hand.cur", iconFile(hand, 2, 16, 2)) && ok;
  ok = render(lifeRing, 64).save(folder + "/trvnel.png") && ok;
  ok = saveJpeg(folder, "logo.jpg",
                wallpaper(QColor(0x2b, 0x5f, 0x8f), QColor(0x10, 0x25, 0x3d),
                          QColor(0xf4, 0xf1, 0xe8))) &&
       ok;
  ok = saveJpeg(folder, "logo2.jpg",
                wallpaper(QColor(0xe9, 0xee, 0xf2), QColor(0xa9, 0xbb, 0xcc),
                          QColor(0x1d, 0x35, 0x57))) &&
       ok;
  return ok ? 0 : 1;
}
