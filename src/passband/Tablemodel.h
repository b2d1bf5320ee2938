#pragma once

// A table's data as a frame sees it: titles and cells by column and row, and
// the listeners to tell when rows change. Called from the window's thread
// only, hence no lock.

#include "AddressOrderedList.h"

class Cell;
class TableListener;

class TableModel {
public:
    TableModel() = default;
    virtual ~TableModel() = default;
    TableModel(const TableModel&) = delete;
    TableModel& operator=(const TableModel&) = delete;

    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual const Cell& title(int column) const = 0;
    virtual const Cell& cell(int column, int row) const = 0;

    // Each listener once, ordered by address; not owned.
    bool addListener(TableListener& listener);
    bool removeListener(TableListener& listener);
    void fireRowsChanged(int first, int last);

private:
    AddressOrderedList<TableListener> listeners_;
};
