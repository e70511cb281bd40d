// Build step: renders one SVG source of resources/ into a PNG of the size
// and depth a program names, for the module's compiled-in resources.
//   qz_render_image SOURCE.svg OUT.png WIDTH HEIGHT rgb|argb
// "rgb" is an opaque 24-bit bitmap, "argb" an icon with transparency.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s SOURCE.svg OUT.png WIDTH HEIGHT rgb|argb\n", argv[0]);
    return 2;
  }
  QSvgRenderer svg{QString::fromLocal8Bit(argv[1])};
  if (!svg.isValid()) {
    std::fprintf(stderr, "%s: not a valid SVG file\n", argv[1]);
    return 1;
  }
  int width = QString(argv[3]).toInt();
  int height = QString(argv[4]).toInt();
  bool opaque = QString(argv[5]) == QStringLiteral("rgb");
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter, QRectF(0, 0, width, height));
  }
  QImage out = image.convertToFormat(opaque ? QImage::Format_RGB888 : QImage::Format_ARGB32);
  if (!out.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "%s: cannot write\n", argv[2]);
    return 1;
  }
  return 0;
}
