#pragma once

// The passband results as a table model: ten columns, one row per channel
// and trace, refreshed whenever the results change.

#include "Observable.h"
#include "Passband_titlemodel.h"
#include "Passband_valuesmodel.h"
#include "Tablemodel.h"

class Passband;

class Passband_Model : public TableModel {
public:
    explicit Passband_Model(Passband& passband);
    ~Passband_Model() override;

    int rowCount() const override { return values_.rowCount(); }
    int columnCount() const override { return Line::columnCount; }
    // Columns or rows outside the table give an empty cell.
    const Cell& title(int column) const override;
    const Cell& cell(int column, int row) const override;
    // Rebuilds the rows and tells the listeners that rows 0 ... rowCount changed.
    virtual void refresh();

    const Passband_ValuesModel& values() const { return values_; }
    const Passband_TitleModel& titles() const { return titles_; }

private:
    class ResultsObserver : public Observer {
    public:
        explicit ResultsObserver(Passband_Model& model) : model_(model) {}
        void update() override { model_.refresh(); }

    private:
        Passband_Model& model_;
    };

    Passband& passband_;
    Passband_TitleModel titles_;
    Passband_ValuesModel values_;
    ResultsObserver resultsObserver_{*this};
};
