#include "Table.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "Cell.h"
#include "Tablemodel.h"

namespace {

// The height of a row no renderer has sized yet (the empty row of a table
// without rows).
constexpr int unsizedRowHeight = 24;

// A text as one spreadsheet field: tabs and line breaks would split it.
QString fieldText(const std::string& text)
{
    QString field = QString::fromStdString(text);
    for (QChar& c : field)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) c = QLatin1Char(' ');
    return field;
}

}  // namespace

// The grid's shape as a Qt item model: rows and columns only. The texts are
// the table model's; the delegate and the header ask the frame to draw them.
class TTableFrame::GridModel : public QAbstractTableModel {
public:
    explicit GridModel(const TTableFrame& frame) : frame_(frame) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : columns_; }

    // The texts for keyboard search and accessibility; drawing does not use them.
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
        const TableModel* model = frame_.model_;
        if (model == nullptr || index.row() >= frame_.knownRowCount()) return {};
        return QString::fromStdString(model->cell(index.column(), index.row()).text());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) return {};
        const TableModel* model = frame_.model_;
        if (model == nullptr) return {};
        return QString::fromStdString(model->title(section).text());
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    // Rows are added or removed at the end, so that a table that only grows
    // or shrinks keeps its scroll position and the heights of its other rows.
    void setShape(int rows, int columns)
    {
        rows = std::max(rows, 0);
        columns = std::max(columns, 0);
        if (columns != columns_) {
            beginResetModel();
            rows_ = rows;
            columns_ = columns;
            endResetModel();
            return;
        }
        if (rows > rows_) {
            beginInsertRows({}, rows_, rows - 1);
            rows_ = rows;
            endInsertRows();
        } else if (rows < rows_) {
            beginRemoveRows({}, rows, rows_ - 1);
            rows_ = rows;
            endRemoveRows();
        }
    }

private:
    const TTableFrame& frame_;
    int rows_ = 0;
    int columns_ = 0;
};

// Ctrl+C copies whole rows, not the current cell as item views do.
class TTableFrame::GridView : public QTableView {
public:
    GridView(TTableFrame& frame, QWidget* parent) : QTableView(parent), frame_(frame) {}

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            event->accept();
            return true;
        }
        return QTableView::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Copy)) {
            frame_.copySelection();
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }

private:
    TTableFrame& frame_;
};

// The fixed title row.
class TTableFrame::TitleHeader : public QHeaderView {
public:
    TitleHeader(const TTableFrame& frame, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), frame_(frame) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (!rect.isValid()) return;
        painter->save();
        // The title cells are separated by the grid's lines, as the data cells are.
        frame_.paintTitle(*painter, rect.adjusted(0, 0, -1, -1), logicalIndex);
        painter->setPen(frame_.gridLineColour());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->restore();
    }

private:
    const TTableFrame& frame_;
};

class TTableFrame::CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(const TTableFrame& frame, QObject* parent) : QStyledItemDelegate(parent), frame_(frame) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        frame_.paintCell(*painter, option.rect, index.row() + 1, index.column(),
                         option.state.testFlag(QStyle::State_Selected));
        painter->restore();
    }

private:
    const TTableFrame& frame_;
};

TTableFrame::TTableFrame(QWidget* parent) : QFrame(parent), gridModel_(std::make_unique<GridModel>(*this))
{
    grid_ = new GridView(*this, this);
    grid_->setObjectName(QStringLiteral("grid"));
    header_ = new TitleHeader(*this, grid_);
    grid_->setHorizontalHeader(header_);
    grid_->setModel(gridModel_.get());
    grid_->setItemDelegate(new CellDelegate(*this, grid_));

    header_->setSectionResizeMode(QHeaderView::Fixed);
    header_->setSectionsClickable(false);
    header_->setHighlightSections(false);
    header_->setStretchLastSection(false);
    QHeaderView* rows = grid_->verticalHeader();
    rows->hide();  // no fixed columns
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(0);
    rows->setDefaultSectionSize(unsizedRowHeight);

    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setTabKeyNavigation(false);
    grid_->setCornerButtonEnabled(false);
    // Rows of 80 pixels scroll by pixels, not by rows.
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid_->viewport()->installEventFilter(this);

    copyAction_ = new QAction(tr("Copy"), grid_);
    copyAction_->setShortcut(QKeySequence::Copy);
    copyAction_->setShortcutContext(Qt::WidgetShortcut);
    copyAction_->setShortcutVisibleInContextMenu(true);
    connect(copyAction_, &QAction::triggered, this, &TTableFrame::copySelection);
    grid_->addAction(copyAction_);
    grid_->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);

    setTitleRowHeight(renderer_->titleRowHeight());
    setGridShape(2, 0);
}

