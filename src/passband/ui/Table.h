#pragma once

// A grid frame on a table model: it asks the model for titles and cells and
// a renderer for row heights and drawing, and listens to the model for row
// changes. Grid row 0 is the title row, fixed at the top; grid row r > 0
// shows model row r - 1. Without model rows the grid keeps one empty row.
//
// The rows of the model can be copied (Ctrl+C, or "Copy" in the context
// menu) as tab-separated text under a line of titles, for a spreadsheet.

#include <QColor>
#include <QFrame>
#include <QString>
#include <memory>
#include <vector>

#include "TableRendering.h"
#include "Tablelistener.h"

class QAction;
class QEvent;
class QPainter;
class QResizeEvent;
class QTableView;
class TableModel;

class TTableFrame : public QFrame {
    Q_OBJECT

public:
    explicit TTableFrame(QWidget* parent = nullptr);
    ~TTableFrame() override;

    // Remembers the model (not owned; nullptr detaches) and registers the
    // frame's listener with it.
    void setModel(TableModel* model);
    TableModel* model() const { return model_; }

    // nullptr selects the built-in renderer. A renderer other than the
    // current one becomes current and every known row takes its height.
    void setRenderer(const TTableRenderer* renderer);
    const TTableRenderer& renderer() const { return *renderer_; }

    // Columns share the width equally (set at creation).
    void setAutomaticColumnWidth(bool on);
    bool automaticColumnWidth() const { return automaticColumnWidth_; }

    // The grid named "grid". Its rows are the model's rows; the title row is
    // its horizontal header.
    QTableView* grid() const { return grid_; }
    // Grid rows including the title row.
    int gridRowCount() const;
    int gridColumnCount() const;
    // Height of a grid row (0: the title row).
    int gridRowHeight(int gridRow) const;
    int columnWidth(int column) const;
    // The model's row count as the frame last heard it.
    int knownRowCount() const { return listener_.knownRowCount(); }

    // The selected model rows, ascending.
    std::vector<int> selectedRows() const;
    // The titles, then for each of the given model rows the texts the
    // renderer shows, one line per text line of the row, tab-separated.
    QString rowsText(const std::vector<int>& rows) const;
    // The selected rows (every row when none is selected) onto the clipboard.
    void copySelection() const;
    QAction* copyAction() const { return copyAction_; }

    class Listener : public TableListener {
    public:
        explicit Listener(TTableFrame& frame) : frame_(frame) {}
        void rowsChanged(int first, int last) override;
        void structureChanged() override;
        int knownRowCount() const { return rowCount_; }

    private:
        friend class TTableFrame;
        // The model's row count, remembered; the grid shows that many rows
        // (or one empty row).
        void updateRowCount();

        TTableFrame& frame_;
        int rowCount_ = 0;
    };

    class DefaultRenderer : public TTableRenderer {
    public:
        int titleRowHeight() const override { return 20; }
        int rowHeight(int) const override { return 20; }
        void drawTitle(const Cell& cell, TableCanvas& canvas, const TableRect& rect) const override;
        void drawCell(const Cell& cell, TableCanvas& canvas, const TableRect& rect, int row) const override;
    };

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class GridModel;
    class GridView;
    class TitleHeader;
    class CellDelegate;

    void setGridShape(int rows, int columns);
    void setTitleRowHeight(int height);
    void setGridRowHeight(int gridRow, int height);
    void resizeColumns();
    void repaintGrid();
    QColor gridLineColour() const;
    void paintTitle(QPainter& painter, const QRect& rect, int column) const;
    void paintCell(QPainter& painter, const QRect& rect, int gridRow, int column, bool selected) const;

    TableModel* model_ = nullptr;
    Listener listener_{*this};
    DefaultRenderer defaultRenderer_;
    const TTableRenderer* renderer_ = &defaultRenderer_;
    bool automaticColumnWidth_ = true;

    std::unique_ptr<GridModel> gridModel_;
    QTableView* grid_ = nullptr;
    TitleHeader* header_ = nullptr;
    QAction* copyAction_ = nullptr;
};
