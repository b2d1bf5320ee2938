// The table frame on a plain table model: its rows and their heights, the
// renderer switch, what it draws and where, equal column widths, and the
// rows it copies; and the two renderers of the passband results.

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QTableView>
#include <QTest>
#include <set>
#include <string>
#include <vector>

#include "Cell.h"
#include "PageFixture.h"
#include "Passband_continousrenderer.h"
#include "Passband_tablerenderer.h"
#include "Table.h"
#include "Tablemodel.h"

namespace {

// rows x 3 cells named "r<row>c<column>" under the titles "A", "B", "C".
class PlainModel : public TableModel {
public:
    int rowCount() const override { return static_cast<int>(cells_.size()); }
    int columnCount() const override { return 3; }
    const Cell& title(int column) const override { return titles_.at(static_cast<std::size_t>(column)); }
    const Cell& cell(int column, int row) const override
    {
        return cells_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
    void setRows(int rows)
    {
        cells_.clear();
        for (int r = 0; r < rows; ++r)
            cells_.push_back({TitleCell("r" + std::to_string(r) + "c0"), TitleCell("r" + std::to_string(r) + "c1"),
                              TitleCell("r" + std::to_string(r) + "c2")});
        fireRowsChanged(0, rows);
    }

private:
    std::vector<TitleCell> titles_{TitleCell("A"), TitleCell("B"), TitleCell("C")};
    std::vector<std::vector<TitleCell>> cells_;
};

// Records the rows it is asked to draw.
class RecordingRenderer : public TTableRenderer {
public:
    explicit RecordingRenderer(int height) : height_(height) {}
    int titleRowHeight() const override { return 30; }
    int rowHeight(int) const override { return height_; }
    void drawTitle(const Cell&, TableCanvas&, const TableRect&) const override { ++titles; }
    void drawCell(const Cell&, TableCanvas&, const TableRect&, int row) const override { rows.insert(row); }

    mutable int titles = 0;
    mutable std::set<int> rows;

private:
    int height_;
};

QImage draw(QWidget& w)
{
    QApplication::processEvents();
    return w.grab().toImage();
}

// One passband cell drawn by a renderer into a picture of the row's height.
QImage drawCell(const TTableRenderer& renderer, const CellValues& cell, int row)
{
    QImage image(200, renderer.rowHeight(row), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QPalette palette;
    TableCanvas canvas(painter, palette);
    renderer.drawCell(cell, canvas, {0, 0, image.width(), image.height()}, row);
    painter.end();
    return image;
}

CellValues figures(bool minAlarm, bool currentAlarm, bool maxAlarm)
{
    CellValues cell;
    cell.texts = {"0.08", "0.10", "0.12"};
    cell.alarms = {minAlarm, currentAlarm, maxAlarm};
    return cell;
}

}  // namespace

class TableFrameTest : public QObject {
    Q_OBJECT

private slots:
    void withoutRowsTheGridHasTheTitleAndOneEmptyRow()
    {
        PlainModel model;
        RecordingRenderer renderer(20);
        TTableFrame frame;
        frame.setModel(&model);
        frame.setRenderer(&renderer);
        frame.resize(400, 300);
        frame.show();
        model.setRows(0);
        QCOMPARE(frame.gridRowCount(), 2);
        QCOMPARE(frame.gridColumnCount(), 3);
        draw(frame);
        QVERIFY(renderer.titles > 0);
        QVERIFY(renderer.rows.empty());
    }

    void rowsTakeTheRenderersHeights()
    {
        PlainModel model;
        RecordingRenderer small(25);
        RecordingRenderer tall(80);
        TTableFrame frame;
        frame.setModel(&model);
        frame.setRenderer(&small);
        model.setRows(5);
        QCOMPARE(frame.gridRowCount(), 6);
        QCOMPARE(frame.gridRowHeight(0), 30);
        for (int r = 1; r < 6; ++r) QCOMPARE(frame.gridRowHeight(r), 25);

        frame.setRenderer(&tall);
        for (int r = 1; r < 6; ++r) QCOMPARE(frame.gridRowHeight(r), 80);
        QCOMPARE(frame.gridRowCount(), 6);

        // The renderer already in use leaves the rows alone.
        frame.grid()->verticalHeader()->resizeSection(2, 33);
        frame.setRenderer(&tall);
        QCOMPARE(frame.gridRowHeight(3), 33);
        // No renderer is the built-in one: rows of 20 under a title of 20.
        frame.setRenderer(nullptr);
        QCOMPARE(frame.gridRowHeight(0), 20);
        QCOMPARE(frame.gridRowHeight(3), 20);
    }