TTableFrame::~TTableFrame()
{
    if (model_ != nullptr) model_->removeListener(listener_);
    // The view goes before the item model it shows.
    grid_->viewport()->removeEventFilter(this);
    delete grid_;
    grid_ = nullptr;
}

void TTableFrame::setModel(TableModel* model)
{
    if (model_ != nullptr) model_->removeListener(listener_);
    model_ = model;
    listener_.rowCount_ = 0;
    if (model_ == nullptr) return;
    model_->addListener(listener_);
    setGridShape(model_->rowCount() + 2, model_->columnCount());
    resizeColumns();
    repaintGrid();
}

void TTableFrame::setRenderer(const TTableRenderer* renderer)
{
    if (renderer == nullptr) renderer = &defaultRenderer_;
    if (renderer != renderer_) {
        renderer_ = renderer;
        listener_.rowsChanged(0, listener_.rowCount_);
    }
    setTitleRowHeight(renderer_->titleRowHeight());
    repaintGrid();
}

void TTableFrame::setAutomaticColumnWidth(bool on)
{
    automaticColumnWidth_ = on;
    resizeColumns();
}

int TTableFrame::gridRowCount() const { return gridModel_->rowCount() + 1; }

int TTableFrame::gridColumnCount() const { return gridModel_->columnCount(); }

int TTableFrame::gridRowHeight(int gridRow) const
{
    if (gridRow == 0) return header_->maximumHeight();
    if (gridRow < 0 || gridRow >= gridRowCount()) return 0;
    return grid_->verticalHeader()->sectionSize(gridRow - 1);
}

int TTableFrame::columnWidth(int column) const { return header_->sectionSize(column); }

void TTableFrame::setGridShape(int rows, int columns) { gridModel_->setShape(rows - 1, columns); }

void TTableFrame::setTitleRowHeight(int height) { header_->setFixedHeight(std::max(height, 0)); }

void TTableFrame::setGridRowHeight(int gridRow, int height)
{
    if (gridRow == 0) {
        setTitleRowHeight(height);
        return;
    }
    if (gridRow < gridRowCount()) grid_->verticalHeader()->resizeSection(gridRow - 1, std::max(height, 0));
}

void TTableFrame::resizeColumns()
{
    if (!automaticColumnWidth_) return;
    const int columns = gridColumnCount();
    if (columns <= 0) return;
    // Each column's share of the client width; the grid line is part of a
    // column here, so the drawn cell is one line narrower.
    const int width = std::max(grid_->viewport()->width() / columns, 1);
    header_->setDefaultSectionSize(width);
    for (int c = 0; c < columns; ++c) header_->resizeSection(c, width);
}

QColor TTableFrame::gridLineColour() const
{
    QStyleOptionViewItem option;
    option.initFrom(grid_);
    return QColor::fromRgba(static_cast<QRgb>(grid_->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, grid_)));
}

void TTableFrame::repaintGrid()
{
    grid_->viewport()->update();
    header_->viewport()->update();
}

void TTableFrame::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    resizeColumns();
}

bool TTableFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The client width also changes when the scroll bar comes or goes.
    if (watched == grid_->viewport() && event->type() == QEvent::Resize) resizeColumns();
    return QFrame::eventFilter(watched, event);
}

