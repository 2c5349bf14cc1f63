#include "desktop/board/piece_pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <string_view>

#include "core/notation/piece_text.h"

namespace board {

namespace {

// One kanji per picture code (0 the king's other form, 8 the king); promoted pieces in their
// one-character forms.
std::string_view pieceKanji(int code) {
    return code == 0 ? core::kKingAlt : core::kPieceKanji[static_cast<std::size_t>(code & 15)];
}
// The standard sets write the promoted lance, knight and silver in two characters, one above
// the other; the one-character set (一文字) keeps 杏, 圭 and 全.
std::string_view twoCharacterForm(int code) {
    switch (code) {
        case 10:
            return core::kPromotedLanceName;
        case 11:
            return core::kPromotedKnightName;
        case 12:
            return core::kPromotedSilverName;
        default:
            return {};
    }
}

bool isPromotedCode(int code) { return code >= 9 && code != 13; }

// A small deterministic noise for the grain.
double hashNoise(int x, int y, int seed) {
    unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u +
                 static_cast<unsigned>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

}  // namespace

int pictureCode(core::PieceByte piece) {
    int type = core::pieceType(piece);
    if (type == core::kKing) return core::sideOf(piece) == core::kSideBlack ? 8 : 0;
    return type;
}

QImage PiecePictures::drawPiece(int code, bool upsideDown, const QColor& face) const {
    return drawPiece(code, upsideDown, face, m_cell.w, m_cell.h);
}

QImage PiecePictures::drawPiece(int code, bool upsideDown, const QColor& face, int pw,
                                int ph) const {
    // Drawn in the natural cell's units, scaled to the pixels asked for, so that every size is the
    // same picture.
    const double w = m_cell.w;
    const double h = m_cell.h;
    QImage img(pw, ph, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    if (pw != m_cell.w || ph != m_cell.h) p.scale(pw / w, ph / h);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (upsideDown) {
        p.translate(w, h);
        p.rotate(180);
    }
    // The five-sided piece, a little narrower at the top; kings and rooks are drawn fullest.
    bool big = code == 0 || code == 8 || code == 6 || code == 7 || code >= 14;
    double inset = big ? 1.0 : 2.0;
    double left = inset;
    double right = w - inset;
    double top = inset * 0.5 + 0.5;
    double bottom = h - 1.0;
    double shoulder = top + (bottom - top) * 0.28;
    double narrow = (right - left) * 0.14;
    QPainterPath path;
    path.moveTo((left + right) / 2, top);
    path.lineTo(right - narrow, shoulder);
    path.lineTo(right, bottom);
    path.lineTo(left, bottom);
    path.lineTo(left + narrow, shoulder);
    path.closeSubpath();
    QLinearGradient grad(0, top, 0, bottom);
    grad.setColorAt(0, face.lighter(112));
    grad.setColorAt(1, face.darker(108));
    p.fillPath(path, grad);
    p.setPen(QPen(QColor(90, 60, 30), 1.0));
    p.drawPath(path);

    QFont font(m_set % 2 == 0 ? QStringLiteral("IPAexMincho") : QStringLiteral("IPAexGothic"));
    font.setStyleHint(m_set % 2 == 0 ? QFont::Serif : QFont::SansSerif);
    font.setPixelSize(std::max(8, static_cast<int>((bottom - shoulder + 4) * 0.95)));
    font.setBold(m_set >= 14 || m_set % 3 == 1);
    p.setFont(font);
    p.setPen(isPromotedCode(code) ? QColor(190, 20, 20) : QColor(20, 15, 10));
    QRectF textRect(left, shoulder - (bottom - shoulder) * 0.25, right - left,
                    (bottom - shoulder) * 1.2);
    const std::string_view twoCharacters =
        m_set == kOneCharacterPieceSet ? std::string_view() : twoCharacterForm(code);
    if (!twoCharacters.empty()) {
        // Two smaller characters stacked in the piece's face.
        QFont small = font;
        small.setPixelSize(std::max(6, static_cast<int>((bottom - top) * 0.42)));
        p.setFont(small);
        const QString text =
            QString::fromUtf8(twoCharacters.data(), static_cast<qsizetype>(twoCharacters.size()));
        const double half = (bottom - shoulder * 0.6) / 2;
        const double from = shoulder * 0.6;
        p.drawText(QRectF(left, from, right - left, half), Qt::AlignHCenter | Qt::AlignBottom,
                   text.left(1));
        p.drawText(QRectF(left, from + half, right - left, half), Qt::AlignHCenter | Qt::AlignTop,
                   text.mid(1));
    } else {
        const std::string_view kanji = pieceKanji(code);
        p.drawText(textRect, Qt::AlignCenter,
                   QString::fromUtf8(kanji.data(), static_cast<qsizetype>(kanji.size())));
    }
    return img;
}

void PiecePictures::buildBuiltIn(int pieceSet) {
    m_set = std::clamp(pieceSet, 0, kPieceSetCount - 1);
    m_cell = cellSizeForSet(m_set, m_cell);
    m_external = false;
    m_sizedRatio = 0;
    QColor face(246, 214, 150);
    for (int code = 0; code < 16; ++code) {
        m_pictures[0][static_cast<std::size_t>(code)] = drawPiece(code, false, face);
        m_pictures[1][static_cast<std::size_t>(code)] = drawPiece(code, true, face);
    }
}

QImage PiecePictures::tinted(bool black, int code, const QColor& colour) const {
    if (m_external) return picture(black, code);
    return drawPiece(code & 15, !black, colour);
}

bool PiecePictures::buildFromImage(const QImage& source) {
    std::optional<PictureLayout> layout = pictureLayout(source.width(), source.height());
    if (!layout) return false;
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    CellSize cell = layout->cell;
    auto cut = [&](GridCell c) {
        return image.copy(c.column * cell.w, c.row * cell.h, cell.w, cell.h);
    };
    for (int side = 0; side < 2; ++side) {
        bool black = side == 0;
        for (int code = 0; code < 16; ++code) {
            QImage pic = cut(pictureCell(*layout, black, code));
            QImage mask = cut(maskCell(*layout, black, code == 8 ? 0 : (code & 7)));
            // Dark mask pixels belong to the piece; light ones let the background through.
            for (int y = 0; y < cell.h; ++y) {
                auto* line = reinterpret_cast<QRgb*>(pic.scanLine(y));
                const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
                for (int x = 0; x < cell.w; ++x) {
                    if (qGray(m[x]) >= 128) line[x] = qRgba(0, 0, 0, 0);
                }
            }
            m_pictures[static_cast<std::size_t>(side)][static_cast<std::size_t>(code)] =
                pic.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
    }
    m_cell = cell;
    m_external = true;
    m_sizedRatio = 0;
    return true;
}

const QImage& PiecePictures::sized(bool black, int code, CellSize target, qreal ratio) const {
    if (target == m_cell && ratio == 1.0) return picture(black, code);
    if (!(target == m_sizedCell) || ratio != m_sizedRatio) {
        const int pw = std::max(1, static_cast<int>(std::lround(target.w * ratio)));
        const int ph = std::max(1, static_cast<int>(std::lround(target.h * ratio)));
        const QColor face(246, 214, 150);
        for (int side = 0; side < 2; ++side) {
            for (int c = 0; c < 16; ++c) {
                QImage img =
                    m_external
                        ? m_pictures[static_cast<std::size_t>(side)][static_cast<std::size_t>(c)]
                              .scaled(pw, ph, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        : drawPiece(c, side == 1, face, pw, ph);
                img.setDevicePixelRatio(ratio);
                m_sized[static_cast<std::size_t>(side)][static_cast<std::size_t>(c)] = img;
            }
        }
        m_sizedCell = target;
        m_sizedRatio = ratio;
    }
    return m_sized[black ? 0 : 1][static_cast<std::size_t>(code & 15)];
}

QImage PiecePictures::sizedTinted(bool black, int code, const QColor& face, CellSize target,
                                  qreal ratio) const {
    if (m_external) return sized(black, code, target, ratio);
    if (target == m_cell && ratio == 1.0) return tinted(black, code, face);
    QImage img = drawPiece(code & 15, !black, face,
                           std::max(1, static_cast<int>(std::lround(target.w * ratio))),
                           std::max(1, static_cast<int>(std::lround(target.h * ratio))));
    img.setDevicePixelRatio(ratio);
    return img;
}

QImage woodGrain(Wood wood) {
    if (wood != Wood::Grain1 && wood != Wood::Grain2) return QImage();
    const int kind = wood == Wood::Grain1 ? 0 : 1;
    constexpr int kSize = 256;
    QImage img(kSize, kSize, QImage::Format_RGB32);
    // Base colours of the two woods: a pale one and a deeper reddish one.
    double r0 = kind == 0 ? 232 : 205;
    double g0 = kind == 0 ? 186 : 145;
    double b0 = kind == 0 ? 118 : 88;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            // Grain runs vertically; rings are bent slowly along y and tile at 256 pixels.
            double bend =
                9.0 * std::sin(2 * M_PI * y / kSize) + 4.0 * std::sin(6 * M_PI * y / kSize);
            double ring = std::sin(2 * M_PI * (x + bend) * (kind == 0 ? 11.0 : 16.0) / kSize);
            double fine = hashNoise(x, y / 3, kind) - 0.5;
            double shade = 1.0 - 0.06 * (ring * ring * ring) - 0.05 * fine;
            auto c = [&](double v) { return std::clamp(static_cast<int>(v * shade), 0, 255); };
            img.setPixel(x, y, qRgb(c(r0), c(g0), c(b0)));
        }
    }
    return img;
}

}  // namespace board
