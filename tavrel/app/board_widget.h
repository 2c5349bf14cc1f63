// The main window's drawing of one position: the board with its lines, star points and
// coordinates, both piece stands with the pieces in hand, the side labels, the last-piece
// emphasis, the information area, the piece box while editing, a held piece following the
// pointer and a move travelling on a timer. Mouse and keys go to MoveInput; the widget decides
// nothing itself. It reads the record store and the settings; it owns its pictures.
//
// Input during a move's travel: the travel is cut short (the piece lands at once) and the input
// is handled straight away, the same for every key, click and command; nothing is queued or
// dropped.
#pragma once

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "core/record/record_store.h"
#include "desktop/board/board_painter.h"
#include "tavrel/app/piece_pictures.h"
#include "tavrel/logic/play/move_input.h"
#include "tavrel/logic/view/board_geometry.h"
#include "tavrel/logic/view/info_lines.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

class BoardWidget : public QWidget {
    Q_OBJECT
public:
    BoardWidget(const core::RecordStore& store, Settings& settings, QWidget* parent = nullptr);

    // Rebuilds the pictures from the settings (駒の種類, 外部駒, 駒BMP, 盤の種類, 駒台の種類).
    // Returns the message to show when the external picture could not be read, else
    // empty; 外部駒 is then switched off.
    std::string reloadPictures();
    // The geometry of the picture as it is shown now: scaled and centred in the widget.
    BoardGeometry geometry() const;
    // The picture at its natural (100%) size at the top-left corner.
    BoardGeometry naturalGeometry() const { return BoardGeometry(m_pictures.cell(), m_turned); }
    // 盤の大きさ: kBoardSizeFit (the picture fills the widget) or a fixed percent.
    void setSizeChoice(int choice);
    int sizeChoice() const { return m_sizeChoice; }
    bool turned() const { return m_turned; }
    void setTurned(bool turned);
    // The names and the date the template lines of the information area read.
    void setTextContext(const core::TemplateEnvironment& environment,
                        core::DateTimeSnapshot* snapshot) {
        m_environment = environment;
        m_snapshot = snapshot;
    }
    // The running clock lines of a game (nullopt: the line shows the consumed times as outside
    // play).
    void setClockTexts(std::optional<std::string> black, std::optional<std::string> white) {
        m_blackClock = std::move(black);
        m_whiteClock = std::move(white);
    }
    // Nothing is drawn but the background (the print preview has the window).
    void setPreview(bool preview);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Renders the whole drawing into an image of the widget's size.
    QImage render() const;
    // The client rectangle the picture takes now (image export crops to it).
    QRect pictureRect() const;

    // Mouse and keys go to input while the document plays or edits.
    void attachInput(const Document* doc, MoveInput* input);
    // Starts a move's travel; one still running lands first.
    void animateMove(const AnimatedMove& move);
    bool animating() const { return m_flight.has_value(); }
    // Lands a travelling piece at once.
    void finishAnimation();
    // One step of the travel (the timer's tick).
    void animationStep();
    // The keyboard pointer (client pixels).
    QPoint pointer() const { return m_pointer; }

Q_SIGNALS:
    // The right button or Escape found nothing to put back or change: the mode's context menu.
    void contextMenuWanted(const QPoint& globalPos, bool shift);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void draw(QPainter& p) const;
    void drawBoard(QPainter& p, const BoardGeometry& g) const;
    void drawStand(QPainter& p, const BoardGeometry& g, core::SideByte side,
                   const core::HandCounts& hands) const;
    void drawInformation(QPainter& p, const BoardGeometry& g) const;
    // The pictures, grains, colours and fonts the shared drawing takes, from the settings.
    board::BoardLook look() const;
    // The destination square of the current move, 0 at the start or a terminal entry.
    int lastSquare() const;
    void drawBox(QPainter& p, const BoardGeometry& g) const;
    // A piece at a design point (on the scaled picture) or at a client point.
    void drawPiece(QPainter& p, const BoardGeometry& g, core::PieceByte piece,
                   Point designTopLeft) const;
    void drawPieceAt(QPainter& p, const BoardGeometry& g, core::PieceByte piece,
                     Point clientTopLeft) const;
    void drawPicture(QPainter& p, const BoardGeometry& g, bool pictureSet, int code,
                     Point designTopLeft, const QColor* tint = nullptr) const;
    // Whether the keys are the input's now (play, editing, a piece held or a promotion to pick),
    // and whether the mouse is (also while viewing with dragging on).
    bool taking() const;
    bool takingMouse() const;
    // The promoted and the plain piece at the destination, the one under the pointer framed.
    void drawPromotionChoice(QPainter& p, const BoardGeometry& g) const;
    bool isPointerKey(const QKeyEvent* event) const;
    void setPointer(Point p);

    // A piece travelling from one point to another.
    struct Flight {
        core::PieceByte piece = 0;
        Point from;
        Point to;
        int step = 0;
        int steps = 0;
        int hiddenSquare = 0;  // the destination, drawn empty until the piece lands
    };

    const core::RecordStore& m_store;
    Settings& m_settings;
    PiecePictures m_pictures;
    QImage m_boardGrain;
    QImage m_standGrain;
    bool m_turned = false;
    bool m_preview = false;
    int m_sizeChoice = kBoardSizeFit;
    core::TemplateEnvironment m_environment;
    std::optional<std::string> m_blackClock;
    std::optional<std::string> m_whiteClock;
    core::DateTimeSnapshot* m_snapshot = nullptr;
    const Document* m_doc = nullptr;
    MoveInput* m_input = nullptr;
    QPoint m_pointer;
    std::optional<Flight> m_flight;
    QTimer m_animationTimer;
};

QColor toColour(const Rgb& c);

}  // namespace tavrel
