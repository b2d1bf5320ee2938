#pragma once

// A series of unconnected dots on a QCustomPlot chart, the way the factory
// charts draw their points. Only chart sources include this (it brings the
// plotting library in).

#include <qcustomplot.h>

inline QCPGraph* addPointSeries(QCustomPlot& plot, const QColor& colour, double dotSize)
{
    QCPGraph* graph = plot.addGraph();
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, colour, colour, dotSize));
    graph->setPen(QPen(colour));
    return graph;
}
