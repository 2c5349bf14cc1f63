#include "tavrel/platform/gif_writer.h"

#include <gif_lib.h>

#include <QHash>
#include <memory>
#include <vector>

namespace tavrel {

namespace {

int appendBytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::string*>(gif->UserData);
    out->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMap = std::unique_ptr<ColorMapObject, MapDeleter>;

// The smallest power of two holding n colours (at least 2, as a GIF colour map needs).
int mapSize(int n) {
    int size = 2;
    while (size < n) size *= 2;
    return size;
}

// Exact palette and indices when the picture has 256 colours or fewer.
bool exactColours(const QImage& rgb, std::vector<QRgb>& palette, std::vector<GifByteType>& pixels) {
    QHash<QRgb, int> index;
    const int w = rgb.width();
    const int h = rgb.height();
    pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x] & 0xFFFFFFu;
            auto it = index.constFind(c);
            int i;
            if (it == index.constEnd()) {
                if (palette.size() == 256) return false;
                i = static_cast<int>(palette.size());
                index.insert(c, i);
                palette.push_back(c);
            } else {
                i = it.value();
            }
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                   static_cast<std::size_t>(x)] = static_cast<GifByteType>(i);
        }
    }
    return true;
}

ColorMap quantised(const QImage& rgb, std::vector<GifByteType>& pixels) {
    const auto w = static_cast<unsigned>(rgb.width());
    const auto h = static_cast<unsigned>(rgb.height());
    const std::size_t n = static_cast<std::size_t>(w) * h;
    std::vector<GifByteType> r(n), g(n), b(n);
    for (unsigned y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(static_cast<int>(y)));
        for (unsigned x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            r[i] = static_cast<GifByteType>(qRed(line[x]));
            g[i] = static_cast<GifByteType>(qGreen(line[x]));
            b[i] = static_cast<GifByteType>(qBlue(line[x]));
        }
    }
    ColorMap map(GifMakeMapObject(256, nullptr));
    if (!map) return nullptr;
    int size = 256;
    pixels.resize(n);
    if (GifQuantizeBuffer(w, h, &size, r.data(), g.data(), b.data(), pixels.data(), map->Colors) !=
        GIF_OK) {
        return nullptr;
    }
    return map;
}

}  // namespace

std::optional<std::string> encodeGif(const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0 || image.width() > 0xFFFF ||
        image.height() > 0xFFFF) {
        return std::nullopt;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<GifByteType> pixels;
    std::vector<QRgb> palette;
    ColorMap map;
    if (exactColours(rgb, palette, pixels)) {
        map.reset(GifMakeMapObject(mapSize(static_cast<int>(palette.size())), nullptr));
        if (!map) return std::nullopt;
        for (int i = 0; i < map->ColorCount; ++i) {
            const QRgb c =
                i < static_cast<int>(palette.size()) ? palette[static_cast<std::size_t>(i)] : 0;
            map->Colors[i] =
                GifColorType{static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                             static_cast<GifByteType>(qBlue(c))};
        }
    } else {
        map = quantised(rgb, pixels);
        if (!map) return std::nullopt;
    }

    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    if (!gif) return std::nullopt;
    EGifSetGifVersion(gif, true);
    const int w = rgb.width();
    const int h = rgb.height();
    bool ok = EGifPutScreenDesc(gif, w, h, map->BitsPerPixel, 0, map.get()) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < h; ++y) {
        ok = EGifPutLine(gif,
                         pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w),
                         w) == GIF_OK;
    }
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    if (!ok) return std::nullopt;
    return out;
}

}  // namespace tavrel
