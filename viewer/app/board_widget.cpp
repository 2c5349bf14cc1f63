#include "viewer/app/board_widget.h"

#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>

#include "core/text/sjis.h"
#include "viewer/platform/setting_font.h"

namespace viewer {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }

QRect qrect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

const char* const kFileDigits[10] = {"", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
const char* const kRankKanji[10] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

}  // namespace

QColor toColour(const Rgb& c) { return QColor(c.red, c.green, c.blue); }

BoardWidget::BoardWidget(const core::RecordStore& store, Settings& settings, QWidget* parent)
    : QWidget(parent), m_store(store), m_settings(settings) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The owner calls reloadPictures() to take the external picture and show its message.
    m_pictures.buildBuiltIn(m_settings.pieceSet);
}

std::string BoardWidget::reloadPictures() {
    std::string message;
    bool loaded = false;
    if (m_settings.externalPieces == 1) {
        QString path = QString::fromStdString(core::toUtf8Lossy(m_settings.pieceBitmap));
        QImage image;
        if (!image.load(path)) {
            QThread::msleep(1000);  // a file just being written may be readable a moment later
            image.load(path);
        }
        loaded = !image.isNull() && m_pictures.buildFromImage(image);
        if (!loaded) {
            message = m_settings.pieceBitmap + core::sjis(" が読み込めません。");
            m_settings.externalPieces = 0;
        }
    }
    if (!loaded) m_pictures.buildBuiltIn(m_settings.pieceSet);
    m_boardGrain = m_settings.boardType == 0 || m_settings.boardType == 1
                       ? woodGrain(m_settings.boardType)
                       : QImage();
    m_standGrain = m_settings.standType == 0 || m_settings.standType == 1
                       ? woodGrain(m_settings.standType)
                       : QImage();
    updateGeometry();
    update();
    return message;
}

void BoardWidget::setTurned(bool turned) {
    m_turned = turned;
    update();
}

void BoardWidget::setPreview(bool preview) {
    m_preview = preview;
    update();
}

QSize BoardWidget::sizeHint() const {
    BoardGeometry g = geometry();
    return QSize(g.defaultClientWidth(), g.defaultClientHeight() - 40);
}

int BoardWidget::lastSquare() const {
    core::NodeIndex cur = m_store.current();
    if (cur == core::kRootNode) return 0;
    const core::MoveNode& n = m_store.node(cur);
    return n.isTerminal() ? 0 : n.destination();
}

void BoardWidget::fillArea(QPainter& p, const QRect& r, const QImage& grain,
                           const Rgb& plain) const {
    if (!grain.isNull()) {
        p.fillRect(r, QBrush(grain));
    } else {
        p.fillRect(r, toColour(plain));
    }
}

void BoardWidget::drawBoard(QPainter& p, const BoardGeometry& g) const {
    CellSize c = g.cell();
    QRect board = qrect(g.boardRect());
    fillArea(p, board, m_boardGrain, m_settings.boardColour);
    // Lines run through the middle of the gaps between the squares.
    p.setPen(QPen(QColor(40, 25, 10), 1));
    Point first = g.squareTopLeft(m_turned ? 1 : 9, m_turned ? 9 : 1);
    for (int i = 0; i <= 9; ++i) {
        int x = first.x - 2 + i * (c.w + 3);
        int y = first.y - 2 + i * (c.h + 3);
        p.drawLine(x, first.y - 2, x, first.y - 2 + 9 * (c.h + 3));
        p.drawLine(first.x - 2, y, first.x - 2 + 9 * (c.w + 3), y);
    }
    p.setPen(QPen(QColor(40, 25, 10), 2));
    p.drawRect(QRect(first.x - 2, first.y - 2, 9 * (c.w + 3), 9 * (c.h + 3)));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 25, 10));
    for (Point s : g.starPoints()) {
        p.drawRect(QRect(s.x - 1, s.y - 2, 3, 5));
        p.drawRect(QRect(s.x - 2, s.y - 1, 5, 3));
    }
    p.setBrush(Qt::NoBrush);

    // Coordinates: file digits above the board, rank numerals at its right.
    p.setFont(settingFont(m_settings.coordinateFont));
    p.setPen(QColor(20, 20, 20));
    for (int f = 1; f <= 9; ++f) {
        Rect sq = g.squareRect(f, m_turned ? 9 : 1);
        p.drawText(QRect(sq.left, 0, sq.width(), 13), Qt::AlignCenter,
                   QString::fromUtf8(kFileDigits[f]));
    }
    for (int r = 1; r <= 9; ++r) {
        Rect sq = g.squareRect(m_turned ? 9 : 1, r);
        p.drawText(QRect(board.right() + 1, sq.top, 12 * c.w + 75 - board.right() - 1, sq.height()),
                   Qt::AlignCenter, QString::fromUtf8(kRankKanji[r]));
    }

    int last = lastSquare();
    int emphasis = m_settings.lastPieceEmphasis;
    QColor lastColour = toColour(m_settings.lastPieceColour);
    for (int f = 1; f <= 9; ++f) {
        for (int r = 1; r <= 9; ++r) {
            int sq = core::makeSquare(f, r);
            core::PieceByte piece = m_store.position().cells[static_cast<std::size_t>(sq)];
            Rect rect = g.squareRect(f, r);
            bool isLast = sq == last && last != 0;
            bool paintSquare = isLast && (emphasis == 3 || emphasis == 1 ||
                                          (emphasis == 2 && m_pictures.external()));
            if (paintSquare) p.fillRect(qrect(rect), lastColour);
            if (piece == 0 || piece == core::kWall) continue;
            bool black = core::sideOf(piece) == core::kSideBlack;
            // The second player's pictures are drawn upside down; turning swaps the sets.
            bool pictureSet = black != m_turned;
            int code = pictureCode(piece);
            if (isLast && emphasis == 2 && !m_pictures.external()) {
                p.drawImage(rect.left, rect.top, m_pictures.tinted(pictureSet, code, lastColour));
            } else {
                p.drawImage(rect.left, rect.top, m_pictures.picture(pictureSet, code));
            }
        }
    }
}

