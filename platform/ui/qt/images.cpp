// Designed images from the module's resources (":/qz3317vt/"), generated at
// build time from resources/*.svg in the sizes the programs name.
#include "images.h"

#include <QFile>
#include <QString>
#include <map>

namespace platform::ui::qt {

namespace {

QString bitmapPath(int id) { return QStringLiteral(":/qz3317vt/bitmaps/%1.png").arg(id); }
QString iconPath(int id, int size) {
  return QStringLiteral(":/qz3317vt/icons/%1-%2.png").arg(id).arg(size);
}
constexpr int kIconSizes[] = {32, 16};

// Decodes the designed image `id` from its PNG file.
std::optional<QImage> decodeDesigned(int id) {
  if (QFile::exists(bitmapPath(id))) return QImage(bitmapPath(id));
  if (QFile::exists(iconPath(id, kIconSizes[0]))) return QImage(iconPath(id, kIconSizes[0]));
  return std::nullopt;
}

}  // namespace

std::optional<QImage> designedImage(int id) {
  // A window paints its picture at each refresh that changes it: each image
  // is decoded once. Only the toolkit's thread paints.
  static std::map<int, std::optional<QImage>> decoded;
  auto it = decoded.find(id);
  if (it == decoded.end()) it = decoded.emplace(id, decodeDesigned(id)).first;
  return it->second;
}

QIcon designedIcon(int id) {
  QIcon icon;
  for (int size : kIconSizes)
    if (QFile::exists(iconPath(id, size))) icon.addFile(iconPath(id, size), QSize(size, size));
  return icon;
}

QImage toQImage(const Image& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    return {};
  QImage converted(image.width, image.height, QImage::Format_ARGB32);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      converted.setPixel(x, y, image.pixels[static_cast<std::size_t>(y * image.width + x)]);
  return converted;
}

QImage imageFor(const Image& image) {
  if (auto designed = designedImage(image.id)) return *designed;
  return toQImage(image);
}

QIcon iconFor(const Image& image) {
  auto designed = designedIcon(image.id);
  if (!designed.isNull()) return designed;
  return QIcon(QPixmap::fromImage(toQImage(image)));
}

}  // namespace platform::ui::qt