void TTableFrame::paintTitle(QPainter& painter, const QRect& rect, int column) const
{
    if (model_ == nullptr || rect.height() <= 0) return;
    TableCanvas canvas(painter, grid_->palette());
    renderer_->drawTitle(model_->title(column), canvas, toTableRect(rect));
}

void TTableFrame::paintCell(QPainter& painter, const QRect& rect, int gridRow, int column, bool selected) const
{
    if (model_ == nullptr || rect.height() <= 0) return;
    const int row = gridRow - 1;
    if (knownRowCount() == 0 || row >= knownRowCount()) return;
    TableCanvas canvas(painter, grid_->palette());
    renderer_->drawCell(model_->cell(column, row), canvas, toTableRect(rect), row);
    if (selected) {
        // Over the renderer's drawing, so that the alarm colour still shows.
        QColor highlight = grid_->palette().color(QPalette::Highlight);
        highlight.setAlpha(70);
        painter.fillRect(rect, highlight);
    }
}

std::vector<int> TTableFrame::selectedRows() const
{
    std::set<int> rows;
    for (const QModelIndex& index : grid_->selectionModel()->selectedIndexes())
        if (index.row() < knownRowCount()) rows.insert(index.row());
    return {rows.begin(), rows.end()};
}

QString TTableFrame::rowsText(const std::vector<int>& rows) const
{
    QString text;
    if (model_ == nullptr) return text;
    const int columns = model_->columnCount();
    for (int c = 0; c < columns; ++c) {
        if (c > 0) text += QLatin1Char('\t');
        text += fieldText(model_->title(c).text());
    }
    text += QLatin1Char('\n');
    for (const int row : rows) {
        if (row < 0 || row >= model_->rowCount()) continue;
        std::vector<std::vector<std::string>> lines;
        std::size_t height = 0;
        for (int c = 0; c < columns; ++c) {
            lines.push_back(renderer_->cellLines(model_->cell(c, row)));
            height = std::max(height, lines.back().size());
        }
        for (std::size_t k = 0; k < height; ++k) {
            for (int c = 0; c < columns; ++c) {
                if (c > 0) text += QLatin1Char('\t');
                const auto& cellLines = lines[static_cast<std::size_t>(c)];
                if (k < cellLines.size()) text += fieldText(cellLines[k]);
            }
            text += QLatin1Char('\n');
        }
    }
    return text;
}

void TTableFrame::copySelection() const
{
    std::vector<int> rows = selectedRows();
    if (rows.empty())
        for (int r = 0; r < knownRowCount(); ++r) rows.push_back(r);
    QGuiApplication::clipboard()->setText(rowsText(rows));
}

void TTableFrame::Listener::rowsChanged(int first, int last)
{
    if (frame_.model_ == nullptr) return;
    if (last >= first) {
        updateRowCount();
        for (int r = first + 1; r <= last; ++r) frame_.setGridRowHeight(r, frame_.renderer_->rowHeight(r - 1));
    }
    frame_.resizeColumns();
    frame_.grid_->clearSelection();
    frame_.repaintGrid();
}

void TTableFrame::Listener::structureChanged() { updateRowCount(); }

void TTableFrame::Listener::updateRowCount()
{
    rowCount_ = frame_.model_ != nullptr ? frame_.model_->rowCount() : 0;
    frame_.setGridShape(rowCount_ > 0 ? rowCount_ + 1 : 2, frame_.gridColumnCount());
}

void TTableFrame::DefaultRenderer::drawTitle(const Cell& cell, TableCanvas& canvas, const TableRect& rect) const
{
    TableDrawing::drawTitleText(canvas, toQRect(rect), TableDrawing::toQString(cell.text()),
                                canvas.palette().color(QPalette::Button));
}

void TTableFrame::DefaultRenderer::drawCell(const Cell& cell, TableCanvas& canvas, const TableRect& rect,
                                            int row) const
{
    const QRect r = toQRect(rect);
    canvas.painter().fillRect(r, TableDrawing::rowBackground(canvas, row));
    TableDrawing::drawCellText(canvas, r, TableDrawing::toQString(cell.text()),
                               canvas.palette().color(QPalette::Text));
}
