// The main window's drawing of one position: the board with its lines, star points and
// coordinates, both piece stands with the pieces in hand, the side labels, the last-piece
// emphasis and the information area. It reads the record store and the settings; it owns its
// pictures.
#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

#include "core/record/record_store.h"
#include "viewer/app/piece_pictures.h"
#include "viewer/logic/board_geometry.h"
#include "viewer/logic/info_lines.h"
#include "viewer/settings/settings.h"

namespace viewer {

class BoardWidget : public QWidget {
    Q_OBJECT
public:
    BoardWidget(const core::RecordStore& store, Settings& settings, QWidget* parent = nullptr);

    // Rebuilds the pictures from the settings (駒の種類, 外部駒, 駒BMP, 盤の種類, 駒台の種類).
    // Returns the message to show when the external picture could not be read (CP932), else
    // empty; 外部駒 is then switched off.
    std::string reloadPictures();
    BoardGeometry geometry() const { return BoardGeometry(m_pictures.cell(), m_turned); }
    bool turned() const { return m_turned; }
    void setTurned(bool turned);
    // The names and the date the template lines of the information area read.
    void setTextContext(const core::TemplateEnvironment& environment,
                        core::DateTimeSnapshot* snapshot) {
        m_environment = environment;
        m_snapshot = snapshot;
    }
    // Nothing is drawn but the background (the print preview has the window).
    void setPreview(bool preview);

    QSize sizeHint() const override;
    // Renders the whole drawing into an image of the widget's size.
    QImage render() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void draw(QPainter& p) const;
    void drawBoard(QPainter& p, const BoardGeometry& g) const;
    void drawStand(QPainter& p, const BoardGeometry& g, core::SideByte side,
                   const core::HandCounts& hands) const;
    void drawInformation(QPainter& p, const BoardGeometry& g) const;
    void fillArea(QPainter& p, const QRect& r, const QImage& grain, const Rgb& plain) const;
    // The destination square of the current move, 0 at the start or a terminal entry.
    int lastSquare() const;

    const core::RecordStore& m_store;
    Settings& m_settings;
    PiecePictures m_pictures;
    QImage m_boardGrain;
    QImage m_standGrain;
    bool m_turned = false;
    bool m_preview = false;
    core::TemplateEnvironment m_environment;
    core::DateTimeSnapshot* m_snapshot = nullptr;
};

QColor toColour(const Rgb& c);

}  // namespace viewer
