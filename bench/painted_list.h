#pragma once

#include <QAbstractItemView>
#include <QListView>
#include <benchmark/benchmark.h>

// A list of painted rows as the tabs show it, panel-sized and on screen, for the list benchmarks.
template <class Model, class Rows> struct PaintedList
{
    PaintedList()
    {
        view.setModel(&model);
        view.setItemDelegate(&rows);
        view.setUniformItemSizes(false);
        view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        view.resize(560, 480);
        view.show();
    }
    // The rows the viewport shows at the current scroll position: what one frame paints.
    int visibleRows() const
    {
        const QRect area = view.viewport()->rect();
        const QModelIndex first = view.indexAt(area.topLeft());
        if (!first.isValid())
            return 0;
        int count = 0;
        for (int row = first.row(); row < model.rowCount() &&
                                    view.visualRect(model.index(row, 0)).top() < area.bottom();
             ++row)
            ++count;
        return count;
    }

    Model model;
    Rows rows;
    QListView view;
};

// Reports a frame's cost per painted row next to its time.
inline void countPaintedRows(benchmark::State& state, int rowsPerFrame)
{
    state.counters["rows"] = rowsPerFrame;
    state.counters["per_row"] = benchmark::Counter(double(rowsPerFrame), benchmark::Counter::kIsIterationInvariantRate |
                                                                     benchmark::Counter::kInvert);
}
