#include "tavrel/app/board_widget.h"

#include <QCursor>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>
#include <cmath>

#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "desktop/qt_text.h"
#include "tavrel/logic/view/board_hit.h"
#include "tavrel/logic/view/move_animation.h"
#include "tavrel/platform/setting_font.h"

namespace tavrel {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }

using board::qrect;

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
            message = m_settings.pieceBitmap + std::string(core::translate(" が読み込めません。"));
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

BoardGeometry BoardWidget::geometry() const {
    BoardGeometry natural = naturalGeometry();
    return BoardGeometry(natural.cell(), m_turned,
                         boardView(natural, width(), height(), m_sizeChoice));
}

void BoardWidget::setSizeChoice(int choice) {
    m_sizeChoice = validBoardSize(choice);
    updateGeometry();
    update();
}

QRect BoardWidget::pictureRect() const {
    BoardGeometry g = geometry();
    Rect r = g.toClient(Rect{0, 0, g.designWidth(), g.designHeight()});
    return QRect(r.left, r.top, r.width(), r.height()).intersected(rect());
}

void BoardWidget::setPreview(bool preview) {
    m_preview = preview;
    update();
}

QSize BoardWidget::sizeHint() const {
    BoardGeometry g = naturalGeometry();
    double f = m_sizeChoice == kBoardSizeFit ? 1.0 : m_sizeChoice / 100.0;
    return QSize(static_cast<int>(std::lround(g.designWidth() * f)),
                 static_cast<int>(std::lround(g.designHeight() * f)));
}

QSize BoardWidget::minimumSizeHint() const {
    // Fitting shrinks the picture with the window down to half its size; a fixed size keeps it.
    if (m_sizeChoice != kBoardSizeFit) return sizeHint();
    BoardGeometry g = naturalGeometry();
    return QSize(g.designWidth() / 2, g.designHeight() / 2);
}

int BoardWidget::lastSquare() const {
    core::NodeIndex cur = m_store.current();
    if (cur == core::kRootNode) return 0;
    const core::MoveNode& n = m_store.node(cur);
    return n.isTerminal() ? 0 : n.destination();
}

board::BoardLook BoardWidget::look() const {
    board::BoardLook look;
    look.pictures = &m_pictures;
    look.boardGrain = m_boardGrain;
    look.standGrain = m_standGrain;
    look.boardColour = toColour(m_settings.boardColour);
    look.standColour = toColour(m_settings.pieceBoxColour);
    look.coordinateFont = settingFont(m_settings.coordinateFont);
    look.labelFont = QFont(qtext(std::string("ＭＳ 明朝")));
    look.labelFont.setPixelSize(13);
    return look;
}

void BoardWidget::drawBoard(QPainter& p, const BoardGeometry& g) const {
    board::paintGrid(p, g, look());
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
            const bool tint =
                isLast && emphasis == LastPieceEmphasis::PieceColour && !m_pictures.external();
            drawPicture(p, g, pictureSet, code, Point{rect.left, rect.top},
                        tint ? &lastColour : nullptr);
        }
    }
}