void BoardWidget::drawStand(QPainter& p, const BoardGeometry& g, core::SideByte side,
                            const core::HandCounts& hands) const {
    Stand stand = g.standOf(side);
    fillArea(p, qrect(g.standRect(stand)), m_standGrain, m_settings.pieceBoxColour);
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.drawRect(qrect(g.standRect(stand)).adjusted(0, 0, -1, -1));

    bool black = side == core::kSideBlack;
    bool pictureSet = black != m_turned;
    std::array<int, 8> slotOf = g.handSlots(hands, side);
    QFont countFont = settingFont(m_settings.coordinateFont);
    countFont.setBold(true);
    p.setFont(countFont);
    for (int type = 1; type <= 7; ++type) {
        int slot = slotOf[static_cast<std::size_t>(type)];
        if (slot == 0) continue;
        Point at = g.handSlotTopLeft(stand, slot);
        p.drawImage(at.x, at.y, m_pictures.picture(pictureSet, type));
        int count = hands.count(side, type);
        if (count > 1) {
            QRect badge(at.x + g.cell().w - 11, at.y + g.cell().h - 12, 13, 12);
            p.fillRect(badge, QColor(255, 255, 255, 200));
            p.setPen(QColor(0, 0, 0));
            p.drawText(badge, Qt::AlignCenter, QString::number(count));
        }
    }

    // Side label: "先手"/"後手", or "下手"/"上手" in a handicap game.
    bool handicap = m_store.handicap() != core::kHandicapEven;
    const char* label = black ? (handicap ? "下手" : "先手") : (handicap ? "上手" : "後手");
    QRect box = qrect(g.labelRect(stand));
    if (m_settings.emphasiseSideToMove != 0 && m_store.position().sideToMove == side) {
        p.fillRect(box, QColor(255, 255, 200));
    }
    QFont font(qtext(core::sjis("ＭＳ 明朝")));
    font.setPixelSize(13);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0));
    p.drawText(box, Qt::AlignCenter, QString::fromUtf8(label));
}

void BoardWidget::drawInformation(QPainter& p, const BoardGeometry& g) const {
    QRect frame = qrect(g.infoRect());
    p.fillRect(frame, Qt::white);
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.drawRect(frame.adjusted(0, 0, -1, -1));
    QFont font = settingFont(m_settings.informationFont);
    p.setFont(font);
    QFontMetrics fm(font);
    int lineHeight = BoardGeometry::infoLineHeight(fm.height(), fm.leading());
    InfoLines lines =
        informationLines(m_store, m_settings, InfoContext{m_environment, m_snapshot, {}, {}});
    p.save();
    p.setClipRect(qrect(g.infoClip()));
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    for (int k = 0; k < kInfoLineCount; ++k) {
        const auto& text = lines[static_cast<std::size_t>(k)];
        if (!text) continue;
        p.drawText(g.infoTextX(), BoardGeometry::infoLineY(k, lineHeight) + fm.ascent(),
                   qtext(*text));
    }
    p.restore();
}

void BoardWidget::draw(QPainter& p) const {
    p.fillRect(rect(), toColour(m_settings.backgroundColour));
    if (m_preview) return;
    BoardGeometry g = geometry();
    drawBoard(p, g);
    core::HandCounts hands = core::countHand(m_store.position());
    drawStand(p, g, core::kSideBlack, hands);
    drawStand(p, g, core::kSideWhite, hands);
    drawInformation(p, g);
}

QImage BoardWidget::render() const {
    QImage image(size(), QImage::Format_RGB32);
    QPainter p(&image);
    draw(p);
    return image;
}

void BoardWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    draw(p);
}

}  // namespace viewer