    void onlyVisibleRowsAreDrawn()
    {
        PlainModel model;
        RecordingRenderer renderer(25);
        TTableFrame frame;
        frame.setModel(&model);
        frame.setRenderer(&renderer);
        frame.resize(600, 30 + 10 * 25);
        frame.show();
        model.setRows(640);
        draw(frame);
        QVERIFY(!renderer.rows.empty());
        QVERIFY(*renderer.rows.rbegin() < 12);
        renderer.rows.clear();
        frame.grid()->scrollTo(frame.grid()->model()->index(400, 0), QAbstractItemView::PositionAtTop);
        draw(frame);
        QVERIFY(!renderer.rows.empty());
        QVERIFY(*renderer.rows.begin() >= 399);
        QVERIFY(*renderer.rows.rbegin() <= 412);
    }

    void wideningWidensEveryColumnEqually()
    {
        PlainModel model;
        TTableFrame frame;
        frame.setModel(&model);
        model.setRows(3);
        frame.show();
        frame.resize(300, 200);
        QApplication::processEvents();
        const int narrow = frame.columnWidth(0);
        frame.resize(900, 200);
        QApplication::processEvents();
        const int wide = frame.columnWidth(0);
        QVERIFY(wide > 2 * narrow);
        for (int c = 1; c < 3; ++c) QCOMPARE(frame.columnWidth(c), wide);
        QVERIFY(3 * wide <= frame.grid()->viewport()->width());
        QVERIFY(3 * (wide + 1) > frame.grid()->viewport()->width());
    }

    void rowChangesClearTheSelection()
    {
        PlainModel model;
        TTableFrame frame;
        frame.setModel(&model);
        model.setRows(4);
        frame.grid()->selectRow(1);
        QCOMPARE(frame.selectedRows(), (std::vector<int>{1}));
        model.setRows(4);
        QVERIFY(frame.selectedRows().empty());
    }

    void copyPutsTheSelectedRowsUnderTheTitles()
    {
        PlainModel model;
        TTableFrame frame;
        frame.setModel(&model);
        model.setRows(4);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.grid()->setFocus();
        frame.grid()->selectRow(3);
        frame.grid()->selectionModel()->select(frame.grid()->model()->index(1, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(frame.grid(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("A\tB\tC\nr1c0\tr1c1\tr1c2\nr3c0\tr3c1\tr3c2\n"));

        // Nothing selected: every row.
        frame.grid()->clearSelection();
        frame.copyAction()->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), 5);
    }

    void copyOfTheContinuousTableGivesThreeLinesPerRow()
    {
        Passband_ContinousRenderer continuous;
        Passband_TableRenderer single;
        const CellValues cell = figures(false, false, false);
        QCOMPARE(continuous.cellLines(cell), (std::vector<std::string>{"0.08", "0.10", "0.12"}));
        QCOMPARE(single.cellLines(cell), (std::vector<std::string>{"0.10"}));
    }

    void singleRendererColoursTheLatestFigure()
    {
        const Passband_TableRenderer renderer;
        QCOMPARE(renderer.titleRowHeight(), 100);
        QCOMPARE(renderer.rowHeight(0), 25);
        const QImage plain = drawCell(renderer, figures(true, false, true), 0);
        QCOMPARE(redPixels(plain, plain.rect()), 0);
        QCOMPARE(plain.pixelColor(plain.width() - 1, 0), QPalette().color(QPalette::Base));
        const QImage alarm = drawCell(renderer, figures(false, true, false), 1);
        QVERIFY(redPixels(alarm, alarm.rect()) > 5);
        // Odd rows on silver.
        QCOMPARE(alarm.pixelColor(alarm.width() - 1, 0), QColor(192, 192, 192));
    }

    void continuousRendererShowsThreeLinesEachWithItsOwnColour()
    {
        const Passband_ContinousRenderer renderer;
        QCOMPARE(renderer.titleRowHeight(), 100);
        QCOMPARE(renderer.rowHeight(0), 80);
        const QImage image = drawCell(renderer, figures(true, false, true), 0);
        const auto band = [&image](int which) {
            return QRect(0, Passband_ContinousRenderer::lineTops[which], image.width(), 16);
        };
        QVERIFY(redPixels(image, band(0)) > 5);
        QCOMPARE(redPixels(image, band(1)), 0);
        QVERIFY(redPixels(image, band(2)) > 5);
        // Nothing is drawn above the first line or below the last.
        int dark = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < image.width(); ++x) dark += image.pixelColor(x, y).lightness() < 128;
        QCOMPARE(dark, 0);
    }
};

QTEST_MAIN(TableFrameTest)
#include "TableFrameTest.moc"
