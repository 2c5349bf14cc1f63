#include "tavrel/app/board_widget.h"

#include <QCursor>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>

#include "core/text/sjis.h"
#include "tavrel/logic/view/board_hit.h"
#include "tavrel/logic/view/move_animation.h"
#include "tavrel/platform/setting_font.h"

namespace tavrel {

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
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_animationTimer.setSingleShot(false);
    connect(&m_animationTimer, &QTimer::timeout, this, [this] { animationStep(); });
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
    m_boardGrain = woodGrain(m_settings.boardType);
    m_standGrain = woodGrain(m_settings.standType);
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
    const LastPieceEmphasis emphasis = m_settings.lastPieceEmphasis;
    QColor lastColour = toColour(m_settings.lastPieceColour);
    for (int f = 1; f <= 9; ++f) {
        for (int r = 1; r <= 9; ++r) {
            int sq = core::makeSquare(f, r);
            core::PieceByte piece = m_store.position().cells[static_cast<std::size_t>(sq)];
            Rect rect = g.squareRect(f, r);
            bool isLast = sq == last && last != 0;
            bool paintSquare =
                isLast && (emphasis == LastPieceEmphasis::SquareColour ||
                           emphasis == LastPieceEmphasis::Overpaint ||
                           (emphasis == LastPieceEmphasis::PieceColour && m_pictures.external()));
            if (paintSquare) p.fillRect(qrect(rect), lastColour);
            if (piece == 0 || piece == core::kWall) continue;
            if (m_flight && m_flight->hiddenSquare == sq) continue;
            if (m_input && m_input->held() && m_input->held()->origin.place == EditPlace::Square &&
                m_input->held()->origin.square == sq) {
                continue;
            }
            bool black = core::sideOf(piece) == core::kSideBlack;
            // The second player's pictures are drawn upside down; turning swaps the sets.
            bool pictureSet = black != m_turned;
            int code = pictureCode(piece);
            if (isLast && emphasis == LastPieceEmphasis::PieceColour && !m_pictures.external()) {
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
    std::array<int, 9> slotOf = standSlots(g, hands, side);
    QFont countFont = settingFont(m_settings.coordinateFont);
    countFont.setBold(true);
    p.setFont(countFont);
    for (int type = 1; type <= core::kKing; ++type) {
        int slot = slotOf[static_cast<std::size_t>(type)];
        if (slot == 0) continue;
        Point at = g.handSlotTopLeft(stand, slot);
        p.drawImage(at.x, at.y,
                    m_pictures.picture(pictureSet, pictureCode(core::makePiece(side, type))));
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
    InfoLines lines = informationLines(
        m_store, m_settings, InfoContext{m_environment, m_snapshot, m_blackClock, m_whiteClock});
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

void BoardWidget::drawPiece(QPainter& p, core::PieceByte piece, Point topLeft) const {
    bool black = core::sideOf(piece) == core::kSideBlack;
    p.drawImage(topLeft.x, topLeft.y, m_pictures.picture(black != m_turned, pictureCode(piece)));
}

void BoardWidget::drawBox(QPainter& p, const BoardGeometry& g) const {
    QRect box = qrect(pieceBoxRect(g));
    p.fillRect(box, toColour(m_settings.pieceBoxColour));
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    QFont countFont = settingFont(m_settings.coordinateFont);
    countFont.setBold(true);
    p.setFont(countFont);
    const core::Position& pos = m_store.position();
    for (int type = 1; type <= core::kKing; ++type) {
        int count = boxCount(pos, type);
        if (m_input && m_input->held() && m_input->held()->origin.place == EditPlace::Box &&
            m_input->held()->origin.type == type) {
            --count;
        }
        if (count <= 0) continue;
        Point at = boxSlotTopLeft(g, type);
        drawPiece(p, core::makePiece(core::kSideBlack, type), at);
        if (count > 1) {
            QRect badge(at.x + g.cell().w - 11, at.y + g.cell().h - 12, 13, 12);
            p.fillRect(badge, QColor(255, 255, 255, 200));
            p.setPen(QColor(0, 0, 0));
            p.drawText(badge, Qt::AlignCenter, QString::number(count));
        }
    }
}

void BoardWidget::draw(QPainter& p) const {
    p.fillRect(rect(), toColour(m_settings.backgroundColour));
    if (m_preview) return;
    BoardGeometry g = geometry();
    drawBoard(p, g);
    core::HandCounts hands = core::countHand(m_store.position());
    const std::optional<HeldPiece>* held = m_input ? &m_input->held() : nullptr;
    if (held && *held && (*held)->origin.place == EditPlace::Hand) {
        auto& side = (*held)->origin.side == core::kSideBlack ? hands.black : hands.white;
        auto& n = side[static_cast<std::size_t>((*held)->origin.type)];
        if (n > 0) --n;
    }
    drawStand(p, g, core::kSideBlack, hands);
    drawStand(p, g, core::kSideWhite, hands);
    if (m_doc && isEditing(m_doc->mode())) drawBox(p, g);
    drawInformation(p, g);
    CellSize c = g.cell();
    if (held && *held) {
        drawPiece(p, (*held)->piece, Point{m_pointer.x() - c.w / 2, m_pointer.y() - c.h / 2});
    }
    if (m_flight) {
        Point at = animationPoint(m_flight->from, m_flight->to, m_flight->step, m_flight->steps);
        drawPiece(p, m_flight->piece, Point{at.x - c.w / 2, at.y - c.h / 2});
    }
}

// ---- Input ----

void BoardWidget::attachInput(const Document* doc, MoveInput* input) {
    m_doc = doc;
    m_input = input;
}

bool BoardWidget::taking() const {
    return m_doc && m_input && (isPlaying(m_doc->mode()) || isEditing(m_doc->mode()));
}

void BoardWidget::setPointer(Point p) {
    m_pointer = QPoint(p.x, p.y);
    QCursor::setPos(mapToGlobal(m_pointer));
    update();
}

bool BoardWidget::isPointerKey(const QKeyEvent* e) const {
    if (!taking()) return false;
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Escape:
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Shift+Enter in play is the window's move dialog.
            return !((e->modifiers() & Qt::ShiftModifier) && m_doc &&
                     m_doc->mode() == ViewerMode::Playing);
        default:
            return (e->modifiers() & Qt::ControlModifier) && e->key() >= Qt::Key_1 &&
                   e->key() <= Qt::Key_7;
    }
}

bool BoardWidget::event(QEvent* e) {
    // The pointer keys belong to the board while a game is played or a position edited, before
    // any menu shortcut on the same key.
    if (e->type() == QEvent::ShortcutOverride && isPointerKey(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QWidget::event(e);
}

namespace {

Modifiers modifiersOf(Qt::KeyboardModifiers m) {
    return Modifiers{(m & Qt::ShiftModifier) != 0, (m & Qt::ControlModifier) != 0};
}

Point pointOf(const QPointF& p) { return Point{static_cast<int>(p.x()), static_cast<int>(p.y())}; }

}  // namespace

void BoardWidget::mousePressEvent(QMouseEvent* e) {
    finishAnimation();
    m_pointer = e->position().toPoint();
    if (!taking()) {
        if (e->button() == Qt::RightButton) {
            Q_EMIT contextMenuWanted(e->globalPosition().toPoint(),
                                     (e->modifiers() & Qt::ShiftModifier) != 0);
        }
        return;
    }
    if (e->button() == Qt::LeftButton) {
        m_input->press(geometry(), pointOf(e->position()), modifiersOf(e->modifiers()));
    } else if (e->button() == Qt::RightButton) {
        if (!m_input->rightClick(geometry(), pointOf(e->position()))) {
            Q_EMIT contextMenuWanted(e->globalPosition().toPoint(),
                                     (e->modifiers() & Qt::ShiftModifier) != 0);
        }
    }
    update();
}

void BoardWidget::mouseMoveEvent(QMouseEvent* e) {
    m_pointer = e->position().toPoint();
    if (m_input && m_input->held()) update();
}

void BoardWidget::mouseReleaseEvent(QMouseEvent* e) {
    m_pointer = e->position().toPoint();
    if (!taking() || e->button() != Qt::LeftButton || !m_input->held()) return;
    m_input->release(geometry(), pointOf(e->position()), modifiersOf(e->modifiers()));
    update();
}

void BoardWidget::keyPressEvent(QKeyEvent* e) {
    if (!isPointerKey(e)) {
        QWidget::keyPressEvent(e);
        return;
    }
    finishAnimation();
    BoardGeometry g = geometry();
    Point at{m_pointer.x(), m_pointer.y()};
    switch (e->key()) {
        case Qt::Key_Left:
            setPointer(movePointer(g, at, PointerMove::Left));
            return;
        case Qt::Key_Right:
            setPointer(movePointer(g, at, PointerMove::Right));
            return;
        case Qt::Key_Up:
            setPointer(movePointer(g, at, PointerMove::Up));
            return;
        case Qt::Key_Down:
            setPointer(movePointer(g, at, PointerMove::Down));
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_input->press(g, at, modifiersOf(e->modifiers()));
            update();
            return;
        case Qt::Key_Escape:
            if (!m_input->rightClick(g, at)) {
                Q_EMIT contextMenuWanted(mapToGlobal(m_pointer), false);
            }
            update();
            return;
        default: {
            // Ctrl+1..7: the hand slot of pawn .. rook of the side to move.
            int type = e->key() - Qt::Key_0;
            const core::Position& pos = m_store.position();
            setPointer(spotCentre(g, BoardSpot{0, pos.sideToMove, type}, core::countHand(pos)));
            return;
        }
    }
}

// ---- Animation ----

void BoardWidget::animateMove(const AnimatedMove& move) {
    finishAnimation();
    BoardGeometry g = geometry();
    Flight f;
    f.piece = move.piece;
    f.from = spotCentre(g, move.from, move.hands);
    f.to = spotCentre(g, move.to, move.hands);
    f.steps = animationSteps(f.from, f.to, g.cell().w, m_settings.animationSpeed);
    f.hiddenSquare = move.to.square;
    if (f.steps <= 1 || !isVisible()) return;
    f.step = 1;
    m_flight = f;
    m_animationTimer.start(animationInterval(m_settings.animationSpeed));
    update();
}

void BoardWidget::animationStep() {
    if (!m_flight) return;
    if (++m_flight->step >= m_flight->steps) {
        finishAnimation();
        return;
    }
    update();
}

void BoardWidget::finishAnimation() {
    m_animationTimer.stop();
    if (!m_flight) return;
    m_flight.reset();
    update();
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

}  // namespace tavrel
