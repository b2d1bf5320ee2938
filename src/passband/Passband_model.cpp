#include "Passband_model.h"

#include "Passband.h"

namespace {
const Cell emptyCell;
}

Passband_Model::Passband_Model(Passband& passband) : passband_(passband), titles_(passband), values_(passband)
{
    passband_.results().addObserver(resultsObserver_);
}

Passband_Model::~Passband_Model() { passband_.results().removeObserver(resultsObserver_); }

const Cell& Passband_Model::title(int column) const
{
    if (column < 0 || column >= columnCount()) return emptyCell;
    return titles_.title(column);
}

const Cell& Passband_Model::cell(int column, int row) const
{
    const Line* line = values_.line(row);
    if (line == nullptr || column < 0 || column >= columnCount()) return emptyCell;
    return line->cell(column);
}

void Passband_Model::refresh()
{
    values_.rebuild();
    fireRowsChanged(0, rowCount());
}