void BoardWidget::drawStand(QPainter& p, const BoardGeometry& g, core::SideByte side,
                            const core::HandCounts& hands) const {
    // Side label: "先手"/"後手", or "下手"/"上手" in a handicap game.
    const bool black = side == core::kSideBlack;
    const bool handicap = m_store.handicap() != core::kHandicapEven;
    const char* label = black ? (handicap ? TR_NOOP("下手") : TR_NOOP("先手"))
                              : (handicap ? TR_NOOP("上手") : TR_NOOP("後手"));
    board::paintStand(p, g, look(), side, hands, desktop::translated(label),
                      m_settings.emphasiseSideToMove != 0 && m_store.position().sideToMove == side,
                      devicePixelRatioF());
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

void BoardWidget::drawPicture(QPainter& p, const BoardGeometry& g, bool pictureSet, int code,
                              Point designTopLeft, const QColor* tint) const {
    board::paintPicture(p, g, m_pictures, pictureSet, code, designTopLeft, devicePixelRatioF(),
                        tint);
}

void BoardWidget::drawPiece(QPainter& p, const BoardGeometry& g, core::PieceByte piece,
                            Point designTopLeft) const {
    bool black = core::sideOf(piece) == core::kSideBlack;
    drawPicture(p, g, black != m_turned, pictureCode(piece), designTopLeft);
}

void BoardWidget::drawPieceAt(QPainter& p, const BoardGeometry& g, core::PieceByte piece,
                              Point clientTopLeft) const {
    bool black = core::sideOf(piece) == core::kSideBlack;
    const CellSize cell = g.clientCell();
    p.save();
    p.resetTransform();
    p.drawImage(clientTopLeft.x, clientTopLeft.y,
                m_pictures.sized(black != m_turned, pictureCode(piece), cell, devicePixelRatioF()));
    p.restore();
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
        drawPiece(p, g, core::makePiece(core::kSideBlack, type), at);
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
    // Everything but the pieces is drawn in design pixels through the view's transform: lines
    // and text stay vectors at any size. At 100% the transform is the identity.
    p.save();
    board::applyView(p, g);
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
    p.restore();
    // The held and the travelling piece follow client points.
    CellSize c = g.clientCell();
    if (m_input && m_input->promotionChoice()) {
        drawPromotionChoice(p, g);
    } else if (held && *held) {
        drawPieceAt(p, g, (*held)->piece, Point{m_pointer.x() - c.w / 2, m_pointer.y() - c.h / 2});
    }
    if (m_flight) {
        Point at = animationPoint(m_flight->from, m_flight->to, m_flight->step, m_flight->steps);
        drawPieceAt(p, g, m_flight->piece, Point{at.x - c.w / 2, at.y - c.h / 2});
    }
}

void BoardWidget::drawPromotionChoice(QPainter& p, const BoardGeometry& g) const {
    const PromotionChoice& choice = *m_input->promotionChoice();
    const auto cells = promotionChoiceRects(g, choice.destination);
    const core::PieceByte pieces[2] = {
        static_cast<core::PieceByte>(choice.piece | core::kPromotedBit), choice.piece};
    const int under = promotionChoiceAt(g, Point{m_pointer.x(), m_pointer.y()}, choice.destination);
    for (int i = 0; i < 2; ++i) {
        Rect r = g.toClient(cells[static_cast<std::size_t>(i)]);
        QRect box(r.left - 2, r.top - 2, r.width() + 4, r.height() + 4);
        p.fillRect(box, QColor(255, 255, 255, 235));
        p.setPen(QPen(under == (i == 0 ? 1 : 0) ? QColor(200, 30, 30) : QColor(60, 60, 60), 2));
        p.drawRect(box.adjusted(1, 1, -1, -1));
        drawPieceAt(p, g, pieces[i], Point{r.left, r.top});
    }
}

// ---- Input ----

void BoardWidget::attachInput(const Document* doc, MoveInput* input) {
    m_doc = doc;
    m_input = input;
}

bool BoardWidget::taking() const {
    if (!m_doc || !m_input) return false;
    // While viewing, the keys are the record's, unless a dragged piece waits for its square or
    // its promotion.
    return isPlaying(m_doc->mode()) || isEditing(m_doc->mode()) || m_input->held() ||
           m_input->promotionChoice();
}

bool BoardWidget::takingMouse() const { return m_doc && m_input && m_input->takesMouse(); }

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
    if (!takingMouse()) {
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
    if (!takingMouse() || e->button() != Qt::LeftButton || !m_input->held()) return;
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
    if (const auto& choice = m_input->promotionChoice()) {
        // Left and Right go between the two pieces; Enter picks, Escape puts the piece back.
        if (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right) {
            const auto cells = promotionChoiceRects(g, choice->destination);
            const int now = promotionChoiceAt(g, at, choice->destination);
            const Rect& r = cells[now == 1 ? 1 : 0];
            setPointer(g.toClient(Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
            return;
        }
    }
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
    f.steps = animationSteps(f.from, f.to, g.clientCell().w, m_settings.animationSpeed);
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
